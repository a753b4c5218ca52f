// A company file built under a temporary name beside its place and moved there
// only when complete, so a full disk, a failure or a kill never leaves a
// company file behind; and the removal of what a dead process left.
#pragma once

#include <QString>

namespace company::pending {

class PendingFile {
public:
    // Prepares `.quelda.mdb.tmp-<host>-<pid>` (for a target named quelda.mdb)
    // beside `target`, making its folder when missing and removing the
    // temporary files of this machine's processes that are no longer running.
    explicit PendingFile(const QString& target);
    // Unless committed: removes the temporary file (and its journal) and the
    // folder it made, when that is empty.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Why the folder could not be made; empty when the file can be built.
    const QString& error() const { return error_; }
    // Where the file is built.
    const QString& path() const { return path_; }
    // Moves the file into place: never over an existing file unless
    // `replace`. Returns an empty text on success, else the reason (the
    // temporary file is then removed).
    QString commit(bool replace = false);

private:
    QString target_;
    QString folder_;
    QString path_;
    QString error_;
    bool folderIsNew_ = false;
    bool committed_ = false;
};

// Removes from `folder` the temporary company files (and journals) left by
// processes of this machine that are no longer running. Returns how many.
int RemoveStale(const QString& folder);

}  // namespace company::pending
