// Creating a company database: the file with its three tables, and the
// demonstration data. Used by quenvol-admin, the tests and the benchmarks;
// the program itself never creates, alters or drops a table.
#pragma once

#include <QString>
#include <QStringList>

namespace company::file {

// Creates `path` (and its folder) with the three tables. Refuses an existing
// file. Returns an empty text on success, else the reason.
QString CreateCompanyDatabase(const QString& path);
// The same without the register codes' triggers, for a copy: its rows may
// hold codes stored before the rule. AddRegisterCodeRule adds the triggers
// after them, as upgrade leaves such a company (the rule holds for new and
// changed codes).
QString CreateCompanyDatabaseForRows(const QString& path);
QString AddRegisterCodeRule(const QString& path);

// Creates the company file `path` (with the demonstration data when `demo`)
// under a temporary name beside it, moved into place only when complete: a
// failure leaves no file, and a later run succeeds once the cause is gone.
// Refuses an existing file. Returns an empty text on success, else the reason.
QString CreateCompany(const QString& path, bool demo);

// Adds the change history table to an existing company database made
// before it, or brings an existing one up to date (UpgradeHistory); *added
// tells whether the table was missing. Returns an empty text on success,
// else the reason.
QString AddHistoryTable(const QString& path, bool* added);

// What bringing a file's history up to date did.
struct HistoryUpgrade {
    bool tableAdded = false;   // the history table was missing
    QStringList columnsAdded;  // the columns added to an existing table
    qlonglong rowsChained = 0; // existing rows given their fingerprint
    QStringList sharedColumnsAdded;  // "Table.Column" added to the three shared tables
    QStringList repaired;      // the history's triggers put back, each named
    bool codeRuleAdded = false;    // the triggers refusing codes that break the rule were added
    QStringList codesBreakingRule; // existing codes that break it, left as they are
};
// The history's triggers on the file that are missing or differ from what
// this version creates (one line each, in Italian); an empty text, or the
// reason the file could not be read.
QString HistoryGuardProblems(const QString& path, QStringList* problems);
// Adds the columns the three shared tables lack (a company made by an earlier
// version) first, then the history table when missing, or its later columns, and computes
// the chain of the existing rows when the fingerprints arrive; in one
// transaction, which changes nothing when all is there already.
QString UpgradeHistory(const QString& path, HistoryUpgrade* done);

// Runs statements with bound values on an existing database file; for seeding.
QString Execute(const QString& path, const QStringList& statements);

// A handful of document types and register sets with header lines.
QString AddDemonstrationData(const QString& path);

// `count` register sets with generated codes (prefix + number), descriptions
// and numbers, in one transaction; for the benchmarks.
QString AddGeneratedRegisters(const QString& path, int count, const QString& prefix = "R");

}  // namespace company::file
