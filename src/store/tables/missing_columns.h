// The columns a company made by an earlier version lacks, and what the
// operator reads about it.
#pragma once

#include "store/engine/engine.h"
#include "store/schema/table_description.h"

#include <QStringList>

namespace store {

// The columns of `table` (or of the three shared tables) that the company's
// stored table lacks, as "Table.Column": a company made by an earlier version
// before `quenvol-admin upgrade`. Empty when all are there, or when the shape
// cannot be read (the open or the first read then tells why).
QStringList MissingColumns(Database& database, const TableDescription& table);
QStringList MissingColumns(Database& database);

// What the operator reads about such a company: the columns missing and the
// command that adds them. The window shows it once, when the table opens, and
// does not go on.
QString UpgradeNeededText(const QStringList& missing);

}  // namespace store
