// The office server's refusals that come from TLS (the encrypted connection):
// recognised in libpq's text and told in Italian with what to do.
#pragma once

#include <QString>

namespace store {

// A sentence saying what is wrong and its cure, when `libpqText` is a TLS
// refusal: a certificate made out to another name, a certificate not signed
// by the authority the workstation knows (or expired), the authority's file
// missing, a server without TLS where the connection string asks for it, a
// libpq built without TLS. Otherwise an empty text.
QString TlsRefusal(const QString& libpqText);

}  // namespace store
