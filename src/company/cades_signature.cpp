// CAdES detached signatures through OpenSSL's CMS API: the key from a
// PKCS#12 file, the signature with the signing-certificate-v2 attribute, the
// signature's time stamp from the seal's authority client, and the check.
#include "company/cades_signature.h"

#include "company/openssl_owned.h"
#include "company/seal_timestamp.h"
#include "company/signing_key.h"

#include <QFile>

#include <openssl/cms.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <ctime>
#include <memory>
#include <vector>

namespace company::signature {

namespace {

using openssl::Freer;
using Cms = std::unique_ptr<CMS_ContentInfo, Freer<CMS_ContentInfo, CMS_ContentInfo_free>>;
using Bio = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;
using Store = std::unique_ptr<X509_STORE, Freer<X509_STORE, X509_STORE_free>>;
using Pkcs12 = std::unique_ptr<PKCS12, Freer<PKCS12, PKCS12_free>>;

// A PKCS#12 file holds a key and a few certificates: a few kilobytes.
constexpr qint64 MostKeyFile = 1 << 20;

QString NameText(const X509_NAME* name)
{
    Bio out(BIO_new(BIO_s_mem()));
    // "CN=..., O=...", in the order of the certificate, accented letters as they are.
    X509_NAME_print_ex(out.get(), name, 0,
                       (XN_FLAG_RFC2253 & ~XN_FLAG_DN_REV & ~XN_FLAG_SEP_MASK & ~ASN1_STRFLGS_ESC_MSB) |
                           XN_FLAG_SEP_CPLUS_SPC);
    char* data = nullptr;
    const long length = BIO_get_mem_data(out.get(), &data);
    return QString::fromUtf8(data, length);
}

QDateTime TimeOf(const ASN1_TIME* time)
{
    std::tm tm{};
    if (!time || ASN1_TIME_to_tm(time, &tm) != 1)
        return {};
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday), QTime(tm.tm_hour, tm.tm_min, tm.tm_sec),
                     Qt::UTC);
}

QByteArray Sha256(const unsigned char* data, int length)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(data, std::size_t(length), digest, &size, EVP_sha256(), nullptr) != 1)
        return {};
    return QByteArray(reinterpret_cast<const char*>(digest), int(size));
}

QByteArray Der(CMS_ContentInfo* cms)
{
    unsigned char* out = nullptr;
    const int length = i2d_CMS_ContentInfo(cms, &out);
    if (length <= 0)
        return {};
    QByteArray der(reinterpret_cast<const char*>(out), length);
    OPENSSL_free(out);
    return der;
}

// The check of the signature's time stamp: over the signature's value, its
// authority chained to `caFile`.
timestamp::Check StampOf(CMS_SignerInfo* signer, const QString& caFile)
{
    timestamp::Check check;
    const int where = CMS_unsigned_get_attr_by_NID(signer, NID_id_smime_aa_timeStampToken, -1);
    const ASN1_TYPE* value = where >= 0 ? X509_ATTRIBUTE_get0_type(CMS_unsigned_get_attr(signer, where), 0) : nullptr;
    if (where < 0) {
        check.problem = QStringLiteral("la firma non ha una marca temporale");
        return check;
    }
    if (!value || value->type != V_ASN1_SEQUENCE) {
        check.problem = QStringLiteral("la marca temporale della firma non è leggibile");
        return check;
    }
    const QByteArray token(reinterpret_cast<const char*>(value->value.sequence->data), value->value.sequence->length);
    const ASN1_OCTET_STRING* signature = CMS_SignerInfo_get0_signature(signer);
    return timestamp::Verify(token, Sha256(ASN1_STRING_get0_data(signature), ASN1_STRING_length(signature)), caFile);
}

// A PDF's signature keeps its claimed time in the signature dictionary, not
// in the CMS: OpenSSL's signing always adds a signing-time attribute, so it
// is taken out and the remaining signed attributes (their DER set, as the
// signature covers them) are signed again with the same key.
bool ClaimedTimeDropped(CMS_SignerInfo* signer, EVP_PKEY* key)
{
    const int where = CMS_signed_get_attr_by_NID(signer, NID_pkcs9_signingTime, -1);
    if (where < 0)
        return true;
    X509_ATTRIBUTE_free(CMS_signed_delete_attr(signer, where));
    STACK_OF(X509_ATTRIBUTE)* attributes = sk_X509_ATTRIBUTE_new_null();
    for (int i = 0; attributes && i < CMS_signed_get_attr_count(signer); ++i)
        sk_X509_ATTRIBUTE_push(attributes, CMS_signed_get_attr(signer, i));
    unsigned char* der = nullptr;
    const int length = attributes ? ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(attributes), &der,
                                                  ASN1_ITEM_rptr(PKCS7_ATTR_SIGN))
                                  : 0;
    sk_X509_ATTRIBUTE_free(attributes);  // the attributes stay the signer's
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    std::size_t size = 0;
    bool signedAgain = length > 0 && context &&
                       EVP_DigestSignInit(context, nullptr, EVP_sha256(), nullptr, key) == 1 &&
                       EVP_DigestSign(context, nullptr, &size, der, std::size_t(length)) == 1;
    std::vector<unsigned char> signature(size);
    signedAgain = signedAgain && EVP_DigestSign(context, signature.data(), &size, der, std::size_t(length)) == 1 &&
                  ASN1_STRING_set(CMS_SignerInfo_get0_signature(signer), signature.data(), int(size)) == 1;
    EVP_MD_CTX_free(context);
    OPENSSL_free(der);
    return signedAgain;
}

}  // namespace

Certificate Describe(X509* certificate)
{
    Certificate described;
    described.subject = NameText(X509_get_subject_name(certificate));
    described.issuer = NameText(X509_get_issuer_name(certificate));
    if (BIGNUM* number = ASN1_INTEGER_to_BN(X509_get0_serialNumber(certificate), nullptr)) {
        char* hex = BN_bn2hex(number);
        described.serial = QString::fromLatin1(hex);
        OPENSSL_free(hex);
        BN_free(number);
    }
    described.notAfter = TimeOf(X509_get0_notAfter(certificate));
    return described;
}

// Why the certificate may not sign today; empty when it may.
QString CannotSign(X509* certificate)
{
    if (X509_cmp_current_time(X509_get0_notAfter(certificate)) <= 0)
        return QStringLiteral("il certificato di firma è scaduto il %1")
            .arg(TimeOf(X509_get0_notAfter(certificate)).toString(QStringLiteral("dd/MM/yyyy")));
    if (X509_cmp_current_time(X509_get0_notBefore(certificate)) >= 0)
        return QStringLiteral("il certificato di firma vale solo dal %1")
            .arg(TimeOf(X509_get0_notBefore(certificate)).toString(QStringLiteral("dd/MM/yyyy")));
    if ((X509_get_extension_flags(certificate) & EXFLAG_KUSAGE) &&
        !(X509_get_key_usage(certificate) & (KU_DIGITAL_SIGNATURE | KU_NON_REPUDIATION)))
        return QStringLiteral("il certificato non è per la firma digitale (manca l'uso digitalSignature)");
    return {};
}

QString CheckStamp(const QByteArray& der, const QString& tsaCaFile)
{
    const unsigned char* at = reinterpret_cast<const unsigned char*>(der.constData());
    Cms cms(d2i_CMS_ContentInfo(nullptr, &at, long(der.size())));
    STACK_OF(CMS_SignerInfo)* signers = cms ? CMS_get0_SignerInfos(cms.get()) : nullptr;
    if (!signers || sk_CMS_SignerInfo_num(signers) != 1) {
        ERR_clear_error();
        return QStringLiteral("la firma non è leggibile (CMS con un solo firmatario)");
    }
    const timestamp::Check stamp = StampOf(sk_CMS_SignerInfo_value(signers, 0), tsaCaFile);
    return stamp.valid ? QString() : stamp.problem;
}

QString Unavailable(const QString& source)
{
    return IsTokenUri(source) ? TokensUnavailable() : QString();
}

bool IsTokenUri(const QString& source)
{
    return source.startsWith(QLatin1String("pkcs11:"), Qt::CaseInsensitive);
}

Loaded Load(const QString& source, const QString& passphrase, const QString& module)
{
    if (IsTokenUri(source))
        return LoadFromToken(source, passphrase, module);
    Loaded loaded;
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.problem = QStringLiteral("chiave di firma %1 non leggibile: %2").arg(source, file.errorString());
        return loaded;
    }
    const QByteArray bytes = file.read(MostKeyFile);
    const unsigned char* at = reinterpret_cast<const unsigned char*>(bytes.constData());
    Pkcs12 p12(d2i_PKCS12(nullptr, &at, long(bytes.size())));
    if (!p12) {
        ERR_clear_error();
        loaded.problem = QStringLiteral("%1 non è un file di chiave PKCS#12").arg(source);
        return loaded;
    }
    const QByteArray secret = passphrase.toUtf8();
    if (PKCS12_verify_mac(p12.get(), secret.constData(), int(secret.size())) != 1) {
        ERR_clear_error();
        loaded.problem = QStringLiteral("passphrase errata per la chiave %1").arg(source);
        return loaded;
    }
    auto key = std::make_shared<Key>();
    if (PKCS12_parse(p12.get(), secret.constData(), &key->privateKey, &key->certificate, &key->chain) != 1 ||
        !key->privateKey || !key->certificate) {
        loaded.problem = QStringLiteral("%1 non contiene una chiave con il suo certificato (%2)")
                             .arg(source, openssl::Reason());
        return loaded;
    }
    loaded.certificate = Describe(key->certificate);
    if (X509_check_private_key(key->certificate, key->privateKey) != 1) {
        ERR_clear_error();
        loaded.problem = QStringLiteral("in %1 la chiave non è quella del certificato").arg(source);
        return loaded;
    }
    loaded.problem = CannotSign(key->certificate);
    if (loaded.problem.isEmpty())
        loaded.key = key;
    return loaded;
}

Signed Sign(const Key& key, const QByteArray& content, const QString& tsaUrl, Profile profile)
{
    Signed result;
    constexpr unsigned flags = CMS_DETACHED | CMS_BINARY | CMS_NOSMIMECAP | CMS_PARTIAL | CMS_CADES;
    Bio data(BIO_new_mem_buf(content.constData(), int(content.size())));
    Cms cms(CMS_sign(nullptr, nullptr, key.chain, nullptr, flags));
    CMS_SignerInfo* signer =
        cms ? CMS_add1_signer(cms.get(), key.certificate, key.privateKey, EVP_sha256(), flags) : nullptr;
    if (!data || !signer || CMS_final(cms.get(), data.get(), nullptr, flags) != 1 ||
        (profile == Profile::Pades && !ClaimedTimeDropped(signer, key.privateKey))) {
        result.problem = QStringLiteral("firma non riuscita: %1").arg(openssl::Reason());
        return result;
    }
    if (!tsaUrl.isEmpty()) {
        const ASN1_OCTET_STRING* value = CMS_SignerInfo_get0_signature(signer);
        QString error;
        const QByteArray token =
            timestamp::Request(tsaUrl, Sha256(ASN1_STRING_get0_data(value), ASN1_STRING_length(value)), &error);
        if (token.isEmpty()) {
            result.problem = QStringLiteral("marca temporale della firma da %1 non ottenuta: %2").arg(tsaUrl, error);
            return result;
        }
        if (CMS_unsigned_add1_attr_by_NID(signer, NID_id_smime_aa_timeStampToken, V_ASN1_SEQUENCE,
                                          token.constData(), int(token.size())) != 1) {
            result.problem = QStringLiteral("marca temporale non aggiunta alla firma: %1").arg(openssl::Reason());
            return result;
        }
    }
    result.cms = Der(cms.get());
    if (result.cms.isEmpty())
        result.problem = QStringLiteral("firma non codificata: %1").arg(openssl::Reason());
    return result;
}

Checked Verify(const QByteArray& der, const QByteArray& content, const QString& caFile)
{
    Checked checked;
    const unsigned char* at = reinterpret_cast<const unsigned char*>(der.constData());
    Cms cms(d2i_CMS_ContentInfo(nullptr, &at, long(der.size())));
    STACK_OF(CMS_SignerInfo)* signers = cms ? CMS_get0_SignerInfos(cms.get()) : nullptr;
    if (!signers || sk_CMS_SignerInfo_num(signers) != 1) {
        ERR_clear_error();
        checked.problem = QStringLiteral("la firma non è leggibile (CMS con un solo firmatario)");
        return checked;
    }
    CMS_SignerInfo* signer = sk_CMS_SignerInfo_value(signers, 0);
    X509* certificate = nullptr;
    CMS_SignerInfo_get0_algs(signer, nullptr, &certificate, nullptr, nullptr);
    if (!certificate) {
        // The certificate is matched to the signer when the chain is checked;
        // before that, look for it among those the signature carries.
        STACK_OF(X509)* carried = CMS_get1_certs(cms.get());
        for (int i = 0; i < sk_X509_num(carried); ++i)
            if (CMS_SignerInfo_cert_cmp(signer, sk_X509_value(carried, i)) == 0) {
                checked.signer = Describe(sk_X509_value(carried, i));
                break;
            }
        sk_X509_pop_free(carried, X509_free);
    } else {
        checked.signer = Describe(certificate);
    }
    if (caFile.isEmpty()) {
        checked.problem = QStringLiteral("la firma non si verifica senza il certificato dell'autorità di "
                                         "certificazione (--ca FILE)");
        return checked;
    }
    Store store(X509_STORE_new());
    if (!store || X509_STORE_load_file(store.get(), caFile.toUtf8().constData()) != 1) {
        checked.problem = QStringLiteral("certificati %1 non leggibili: %2").arg(caFile, openssl::Reason());
        return checked;
    }
    // The time stamp first: a signature stamped while its certificate was
    // valid stays valid after the certificate expires, so the chain is
    // checked at the authority's time.
    if (CMS_unsigned_get_attr_by_NID(signer, NID_id_smime_aa_timeStampToken, -1) >= 0) {
        const timestamp::Check stamp = StampOf(signer, caFile);
        if (!stamp.valid) {
            checked.problem = stamp.problem;
            return checked;
        }
        checked.stamped = true;
        checked.stampTime = stamp.time;
        X509_VERIFY_PARAM_set_time(X509_STORE_get0_param(store.get()), time_t(stamp.time.toSecsSinceEpoch()));
    }
    Bio data(BIO_new_mem_buf(content.constData(), int(content.size())));
    if (CMS_verify(cms.get(), nullptr, store.get(), data.get(), nullptr, CMS_BINARY | CMS_DETACHED) != 1) {
        const unsigned long code = ERR_peek_last_error();
        const QString reason = openssl::Reason();
        if (ERR_GET_REASON(code) == CMS_R_VERIFICATION_FAILURE || ERR_GET_REASON(code) == CMS_R_CONTENT_VERIFY_ERROR)
            checked.problem =
                QStringLiteral("la firma non corrisponde al documento: documento modificato dopo la firma");
        else if (ERR_GET_REASON(code) == CMS_R_CERTIFICATE_VERIFY_ERROR)
            checked.problem = QStringLiteral("il certificato del firmatario non è valido per i certificati di %1: "
                                             "non ne discende, o era scaduto quando ha firmato (%2)")
                                  .arg(caFile, reason);
        else
            checked.problem = QStringLiteral("firma non valida: %1").arg(reason);
        return checked;
    }
    ERR_clear_error();
    checked.valid = true;
    return checked;
}

}  // namespace company::signature
