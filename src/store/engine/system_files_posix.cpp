// The system facilities of system_files.h on Linux.
#ifndef _WIN32
#include "store/engine/system_files.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace store::system {

qint64 ThisProcessId()
{
    return ::getpid();
}

bool ProcessRunning(qint64 pid)
{
    if (pid <= 0 || pid > INT_MAX)
        return false;  // 0 and negative ids would address process groups
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QString HostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || !name[0])
        return QStringLiteral("host");
    return QString::fromLocal8Bit(name);
}

QString UserName()
{
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

QString DefaultPasswordFile()
{
    return QDir::homePath() + QStringLiteral("/.pgpass");
}

QString MakePrivateCommand(const QString& path)
{
    return QStringLiteral("chmod 600 %1").arg(path);
}

int OpenForWriting(const QString& path)
{
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

bool SyncFile(int fd)
{
    return ::fsync(fd) == 0;
}

void KeepFromOtherAccounts()
{
    ::umask(007);
}

void ShareWithGroup(const QString& path)
{
    ::chmod(QFile::encodeName(path).constData(), 0660);
}

int MakeFolder(const QString& path)
{
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0 ? 0 : errno;
}

bool DiskFull(const QString& folder)
{
    struct statvfs disk {};
    return ::statvfs(QFile::encodeName(folder).constData(), &disk) == 0 && disk.f_bavail == 0;
}

void SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

int MoveIntoPlace(const QString& from, const QString& to, bool replace)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int rc = 0;
    if (replace) {
        rc = ::rename(source.constData(), target.constData());
    } else {
        // In one step, and never over a file that appeared meanwhile.
        rc = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without it: a hard link cannot replace a file either.
            rc = ::link(source.constData(), target.constData());
            if (rc == 0)
                ::unlink(source.constData());
        }
    }
    return rc == 0 ? 0 : errno;
}

}  // namespace store::system
#endif
