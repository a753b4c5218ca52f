// A company on a PostgreSQL server: its schema with the three tables, made
// from the same column list as the file's tables. Used by quenvol-admin, the
// tests and the benchmarks; the program itself never creates a table.
#pragma once

#include "store/tables/company_open.h"

#include <QString>
#include <QStringList>

namespace company::server {

// True when `location` names a server rather than a data folder
// (store::NamesServer).
inline bool IsServer(const QString& location) { return store::NamesServer(location); }

// The statements that create schema `company` with the three tables, each
// keyed on its first column, and the index "primaria" of each, which ignores
// the case of ASCII letters as the file's key does.
QStringList CreateSchemaStatements(const QString& company);

// Creates the schema and its tables in one transaction; refuses a schema that
// exists. With `serverHistory` the server's triggers write the change history
// from the start (a copy leaves them for after its rows: InstallServerHistory).
// Returns an empty text on success, else the server's reason.
QString CreateCompanySchema(const QString& conninfo, const QString& company, bool serverHistory = true);

// Makes the server write the change history of a company (functions and
// triggers, created or replaced), in one transaction.
QString InstallServerHistory(const QString& conninfo, const QString& company);

// What bringing a company's history up to date did.
struct HistoryUpgrade {
    bool tableAdded = false;       // the history table was missing
    QStringList columnsAdded;      // the columns added to an existing table
    bool serverWrites = false;     // the server's triggers now write it (they did not)
    QStringList rolesMoved;        // roles that could add history rows: now SELECT and the event function
    qlonglong rowsChained = 0;     // existing rows given their fingerprint
    QStringList sharedColumnsAdded;  // "Table.Column" added to the three shared tables
};
// Adds the columns the three shared tables lack (a company made by an earlier
// version) first, then the history table when missing, its later columns, the server's
// triggers and functions, takes INSERT on the history from the roles that
// had it (granting them the event function instead), and computes the chain
// of the rows without a fingerprint; all in one transaction.
QString UpgradeHistory(const QString& conninfo, const QString& company, HistoryUpgrade* done);

// Adds the change history table to a company made before it existed, and
// brings an existing one up to date (UpgradeHistory); *added tells whether
// the table was missing.
QString AddHistoryTable(const QString& conninfo, const QString& company, bool* added);

// After rows were copied in with their numbers, the server's numbering goes
// on after the highest of them.
QString AdvanceCounters(const QString& conninfo, const QString& company);

// Drops the schema with everything in it (tests, and an interrupted copy).
QString DropCompanySchema(const QString& conninfo, const QString& company);

// True when the schema exists; `error` is set when the server cannot say.
bool SchemaExists(const QString& conninfo, const QString& company, QString* error);

}  // namespace company::server
