// A company on a PostgreSQL server: its schema with the three tables, made
// from the same column list as the file's tables. Used by quenvol-admin, the
// tests and the benchmarks; the program itself never creates a table.
#pragma once

#include "store/company_open.h"

#include <QString>
#include <QStringList>

namespace company_server {

// True when `location` names a server rather than a data folder
// (store::NamesServer).
inline bool IsServer(const QString& location) { return store::NamesServer(location); }

// The statements that create schema `company` with the three tables, each
// keyed on its first column, and the index "primaria" of each, which ignores
// the case of ASCII letters as the file's key does.
QStringList CreateSchemaStatements(const QString& company);

// Creates the schema and its tables in one transaction; refuses a schema that
// exists. Returns an empty text on success, else the server's reason.
QString CreateCompanySchema(const QString& conninfo, const QString& company);

// Drops the schema with everything in it (tests, and an interrupted copy).
// Adds the change history table to a company made before it existed, and
// nothing else; *added tells whether it was missing.
QString AddHistoryTable(const QString& conninfo, const QString& company, bool* added);

// After rows were copied in with their numbers, the server's numbering goes
// on after the highest of them.
QString AdvanceCounters(const QString& conninfo, const QString& company);

QString DropCompanySchema(const QString& conninfo, const QString& company);

// True when the schema exists; `error` is set when the server cannot say.
bool SchemaExists(const QString& conninfo, const QString& company, QString* error);

}  // namespace company_server
