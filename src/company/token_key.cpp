// A signing key on a PKCS#11 token (the office's signature smart card)
// through libp11: the module loaded, the token found by its label, the PIN
// given, the private key and its certificate found by label or id.
#include "company/signing_key.h"

#include <QUrl>

#include <libp11.h>
#include <openssl/err.h>

namespace company::signature {

namespace {

// The module and the token's slots, kept while the key is in use.
class P11Session : public TokenSession {
public:
    PKCS11_CTX* context = PKCS11_CTX_new();
    PKCS11_SLOT* slotList = nullptr;
    unsigned int slotCount = 0;
    bool loaded = false;
    ~P11Session() override
    {
        if (slotList)
            PKCS11_release_all_slots(context, slotList, slotCount);
        if (loaded)
            PKCS11_CTX_unload(context);
        PKCS11_CTX_free(context);
    }
};

// The attributes of a "pkcs11:" URI's path ("token=...;object=...;id=%01"),
// each percent-decoded.
QString Attribute(const QString& uri, const QString& name)
{
    const QString path = uri.mid(uri.indexOf(QLatin1Char(':')) + 1).section(QLatin1Char('?'), 0, 0);
    for (const QString& part : path.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (part.section(QLatin1Char('='), 0, 0).trimmed() == name)
            return QUrl::fromPercentEncoding(part.section(QLatin1Char('='), 1).toUtf8());
    return {};
}

QByteArray IdBytes(const QString& uri)
{
    const QString path = uri.mid(uri.indexOf(QLatin1Char(':')) + 1).section(QLatin1Char('?'), 0, 0);
    for (const QString& part : path.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (part.section(QLatin1Char('='), 0, 0).trimmed() == QLatin1String("id"))
            return QByteArray::fromPercentEncoding(part.section(QLatin1Char('='), 1).toLatin1());
    return {};
}

bool Matches(const char* label, const unsigned char* id, std::size_t idLength, const QString& object,
             const QByteArray& wantedId)
{
    if (!object.isEmpty() && (!label || QString::fromUtf8(label) != object))
        return false;
    return wantedId.isEmpty() || QByteArray(reinterpret_cast<const char*>(id), qsizetype(idLength)) == wantedId;
}

}  // namespace

QString TokensUnavailable()
{
    return {};
}

Loaded LoadFromToken(const QString& uri, const QString& pin, const QString& module)
{
    Loaded loaded;
    const QString label = Attribute(uri, QStringLiteral("token"));
    const QString object = Attribute(uri, QStringLiteral("object"));
    const QByteArray id = IdBytes(uri);
    if (label.isEmpty() || (object.isEmpty() && id.isEmpty())) {
        loaded.problem = QStringLiteral("URI PKCS#11 incompleto: %1 (serve pkcs11:token=...;object=...)").arg(uri);
        return loaded;
    }
    if (module.isEmpty()) {
        loaded.problem = QStringLiteral("modulo PKCS#11 del dispositivo di firma non indicato "
                                        "(--modulo, o la voce MODULO della sezione [FIRMA] dell'INI)");
        return loaded;
    }
    auto session = std::make_unique<P11Session>();
    if (!session->context || PKCS11_CTX_load(session->context, module.toLocal8Bit().constData()) != 0) {
        ERR_clear_error();
        loaded.problem = QStringLiteral("modulo PKCS#11 %1 non caricabile").arg(module);
        return loaded;
    }
    session->loaded = true;
    if (PKCS11_enumerate_slots(session->context, &session->slotList, &session->slotCount) != 0) {
        ERR_clear_error();
        loaded.problem = QStringLiteral("lettori del modulo PKCS#11 %1 non leggibili").arg(module);
        return loaded;
    }
    PKCS11_SLOT* slot = nullptr;
    for (unsigned int i = 0; i < session->slotCount && !slot; ++i) {
        const PKCS11_TOKEN* token = session->slotList[i].token;
        if (token && token->initialized && token->label && QString::fromUtf8(token->label).trimmed() == label)
            slot = &session->slotList[i];
    }
    if (!slot) {
        loaded.problem = QStringLiteral("dispositivo di firma \"%1\" non trovato: inserirlo e riprovare").arg(label);
        return loaded;
    }
    if (slot->token->userPinLocked) {
        loaded.problem = QStringLiteral("il PIN del dispositivo \"%1\" è bloccato").arg(label);
        return loaded;
    }
    const QByteArray secret = pin.toUtf8();
    if (PKCS11_login(slot, 0, secret.constData()) != 0) {
        ERR_clear_error();
        loaded.problem = QStringLiteral("PIN errato per il dispositivo \"%1\"").arg(label);
        return loaded;
    }
    PKCS11_CERT* certificates = nullptr;
    unsigned int certificateCount = 0;
    PKCS11_CERT* certificate = nullptr;
    if (PKCS11_enumerate_certs(slot->token, &certificates, &certificateCount) == 0)
        for (unsigned int i = 0; i < certificateCount && !certificate; ++i)
            if (Matches(certificates[i].label, certificates[i].id, certificates[i].id_len, object, id))
                certificate = &certificates[i];
    PKCS11_KEY* key = certificate ? PKCS11_find_key(certificate) : nullptr;
    EVP_PKEY* privateKey = key ? PKCS11_get_private_key(key) : nullptr;
    if (!certificate || !certificate->x509 || !privateKey) {
        ERR_clear_error();
        EVP_PKEY_free(privateKey);
        loaded.problem = QStringLiteral("sul dispositivo \"%1\" non c'è una chiave \"%2\" con il suo certificato")
                             .arg(label, object.isEmpty() ? QString::fromLatin1(id.toHex()) : object);
        return loaded;
    }
    auto held = std::make_shared<Key>();
    held->privateKey = privateKey;
    held->certificate = X509_dup(certificate->x509);
    held->chain = sk_X509_new_null();
    held->token = std::move(session);
    loaded.certificate = Describe(held->certificate);
    loaded.problem = CannotSign(held->certificate);
    if (loaded.problem.isEmpty())
        loaded.key = held;
    return loaded;
}

}  // namespace company::signature
