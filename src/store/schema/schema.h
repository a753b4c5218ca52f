// The SQLite creation statements of the company database's tables, made from
// their descriptions (used by the admin tool only: the program itself never
// creates, alters or drops a table).
#pragma once

#include "store/schema/schema_version.h"
#include "store/schema/table_description.h"

#include <QStringList>

namespace store {

// The stored SQLite type of a column: "VARCHAR(10)", "CHAR(6)", "INTEGER", ...
QString SqliteType(const ColumnDescription& column);
// "CREATE TABLE ..." for one table, its key column compared without regard to case.
QString CreateTableStatement(const TableDescription& table);
// Everything one table needs: the table, its second index, and for an
// append-only table the triggers that refuse to change or delete its rows.
QStringList CreateStatements(const TableDescription& table);
// The statements of every table, in creation order.
QStringList CreateTableStatements();

}  // namespace store
