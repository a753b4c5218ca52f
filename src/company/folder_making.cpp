// Folders made one level at a time, so that the level the system refuses and
// its reason are known; a file's creation tried first for the same reason.
#include "company/folder_making.h"

#include "store/engine/system_files.h"

#include <QDir>
#include <QFileInfo>

#include <QFile>

#include <cerrno>
#include <cstring>

#include <unistd.h>  // close (io.h on Windows, which MinGW's unistd.h includes)

namespace company {

namespace {

// The cause of `error` (an errno value) for making `folder`, in Italian.
QString Cause(int error, const QString& folder)
{
    const QString above = QDir::toNativeSeparators(QFileInfo(folder).absolutePath());
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("chi esegue il comando non ha il permesso di scrivere nella cartella %1").arg(above);
    case EROFS:
        return QStringLiteral("il disco è in sola lettura");
    case ENOSPC:
        return QStringLiteral("il disco è pieno");
    case ENOTDIR:
    case EEXIST:
        return QStringLiteral("al suo posto, o al posto di una cartella che la contiene, c'è un file");
    case ENAMETOOLONG:
        return QStringLiteral("il nome è troppo lungo");
    default:
        return QStringLiteral("il sistema lo rifiuta");
    }
}

}  // namespace

QString MakeFolders(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (QFileInfo(absolute).isDir())
        return {};
    // The folders to make, from the first missing one down to `path`.
    QStringList missing;
    for (QString folder = absolute; !QFileInfo::exists(folder);) {
        missing.prepend(folder);
        const QString above = QFileInfo(folder).absolutePath();
        if (above == folder)
            break;
        folder = above;
    }
    if (missing.isEmpty())  // a file stands where the folder should
        missing << absolute;
    for (const QString& folder : missing) {
        const int error = store::system::MakeFolder(folder);
        if (error == 0 || (error == EEXIST && QFileInfo(folder).isDir()))
            continue;
        return QStringLiteral("impossibile creare la cartella %1: %2\n%3")
            .arg(QDir::toNativeSeparators(absolute), Cause(error, folder),
                 QString::fromLocal8Bit(std::strerror(error)));
    }
    return {};
}

QString FileCreationRefused(const QString& path)
{
    const int fd = store::system::OpenForWriting(path);
    if (fd >= 0) {
        ::close(fd);
        QFile::remove(path);
        return {};
    }
    const int error = errno;
    return QStringLiteral("impossibile creare il file %1: %2\n%3")
        .arg(QDir::toNativeSeparators(path), Cause(error, path), QString::fromLocal8Bit(std::strerror(error)));
}

}  // namespace company
