// OpenSSL's reason for the last failure, as the company library tells it.
#include "company/openssl_owned.h"

#include <openssl/err.h>

namespace company::openssl {

QString Reason()
{
    QString reason;
    while (const unsigned long code = ERR_get_error()) {
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        reason = QString::fromLatin1(text);
    }
    return reason.isEmpty() ? QStringLiteral("motivo sconosciuto") : reason;
}

}  // namespace company::openssl
