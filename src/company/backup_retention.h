// Keeping the last N backups of a company in a folder: the older ones go with
// their SHA-256 files, but never the backup just made, nor the only copy
// whose SHA-256 still matches its file.
#pragma once

#include <QString>
#include <QStringList>

namespace company::backup {

// Whether a backup file still matches the SHA-256 written beside it
// (<file>.sha256, as sha256sum -c reads it).
bool MatchesItsChecksum(const QString& file);

// Leaves in `folder` the `keep` newest backups of `company` (files named as
// BackupName makes them, newest by the date and time in the name) and
// `justMade`; when none of those matches its SHA-256, also the newest older
// one that does. Removes the rest with their .sha256 files and returns the
// files removed; a file that cannot be removed is added to `problems`.
QStringList KeepNewest(const QString& folder, const QString& company, int keep, const QString& justMade,
                       QStringList* problems);

}  // namespace company::backup
