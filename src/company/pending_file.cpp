// Building a company file under a temporary name and moving it into place.
#include "company/pending_file.h"

#include "store/engine/system_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    // ".<name>.tmp-<host>-<pid>" of these tools, and ".quelda.mdb.import-<pid>"
    // of the imports that built their file under that name.
    static const QRegularExpression pattern(
        QStringLiteral("^\\.(.+)\\.(?:tmp-(.+)-|import-)(\\d+)(?:-journal)?$"));
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
        if (ProcessRunning(match.captured(3).toLongLong()))
            continue;
        if (QFile::remove(QDir(folder).filePath(name)))
            ++removed;
    }
    return removed;
}

PendingFile::PendingFile(const QString& target) : target_(target)
{
    const QFileInfo info(target);
    folder_ = info.absolutePath();
    folderIsNew_ = !QFileInfo::exists(folder_);
    if (!QDir().mkpath(folder_)) {
        error_ = QStringLiteral("impossibile creare la cartella %1").arg(folder_);
        folderIsNew_ = false;
        return;
    }
    RemoveStale(folder_);
    path_ = QDir(folder_).filePath(QStringLiteral(".%1.tmp-%2-%3")
                                       .arg(info.fileName(), HostName())
                                       .arg(store::system::ThisProcessId()));
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
    const int rc = store::system::MoveIntoPlace(path_, target_, replace);
    if (rc != 0) {
        const int error = rc;
        RemoveWithJournal(path_);
        if (error == EEXIST)
            return QStringLiteral("il file %1 esiste già: non viene sovrascritto").arg(target_);
        return QStringLiteral("impossibile creare %1: %2").arg(target_, QString::fromLocal8Bit(std::strerror(error)));
    }
    committed_ = true;
    QFile::remove(path_ + QStringLiteral("-journal"));
    SyncFolder(folder_);
    return QString();
}

}  // namespace company::pending
