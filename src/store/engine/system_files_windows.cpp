// The system facilities of system_files.h on Windows.
#ifdef _WIN32
#include "store/engine/system_files.h"

#include <QDir>

#include <cerrno>

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace store::system {

qint64 ThisProcessId()
{
    return qint64(GetCurrentProcessId());
}

bool ProcessRunning(qint64 pid)
{
    if (pid <= 0 || pid > 0xFFFFFFFFLL)
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to ask
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

QString HostName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size) || size == 0)
        return QStringLiteral("host");
    return QString::fromWCharArray(name, int(size));
}

QString UserName()
{
    wchar_t name[257] = {};
    DWORD size = 257;
    if (GetUserNameW(name, &size) && size > 1)
        return QString::fromWCharArray(name, int(size) - 1);
    return qEnvironmentVariable("USERNAME");
}

QString DefaultPasswordFile()
{
    // libpq's own choice: the roaming application data folder.
    return QDir::toNativeSeparators(qEnvironmentVariable("APPDATA") + QStringLiteral("/postgresql/pgpass.conf"));
}

QString MakePrivateCommand(const QString& path)
{
    Q_UNUSED(path);
    return {};
}

int OpenForWriting(const QString& path)
{
    return _wopen(QDir::toNativeSeparators(path).toStdWString().c_str(),
                  _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

bool SyncFile(int fd)
{
    return _commit(fd) == 0;
}

void KeepFromOtherAccounts() {}

void ShareWithGroup(const QString&) {}

int MakeFolder(const QString& path)
{
    return _wmkdir(QDir::toNativeSeparators(path).toStdWString().c_str()) == 0 ? 0 : errno;
}

bool DiskFull(const QString& folder)
{
    ULARGE_INTEGER available{};
    return GetDiskFreeSpaceExW(QDir::toNativeSeparators(folder).toStdWString().c_str(), &available, nullptr,
                               nullptr)
           && available.QuadPart == 0;
}

void SyncFolder(const QString&)
{
    // NTFS journals the names of a folder itself; a moved file was written
    // through (MoveIntoPlace).
}

int MoveIntoPlace(const QString& from, const QString& to, bool replace)
{
    const std::wstring source = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring target = QDir::toNativeSeparators(to).toStdWString();
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (replace)
        flags |= MOVEFILE_REPLACE_EXISTING;
    if (MoveFileExW(source.c_str(), target.c_str(), flags))
        return 0;
    switch (GetLastError()) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    default:
        return EIO;
    }
}

}  // namespace store::system
#endif
