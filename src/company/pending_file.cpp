// Building a file under a temporary name and moving it into place.
#include "company/pending_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace company::pending {

namespace {

QString HostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return QStringLiteral("host");
    // The name goes into a file name: nothing but letters, digits, '.' and '-'.
    return QString::fromLocal8Bit(name).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]")),
                                                QStringLiteral("_"));
}

bool ProcessRunning(qint64 pid)
{
    if (pid <= 0 || pid > 0x3FFFFFFF)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

void SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void RemoveWithJournal(const QString& path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

}  // namespace

int RemoveStale(const QString& folder)
{
    // ".<name>.tmp-<host>-<pid>" of these tools, ".quelda.mdb.import-<pid>"
    // of the imports that built their file under that name, and
    // ".<company>_<time>.mdb.<pid>.tmp" of the backups that did the same.
    static const QRegularExpression pattern(QStringLiteral(
        "^\\.(.+)\\.(?:tmp-(.+)-|import-)(\\d+)(?:-journal)?$|^\\.(.+\\.mdb)\\.(\\d+)\\.tmp(?:-journal)?$"));
    const QString host = HostName();
    int removed = 0;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        // Another machine's process (a shared folder) cannot be checked from here.
        if (match.capturedLength(2) > 0 && match.captured(2) != host)
            continue;
        const QString pid = match.capturedLength(3) > 0 ? match.captured(3) : match.captured(5);
        if (ProcessRunning(pid.toLongLong()))
            continue;
        if (QFile::remove(QDir(folder).filePath(name)))
            ++removed;
    }
    return removed;
}

QString Cause(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT: return QStringLiteral("disco pieno");
    case EROFS: return QStringLiteral("disco in sola lettura");
    case EACCES:
    case EPERM: return QStringLiteral("sola lettura (permesso negato)");
    case ENOENT: return QStringLiteral("cartella inesistente");
    case ENOTDIR: return QStringLiteral("il percorso passa per un file che non è una cartella");
    case EISDIR: return QStringLiteral("è una cartella");
    case EEXIST: return QStringLiteral("il file esiste già");
    case EIO: return QStringLiteral("errore di lettura o scrittura del disco");
    case ENAMETOOLONG: return QStringLiteral("nome troppo lungo");
    case EXDEV: return QStringLiteral("cartelle su dischi diversi");
    default: return QStringLiteral("errore di sistema %1 (%2)").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

PendingFile::PendingFile(const QString& target, Folder folder) : target_(target)
{
    const QFileInfo info(target);
    folder_ = info.absolutePath();
    folderIsNew_ = !QFileInfo::exists(folder_);
    if (folderIsNew_ && folder == Folder::MustExist) {
        error_ = QStringLiteral("impossibile scrivere %1: la cartella %2 non esiste").arg(target, folder_);
        folderIsNew_ = false;
        return;
    }
    if (!QDir().mkpath(folder_)) {
        error_ = QStringLiteral("impossibile creare la cartella %1").arg(folder_);
        folderIsNew_ = false;
        return;
    }
    RemoveStale(folder_);
    path_ = QDir(folder_).filePath(QStringLiteral(".%1.tmp-%2-%3")
                                       .arg(info.fileName(), HostName())
                                       .arg(qint64(::getpid())));
    RemoveWithJournal(path_);
}

PendingFile::~PendingFile()
{
    if (committed_)
        return;
    if (!path_.isEmpty())
        RemoveWithJournal(path_);
    if (folderIsNew_)
        QDir().rmdir(folder_);  // only when empty
}

QString PendingFile::commit(bool replace)
{
    const QByteArray from = QFile::encodeName(path_);
    const QByteArray to = QFile::encodeName(target_);
    int rc = 0;
    if (replace) {
        rc = ::rename(from.constData(), to.constData());
    } else {
        // In one step, and never over a file that appeared meanwhile.
        rc = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without it: a hard link cannot replace a file either.
            rc = ::link(from.constData(), to.constData());
            if (rc == 0)
                ::unlink(from.constData());
        }
    }
    if (rc != 0) {
        const int error = errno;
        RemoveWithJournal(path_);
        if (error == EEXIST)
            return QStringLiteral("il file %1 esiste già: non viene sovrascritto").arg(target_);
        return QStringLiteral("impossibile creare %1: %2").arg(target_, Cause(error));
    }
    committed_ = true;
    QFile::remove(path_ + QStringLiteral("-journal"));
    SyncFolder(folder_);
    return QString();
}

QString WriteWhole(const QString& target, const QByteArray& bytes, bool replace,
                   const std::function<void()>& beforeRename)
{
    if (!replace && QFileInfo::exists(target))
        return QStringLiteral("il file %1 esiste già: non viene sovrascritto").arg(target);
    PendingFile pending(target, PendingFile::Folder::MustExist);
    if (!pending.error().isEmpty())
        return pending.error();
    const auto failed = [&](int error) {
        return QStringLiteral("impossibile scrivere %1: %2").arg(target, Cause(error));
    };
    const int fd = ::open(QFile::encodeName(pending.path()).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return failed(errno);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            ::close(fd);
            return failed(error);
        }
        done += written;
    }
    if (::fsync(fd) != 0 && errno != EINVAL) {
        const int error = errno;
        ::close(fd);
        return failed(error);
    }
    if (::close(fd) != 0)
        return failed(errno);
    if (beforeRename)
        beforeRename();
    return pending.commit(replace);
}

}  // namespace company::pending
