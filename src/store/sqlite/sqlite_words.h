// SQLite's failures that an operator can act on, told in a sentence of ours
// in Italian with SQLite's own text beneath: a full disk, a file or folder
// that cannot be written.
#pragma once

#include <QString>

namespace store::sqlite {

// `sqliteText` with a sentence before it when `code` (a primary or extended
// SQLite result code) is one the operator can act on; otherwise as it is.
// `systemError` is the errno of the system call that failed
// (sqlite3_system_errno), which tells why a file could not be opened.
QString ExplainedSqliteFailure(int code, const QString& sqliteText, int systemError = 0);

}  // namespace store::sqlite
