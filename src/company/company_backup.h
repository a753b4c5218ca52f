// A backup of a company while the workstations keep writing: a consistent
// copy into a company file in a folder, named by company, date and time,
// written under a temporary name and renamed only once it is complete and
// checked, with its SHA-256 beside it in the form sha256sum -c reads.
#pragma once

#include <QDateTime>
#include <QString>

namespace company::backup {

struct Backup {
    QString file;          // the company file made
    QString checksumFile;  // file + ".sha256"
    qlonglong historyRows = 0;
    QString historyFingerprint;  // the last row's; empty without a history
    bool hasHistory = false;
};

// The backup's file name: "<company>_<yyyy-MM-dd_HHmmss>.mdb" (local time).
QString BackupName(const QString& company, const QDateTime& when);

// Backs company `company` of `location` (a data folder: SQLite's online
// backup of the file; a server: the company copied, as one snapshot, into a
// company file) up into `folder`, which is made when missing but its parent
// folder must exist. Never overwrites a file. Checks the copy
// (integrity_check, the history's chain) before it takes its name. Returns an
// empty text on success, else the reason naming the source or the
// destination that failed (nothing left behind).
QString BackUp(const QString& location, const QString& company, const QString& folder, Backup* made);

}  // namespace company::backup
