// Signing keys on PKCS#11 tokens where the build has no PKCS#11 library
// (Windows): a "pkcs11:" key is refused before its PIN is asked, in words
// that say what can sign there instead.
#include "company/signing_key.h"

namespace company::signature {

QString TokensUnavailable()
{
    return QStringLiteral("le chiavi su dispositivo PKCS#11 (pkcs11:) non sono ancora disponibili su Windows: "
                          "si firma con un file di chiave PKCS#12 (.p12)");
}

Loaded LoadFromToken(const QString&, const QString&, const QString&)
{
    Loaded loaded;
    loaded.problem = TokensUnavailable();
    return loaded;
}

}  // namespace company::signature
