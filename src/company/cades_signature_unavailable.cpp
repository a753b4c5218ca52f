// The office's signature where the program is built without OpenSSL
// (Windows): opening a key, signing and checking are refused in words that
// say where they can be done.
#include "company/cades_signature.h"

namespace company::signature {

class Key {};

namespace {

QString Unavailable()
{
    return QStringLiteral("la firma digitale (--firma) non è disponibile su Windows: si firma e si verifica "
                          "con quenvol-admin su Linux");
}

}  // namespace

bool Available()
{
    return false;
}

bool IsTokenUri(const QString& source)
{
    return source.startsWith(QLatin1String("pkcs11:"), Qt::CaseInsensitive);
}

Loaded Load(const QString& source, const QString&, const QString&)
{
    Loaded loaded;
    loaded.problem = IsTokenUri(source) ? QStringLiteral("le chiavi su dispositivo PKCS#11 non sono ancora "
                                                         "disponibili su Windows")
                                        : Unavailable();
    return loaded;
}

Signed Sign(const Key&, const QByteArray&, const QString&, Profile)
{
    return {{}, Unavailable()};
}

Checked Verify(const QByteArray&, const QByteArray&, const QString&)
{
    Checked checked;
    checked.problem = Unavailable();
    return checked;
}

QString CheckStamp(const QByteArray&, const QString&)
{
    return Unavailable();
}

}  // namespace company::signature
