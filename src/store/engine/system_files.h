// What the company files and the INI files need from the operating system
// beyond Qt: this process and whether another one still runs, this machine's
// name, the operator's account, making a rename durable, and moving a file
// into place without replacing one that is there. One definition per system
// (system_files_posix.cpp, system_files_windows.cpp).
#pragma once

#include <QString>

namespace store::system {

qint64 ThisProcessId();
// Whether process `pid` of this machine still runs (0 and negative: no).
bool ProcessRunning(qint64 pid);
// This machine's name as the system gives it ("host" when it gives none).
QString HostName();
// The account this process runs under, or empty text.
QString UserName();
// The password file libpq reads when neither the connection string nor
// PGPASSFILE names one, as the system writes paths: ~/.pgpass, or on Windows
// %APPDATA%\postgresql\pgpass.conf.
QString DefaultPasswordFile();
// The command that makes `path` readable by its owner only, or empty text
// where libpq does not look at the file's permissions (Windows).
QString MakePrivateCommand(const QString& path);

// Opens a file for writing from its start, made when missing (not inherited
// by child processes, binary on Windows); -1 with errno set on failure.
int OpenForWriting(const QString& path);
// Flushes an open file's data to the disk; false (errno set) when the system
// refuses.
bool SyncFile(int fd);
// Makes one folder; 0 when done, else an errno value (EEXIST among them).
int MakeFolder(const QString& path);
// Whether the disk of `folder` has no room left.
bool DiskFull(const QString& folder);
// Makes the renames in `folder` durable (nothing to do where the system
// journals them itself).
void SyncFolder(const QString& folder);

// What this process creates is for its account and its group only (umask
// 007: folders 0770, files 0660), so that an office shares its company
// folders through a group and no other account reads them. Nothing to do on
// Windows, where the folder's permissions decide.
void KeepFromOtherAccounts();
// Gives a file made by a library with its own mode (SQLite's 0644) read and
// write for its owner and group and nothing for others (0660); nothing on
// Windows.
void ShareWithGroup(const QString& path);

// Gives `from` the name `to`, in one step. With `replace` false a file that
// has the name already is never replaced: the result is then EEXIST. 0 when
// done, else an errno value.
int MoveIntoPlace(const QString& from, const QString& to, bool replace);

}  // namespace store::system
