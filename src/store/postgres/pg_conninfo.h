// The office server's connection string as the program reads it: checked
// before any connection is tried, so that a string libpq cannot read is told
// without any of its values (a password among them), and the password it
// holds, kept out of every message.
#pragma once

#include <QString>

namespace store {

// Empty when libpq can read `conninfo` (a connection string or a URI);
// otherwise the reason, in Italian, naming none of the string's values.
// libpq must be loaded (LoadLibpq).
QString ConninfoProblem(const QString& conninfo);

// The password the string holds, or an empty text.
QString ConninfoPassword(const QString& conninfo);

// `text` with `password` blanked out wherever it appears.
QString WithoutPassword(QString text, const QString& password);

// The password file libpq reads for `conninfo` (its "passfile", else
// $PGPASSFILE, else ~/.pgpass) when it exists and others may read it: libpq
// then ignores it, warning on standard error. Empty when the string holds a
// password itself, or the file is private or missing.
QString OpenPasswordFile(const QString& conninfo);

// A path in place of `passwordFile` that names no file (stat fails), so that
// libpq skips the file without its warning, as it would skip it anyway.
QString UnreadablePasswordFile(const QString& passwordFile);

// libpq's text for a connection that failed, with a sentence before it that
// says, in Italian, what is wrong and what to do: a password file others may
// read, a wrong password, an unknown role or database, no pg_hba.conf line for
// this workstation, no server listening (its address and port), the TLS
// refusals of pg_tls_refusal.h. libpq's own
// text stays beneath; a text not recognised comes back as it is.
QString ExplainedConnectionFailure(const QString& libpqText);

}  // namespace store
