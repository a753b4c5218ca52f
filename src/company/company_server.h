// A company on a PostgreSQL server: its schema with the three tables, made
// from the same column list as the file's tables. Used by quenvol-admin, the
// tests and the benchmarks; the program itself never creates a table.
#pragma once

#include "store/tables/company_open.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

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
    QStringList repaired;          // triggers and functions put back, one line each
    QStringList sharedColumnsAdded;  // "Table.Column" added to the three shared tables
    bool codeRuleAdded = false;    // the register codes' CHECK was added
    QStringList codesBreakingRule; // existing codes it refuses, left as they are
};
// Adds the columns the three shared tables lack (a company made by an earlier
// version) first, then the history table when missing, its later columns, the server's
// triggers and functions, takes INSERT on the history from the roles that
// had it (granting them the event function instead), and computes the chain
// of the rows without a fingerprint; all in one transaction.
QString UpgradeHistory(const QString& conninfo, const QString& company, HistoryUpgrade* done);

// Which of the history's guards are looked at: every difference from what
// this version makes (verify, upgrade, copy, backup), or only those missing
// or disabled, so that a company whose guards an earlier version made is
// still taken as guarded (the window).
enum class GuardCheck { Everything, MissingOrDisabled };

// What is wrong with the triggers and functions the server's history relies
// on: each one missing, disabled or (with GuardCheck::Everything) changed, as
// a line for verify (`problems`) and as what upgrade does about it
// (`repairs`). Nothing for a company without the history table. Returns an
// empty text, else the server's reason.
QString HistoryGuardProblems(const QString& conninfo, const QString& company, QStringList* problems,
                             QStringList* repairs = nullptr, GuardCheck check = GuardCheck::Everything);

// How long an operator's transaction may stay open doing nothing, and how
// long an operator's statement waits for a lock, before the server gives up.
inline constexpr const char* OperatorIdleTimeout = "30s";
inline constexpr const char* OperatorLockTimeout = "10s";

// Gives the group role `group` what the workstations need on a company and
// nothing more: USAGE on the schema, SELECT, INSERT, UPDATE and DELETE on the
// three tables, SELECT on the history and EXECUTE on its event function; and
// sets, in this database, the two timeouts above for the group and for every
// role in it (a group's own settings do not pass to its members), so that no
// operator's abandoned transaction holds the others up. `members` gets the
// roles the timeouts were set for. One transaction.
QString GrantOperators(const QString& conninfo, const QString& company, const QString& group, QStringList* members);

// A session the office guard ended: its role, where it came from (an
// address, or "socket locale"), the tables it held locked, why and for how
// many seconds; or a prepared transaction it rolled back, by its name.
struct EndedSession {
    QString role;
    QString address;
    QString prepared;
    QString held;
    QString reason;
    qlonglong seconds = 0;
};
// What the office guard carries from one round to the next: the sessions it
// saw holding another up, each with the start of the transaction it did so in.
struct GuardMemory {
    QHash<qlonglong, QString> blocking;
};
// One round of the office guard on the server's database: every session of a
// role in an operators' group (a role granted the event function of a
// company, and its members at any depth; never a superuser) that sat idle in
// a transaction longer than `limitSeconds`, or that held another session up
// (seen in this round or, with `memory`, an earlier one) in a transaction open
// longer than that, is ended with pg_terminate_backend and added to `ended`
// (not one that waits for a lock itself: ending whom it waits for frees it);
// so is an operator's prepared transaction older than the limit, rolled back.
// An empty text, or why the server could not be asked.
QString EndHoldingSessions(const QString& conninfo, int limitSeconds, std::vector<EndedSession>* ended,
                           GuardMemory* memory = nullptr);

// Adds the change history table to a company made before it existed, and
// brings an existing one up to date (UpgradeHistory); *added tells whether
// the table was missing.
QString AddHistoryTable(const QString& conninfo, const QString& company, bool* added);

// After rows were copied in with their numbers, the server's numbering goes
// on after the highest of them.
QString AdvanceCounters(const QString& conninfo, const QString& company);
// The statements AdvanceCounters runs, for a caller's own transaction.
QStringList AdvanceCounterStatements(const QString& company);

// The refusal of a company whose history guards (the server's triggers and
// functions, HistoryGuardProblems) are missing, disabled or changed, as a
// company half made by an earlier version is left: the problems and the cure,
// quenvol-admin upgrade. Empty when the guards are all there (or the company
// has no history table), else also the server's reason when it cannot say.
// `found`, when given, gets the problems alone (empty when the server could
// not say), for a caller that words the refusal itself.
QString UnguardedCompany(const QString& conninfo, const QString& company, GuardCheck check = GuardCheck::Everything,
                         QStringList* found = nullptr);

// Drops the schema with everything in it (tests, and an interrupted copy).
QString DropCompanySchema(const QString& conninfo, const QString& company);

// True when the schema exists; `error` is set when the server cannot say.
bool SchemaExists(const QString& conninfo, const QString& company, QString* error);

}  // namespace company::server
