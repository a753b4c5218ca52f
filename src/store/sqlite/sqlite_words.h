// SQLite's failures that an operator can act on, told in a sentence of ours
// in Italian with SQLite's own text beneath: a full disk, a file or folder
// that cannot be written.
#pragma once

#include <QString>

namespace store::sqlite {

// `sqliteText` with a sentence before it when `code` (a primary or extended
// SQLite result code) is one the operator can act on; otherwise as it is.
QString ExplainedSqliteFailure(int code, const QString& sqliteText);

}  // namespace store::sqlite
