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

}  // namespace store
