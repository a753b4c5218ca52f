// A backup of a company while the workstations keep writing: a consistent
// copy into a company file in a folder, named by company, date and time,
// written under a temporary name and renamed only once it is complete and
// checked, with its SHA-256 beside it in the form sha256sum -c reads.
#pragma once

#include <QDateTime>
#include <QRegularExpression>
#include <QString>

namespace company::backup {

struct Backup {
    QString file;          // the company file made
    QString checksumFile;  // file + ".sha256"
    qlonglong historyRows = 0;
    QString historyFingerprint;  // the last row's; empty without a history
    bool hasHistory = false;
};

// The backup's file name: "<company>_<yyyy-MM-dd_HHmmsszzz>.mdb" (local time
// to the millisecond, so two backups in one second each have their own).
QString BackupName(const QString& company, const QDateTime& when);
// The names of `company`'s backups, these and the earlier ones to the second,
// followed by `after` (a regular expression: "" for the copies themselves).
QRegularExpression BackupNamePattern(const QString& company, const QString& after = {});

// Backs company `company` of `location` (a data folder: SQLite's online
// backup of the file; a server: the company copied, as one snapshot, into a
// company file) up into `folder`, which is made when missing but its parent
// folder must exist. Never overwrites a file. Checks the copy
// (integrity_check, the history's chain) before it takes its name. Returns an
// empty text on success, else the reason naming the source or the
// destination that failed (nothing left behind).
QString BackUp(const QString& location, const QString& company, const QString& folder, Backup* made);

}  // namespace company::backup
