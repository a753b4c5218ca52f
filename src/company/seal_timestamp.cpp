// RFC 3161 time stamps through OpenSSL's TS API, over OpenSSL's HTTP client.
#include "company/seal_timestamp.h"
#include "company/openssl_owned.h"

#include <QUrl>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/http.h>
#include <openssl/rand.h>
#include <openssl/ts.h>
#include <openssl/x509.h>

#include <ctime>
#include <memory>

namespace company::timestamp {

namespace {

constexpr int WaitSeconds = 30;
constexpr int MostAnswer = 1 << 20;

using openssl::Freer;
using Req = std::unique_ptr<TS_REQ, Freer<TS_REQ, TS_REQ_free>>;
using Resp = std::unique_ptr<TS_RESP, Freer<TS_RESP, TS_RESP_free>>;
using Imprint = std::unique_ptr<TS_MSG_IMPRINT, Freer<TS_MSG_IMPRINT, TS_MSG_IMPRINT_free>>;
using Algor = std::unique_ptr<X509_ALGOR, Freer<X509_ALGOR, X509_ALGOR_free>>;
using Integer = std::unique_ptr<ASN1_INTEGER, Freer<ASN1_INTEGER, ASN1_INTEGER_free>>;
using Ctx = std::unique_ptr<TS_VERIFY_CTX, Freer<TS_VERIFY_CTX, TS_VERIFY_CTX_free>>;
using Token = std::unique_ptr<PKCS7, Freer<PKCS7, PKCS7_free>>;
using Info = std::unique_ptr<TS_TST_INFO, Freer<TS_TST_INFO, TS_TST_INFO_free>>;
using Bio = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;

QByteArray Der(const TS_REQ* req)
{
    unsigned char* out = nullptr;
    const int length = i2d_TS_REQ(req, &out);
    if (length <= 0)
        return {};
    QByteArray der(reinterpret_cast<const char*>(out), length);
    OPENSSL_free(out);
    return der;
}

// A connection to the authority, made once: OpenSSL's HTTP client, left to
// connect by itself, tries a refused connection again until its whole wait
// has passed (for a server still starting), so an authority that is down
// held the command for half a minute. Here a refusal ends at once and only a
// connection still under way is waited for, up to the same bound.
Bio Connect(const QByteArray& host, const QByteArray& port, QString* error)
{
    const QByteArray address = (host.contains(':') ? '[' + host + ']' : host) + ':' + port;
    Bio connection(BIO_new_connect(address.constData()));
    if (!connection || BIO_set_nbio(connection.get(), 1) != 1) {
        *error = openssl::Reason();
        return {};
    }
    const time_t until = std::time(nullptr) + WaitSeconds;
    ERR_clear_error();
    for (;;) {
        if (BIO_do_connect(connection.get()) > 0)
            return connection;
        if (!BIO_should_retry(connection.get())) {
            *error = QStringLiteral("l'autorità %1:%2 non accetta la connessione: %3")
                         .arg(QString::fromLatin1(host), QString::fromLatin1(port), openssl::Reason());
            return {};
        }
        if (BIO_wait(connection.get(), until, 100) <= 0) {
            *error = QStringLiteral("l'autorità %1:%2 non risponde entro %3 secondi")
                         .arg(QString::fromLatin1(host), QString::fromLatin1(port))
                         .arg(WaitSeconds);
            return {};
        }
    }
}

// POSTs `body` to `url` through OpenSSL's HTTP client and gives back the
// answer's body, or nothing with the reason. One request per connection made
// by Connect; no proxy, as the authority is asked directly.
QByteArray Post(const QUrl& url, const QByteArray& body, QString* error)
{
    const QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    const QByteArray port = QByteArray::number(url.port(80));
    QString path = url.path(QUrl::FullyEncoded);
    if (path.isEmpty())
        path = QStringLiteral("/");
    if (url.hasQuery())
        path += QLatin1Char('?') + url.query(QUrl::FullyEncoded);
    const QByteArray target = path.toLatin1();
    Bio request(BIO_new_mem_buf(body.constData(), int(body.size())));
    if (!request) {
        *error = openssl::Reason();
        return {};
    }
    Bio connection = Connect(host, port, error);
    if (!connection)
        return {};
    ERR_clear_error();
    Bio answer(OSSL_HTTP_transfer(nullptr, host.constData(), port.constData(), target.constData(), 0, nullptr, nullptr,
                                  connection.get(), nullptr, nullptr, nullptr, 0, nullptr, "application/timestamp-query",
                                  request.get(), "application/timestamp-reply", 1, MostAnswer, WaitSeconds, 0));
    if (!answer) {
        *error = QStringLiteral("l'autorità %1:%2 non ha dato una risposta: %3")
                     .arg(QString::fromLatin1(host), QString::fromLatin1(port), openssl::Reason());
        return {};
    }
    QByteArray received;
    char chunk[4096];
    int read = 0;
    while ((read = BIO_read(answer.get(), chunk, sizeof chunk)) > 0) {
        received.append(chunk, read);
        if (received.size() > MostAnswer) {
            *error = QStringLiteral("risposta troppo lunga");
            return {};
        }
    }
    return received;
}

// The token's contents: its time, its imprint.
Info InfoOf(PKCS7* token)
{
    return Info(PKCS7_to_TS_TST_INFO(token));
}

QDateTime TimeOf(const TS_TST_INFO* info)
{
    std::tm tm{};
    if (ASN1_TIME_to_tm(TS_TST_INFO_get_time(info), &tm) != 1)
        return {};
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday), QTime(tm.tm_hour, tm.tm_min, tm.tm_sec),
                     Qt::UTC);
}

}  // namespace

QByteArray Request(const QString& address, const QByteArray& digest, QString* error)
{
    const QUrl url(address);
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty()) {
        *error = QStringLiteral("indirizzo dell'autorità non valido: %1 (serve http://host[:porta]/percorso)").arg(address);
        return {};
    }
    Req req(TS_REQ_new());
    Imprint imprint(TS_MSG_IMPRINT_new());
    Algor algorithm(X509_ALGOR_new());
    unsigned char random[8];
    Integer nonce(ASN1_INTEGER_new());
    bool built = req && imprint && algorithm && nonce && RAND_bytes(random, sizeof random) == 1;
    if (built) {
        X509_ALGOR_set0(algorithm.get(), OBJ_nid2obj(NID_sha256), V_ASN1_NULL, nullptr);
        BIGNUM* number = BN_bin2bn(random, sizeof random, nullptr);
        built = number && BN_to_ASN1_INTEGER(number, nonce.get()) &&
                TS_REQ_set_version(req.get(), 1) == 1 && TS_MSG_IMPRINT_set_algo(imprint.get(), algorithm.get()) == 1 &&
                TS_MSG_IMPRINT_set_msg(imprint.get(), reinterpret_cast<unsigned char*>(const_cast<char*>(digest.data())),
                                       int(digest.size())) == 1 &&
                TS_REQ_set_msg_imprint(req.get(), imprint.get()) == 1 && TS_REQ_set_nonce(req.get(), nonce.get()) == 1 &&
                TS_REQ_set_cert_req(req.get(), 1) == 1;
        BN_free(number);
    }
    const QByteArray query = built ? Der(req.get()) : QByteArray();
    if (query.isEmpty()) {
        *error = QStringLiteral("richiesta di marca temporale non preparata: %1").arg(openssl::Reason());
        return {};
    }
    const QByteArray answer = Post(url, query, error);
    if (answer.isEmpty()) {
        if (error->isEmpty())
            *error = QStringLiteral("risposta vuota");
        return {};
    }
    const unsigned char* at = reinterpret_cast<const unsigned char*>(answer.constData());
    Resp resp(d2i_TS_RESP(nullptr, &at, long(answer.size())));
    if (!resp) {
        *error = QStringLiteral("la risposta non è una marca temporale (RFC 3161)");
        return {};
    }
    const long status = ASN1_INTEGER_get(TS_STATUS_INFO_get0_status(TS_RESP_get_status_info(resp.get())));
    PKCS7* token = TS_RESP_get_token(resp.get());
    if ((status != 0 && status != 1) || !token) {
        *error = QStringLiteral("l'autorità ha rifiutato la richiesta (stato %1)").arg(status);
        return {};
    }
    // The answer must be to this request: its imprint and its nonce.
    Ctx ctx(TS_REQ_to_TS_VERIFY_CTX(req.get(), nullptr));
    if (!ctx) {
        *error = openssl::Reason();
        return {};
    }
    TS_VERIFY_CTX_set_flags(ctx.get(), TS_VFY_VERSION | TS_VFY_IMPRINT | TS_VFY_NONCE);
    if (TS_RESP_verify_response(ctx.get(), resp.get()) != 1) {
        *error = QStringLiteral("la marca ricevuta non risponde alla richiesta: %1").arg(openssl::Reason());
        return {};
    }
    unsigned char* out = nullptr;
    const int length = i2d_PKCS7(token, &out);
    if (length <= 0) {
        *error = openssl::Reason();
        return {};
    }
    QByteArray der(reinterpret_cast<const char*>(out), length);
    OPENSSL_free(out);
    return der;
}

Check Verify(const QByteArray& der, const QByteArray& digest, const QString& caFile)
{
    Check check;
    const unsigned char* at = reinterpret_cast<const unsigned char*>(der.constData());
    Token token(d2i_PKCS7(nullptr, &at, long(der.size())));
    Info info = token ? InfoOf(token.get()) : Info();
    if (!info) {
        ERR_clear_error();
        check.problem = QStringLiteral("la marca temporale del sigillo non è leggibile");
        return check;
    }
    check.time = TimeOf(info.get());
    const ASN1_OCTET_STRING* held = TS_MSG_IMPRINT_get_msg(TS_TST_INFO_get_msg_imprint(info.get()));
    const X509_ALGOR* algorithm = TS_MSG_IMPRINT_get_algo(TS_TST_INFO_get_msg_imprint(info.get()));
    const ASN1_OBJECT* object = nullptr;
    X509_ALGOR_get0(&object, nullptr, nullptr, algorithm);
    if (OBJ_obj2nid(object) != NID_sha256 ||
        QByteArray(reinterpret_cast<const char*>(ASN1_STRING_get0_data(held)), ASN1_STRING_length(held)) != digest) {
        check.problem = QStringLiteral("la marca temporale non è di questo sigillo (impronta diversa): "
                                       "sigillo modificato, o marca presa da un altro");
        return check;
    }
    if (caFile.isEmpty()) {
        check.problem = QStringLiteral("la firma della marca temporale non si verifica senza il certificato "
                                       "dell'autorità (--tsa-ca FILE)");
        return check;
    }
    X509_STORE* store = X509_STORE_new();
    if (!store || X509_STORE_load_file(store, caFile.toUtf8().constData()) != 1) {
        X509_STORE_free(store);
        check.problem = QStringLiteral("certificato dell'autorità %1 non leggibile: %2").arg(caFile, openssl::Reason());
        return check;
    }
    Ctx ctx(TS_VERIFY_CTX_new());
    unsigned char* imprint = static_cast<unsigned char*>(OPENSSL_malloc(std::size_t(digest.size())));
    if (!ctx || !imprint) {
        X509_STORE_free(store);
        OPENSSL_free(imprint);
        check.problem = openssl::Reason();
        return check;
    }
    memcpy(imprint, digest.constData(), std::size_t(digest.size()));
    TS_VERIFY_CTX_set_store(ctx.get(), store);                          // the context frees it
    TS_VERIFY_CTX_set_imprint(ctx.get(), imprint, long(digest.size())); // likewise
    TS_VERIFY_CTX_set_flags(ctx.get(), TS_VFY_VERSION | TS_VFY_SIGNATURE | TS_VFY_IMPRINT);
    if (TS_RESP_verify_token(ctx.get(), token.get()) != 1) {
        check.problem = QStringLiteral("la marca temporale non è firmata da un'autorità del certificato %1 (%2)")
                            .arg(caFile, openssl::Reason());
        return check;
    }
    if (STACK_OF(X509)* signers = PKCS7_get0_signers(token.get(), nullptr, 0)) {
        if (sk_X509_num(signers) > 0) {
            char name[512];
            X509_NAME_oneline(X509_get_subject_name(sk_X509_value(signers, 0)), name, sizeof name);
            check.signer = QString::fromUtf8(name);
        }
        sk_X509_free(signers);
    }
    ERR_clear_error();
    check.valid = check.time.isValid();
    if (!check.valid)
        check.problem = QStringLiteral("la marca temporale non ha una data leggibile");
    return check;
}

}  // namespace company::timestamp
