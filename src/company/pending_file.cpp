// Building a file under a temporary name and moving it into place.
#include "company/pending_file.h"
#include "company/folder_making.h"

#include "company/pending_file_stage.h"

#include "store/engine/system_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>  // write, close (io.h on Windows, which MinGW's unistd.h includes)

namespace company::pending {

namespace {

QString HostName()
{
    // The name goes into a file name: nothing but letters, digits, '.' and '-'.
    return store::system::HostName().replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]")),
                                                QStringLiteral("_"));
}

bool ProcessRunning(qint64 pid)
{
    return pid <= 0x3FFFFFFF && store::system::ProcessRunning(pid);
}

void SyncFolder(const QString& folder)
{
    store::system::SyncFolder(folder);
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
#ifdef EDQUOT  // no disk quotas on Windows
    case EDQUOT:
#endif
        return QStringLiteral("disco pieno");
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
    if (const QString refused = MakeFolders(folder_); !refused.isEmpty()) {
        error_ = refused;
        folderIsNew_ = false;
        return;
    }
    RemoveStale(folder_);
    path_ = QDir(folder_).filePath(QStringLiteral(".%1.tmp-%2-%3")
                                       .arg(info.fileName(), HostName())
                                       .arg(store::system::ThisProcessId()));
    RemoveWithJournal(path_);
    Reached(Stage::BeforeTemporary);
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
    Reached(Stage::Written);
    store::system::ShareWithGroup(path_);
    const int rc = store::system::MoveIntoPlace(path_, target_, replace);
    if (rc != 0) {
        const int error = rc;
        RemoveWithJournal(path_);
        if (error == EEXIST)
            return QStringLiteral("il file %1 esiste già: non viene sovrascritto").arg(target_);
        return QStringLiteral("impossibile creare %1: %2").arg(target_, Cause(error));
    }
    committed_ = true;
    QFile::remove(path_ + QStringLiteral("-journal"));
    SyncFolder(folder_);
    Reached(Stage::Renamed);
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
    const int fd = store::system::OpenForWriting(pending.path());
    if (fd < 0)
        return failed(errno);
    // Written in two halves: a kill test may stop the run in between.
    qsizetype done = 0;
    for (const qsizetype end : {bytes.size() / 2, bytes.size()}) {
        while (done < end) {
            const ssize_t written = ::write(fd, bytes.constData() + done, size_t(end - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                const int error = written < 0 ? errno : ENOSPC;
                ::close(fd);
                return failed(error);
            }
            done += written;
        }
        if (done < bytes.size())
            Reached(Stage::Growing);
    }
    if (!store::system::SyncFile(fd) && errno != EINVAL) {
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
