// A file built under a temporary name beside its place and moved there only
// when complete, so a full disk, a failure or a kill never leaves a partial
// file under its name; the removal of what a dead process left; and the
// cause of a failed write in the operator's words.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace company::pending {

class PendingFile {
public:
    // Whether a missing folder is made (with its parents) or refused.
    enum class Folder { Make, MustExist };
    // Prepares `.quelda.mdb.tmp-<host>-<pid>` (for a target named quelda.mdb)
    // beside `target`, making its folder when missing (unless told not to)
    // and removing the temporary files of this machine's processes that are
    // no longer running.
    explicit PendingFile(const QString& target, Folder folder = Folder::Make);
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

// Removes from `folder` the temporary files (and journals) left by processes
// of this machine that are no longer running. Returns how many.
int RemoveStale(const QString& folder);

// The cause of a failed file operation, from its errno, in Italian:
// "disco pieno", "disco in sola lettura", "cartella inesistente", ...
QString Cause(int error);

// Writes `bytes` to `target` through a temporary name beside it: the file
// takes its name only once written and flushed to the disk, after
// `beforeRename` ran (an exception from it leaves no file and goes on). The
// folder must exist. Never replaces an existing file unless `replace`.
// Returns an empty text, or the failure naming `target` and its cause.
QString WriteWhole(const QString& target, const QByteArray& bytes, bool replace,
                   const std::function<void()>& beforeRename = {});

}  // namespace company::pending
