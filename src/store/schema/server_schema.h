// The PostgreSQL creation statements of a company's schema, made from the same
// table descriptions as the file's (schema.h): a company on a server has the
// tables, keys, indexes and refusals the file has. Used by the admin tool, the
// tests and the benchmarks; the program itself never creates a table.
#pragma once

#include "store/schema/schema_version.h"
#include "store/schema/server_function.h"
#include "store/schema/table_description.h"

#include <QStringList>

namespace store {

// The server's type of a column: "varchar(10)", "integer", "date", ...
QString ServerType(const ColumnDescription& column);
// Everything one table of schema `schema` needs: the table keyed on its key
// column, the index "primaria" that ignores the case of ASCII letters as the
// file's key does, its second index, and for an append-only table the
// triggers that refuse to change, delete or empty its rows.
QStringList ServerTableStatements(const QString& schema, const TableDescription& table);
// The triggers (and their function) of an append-only table that refuse to
// change, delete or empty its rows; nothing for another table.
QStringList AppendOnlyTriggerStatements(const QString& schema, const TableDescription& table);
// The function those triggers call: it refuses, whoever asks.
ServerFunction AppendOnlyRefusalFunction(const TableDescription& table);
// "CREATE SCHEMA" for `company` and the statements of every table, in
// creation order.
QStringList ServerSchemaStatements(const QString& company);
// The one-row table of the schema's version (schema_version.h), made or set
// to this version's number.
QStringList ServerVersionStatements(const QString& company);

}  // namespace store
