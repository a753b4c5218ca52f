// The profile (INI) service: reading and writing one value of a Windows-style
// profile file, byte-exact apart from the one line a write changes, with
// atomic replacement and a cross-process lock for writers; and the suite's
// ReadIni/WriteIni routines on top of it.
#include "shell/profile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <optional>

#ifdef _WIN32
#include <QDir>

#include <string>
#include <vector>

#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace shell {

namespace {

// ReadIni asks for a buffer of 100 characters, one of them the closing NUL.
constexpr int ReadIniMaxChars = 99;

// --- Windows-1252 -----------------------------------------------------------
// Code points of the bytes 0x80..0x9F; the five bytes Windows-1252 leaves
// undefined map to the C1 control of the same value, so every byte converts
// to a distinct character and back.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char AnsiByte(char32_t ucs)
{
    if (ucs < 0x80 || (ucs >= 0xA0 && ucs <= 0xFF))
        return char(ucs);
    for (int i = 0; i < 32; ++i) {
        if (Cp1252High[i] == ucs)
            return char(0x80 + i);
    }
    return '?';
}

// --- Parsing ----------------------------------------------------------------
// The UTF-8 byte-order mark some Windows editors put at the start of a file on
// saving. It is not part of the first line: reading skips it, writing keeps it.
constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr qsizetype ByteOrderMarkSize = 3;

qsizetype ContentStart(const QByteArray& content)
{
    return content.startsWith(ByteOrderMark) ? ByteOrderMarkSize : 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray TrimBlanks(const QByteArray& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// A value written between double quotes reads without them, as Windows
// programs read it (DIRINI="/dati/" names /dati/).
QByteArray Unquoted(const QByteArray& value)
{
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        return value.mid(1, value.size() - 2);
    return value;
}

bool SameName(const QByteArray& a, const QByteArray& b)
{
    return FromAnsi(a).compare(FromAnsi(b), Qt::CaseInsensitive) == 0;
}

// One line of the file, by byte offsets: [begin, end) is its text without the
// line break, [end, next) the break itself ("\r\n", "\n", "\r" or nothing at EOF).
struct Line {
    enum Kind { Other, Section, Entry } kind = Other;
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    QByteArray name;        // section name or key, trimmed
    QByteArray value;       // entry value, trimmed
    qsizetype keyEnd = 0;   // offset just past the key's last non-blank byte
};

std::vector<Line> ParseLines(const QByteArray& content)
{
    std::vector<Line> lines;
    qsizetype pos = ContentStart(content);
    while (pos < content.size()) {
        Line line;
        line.begin = pos;
        // CRLF, LF and a lone CR each end a line, as Windows reads them.
        qsizetype end = pos;
        while (end < content.size() && content[end] != '\n' && content[end] != '\r')
            ++end;
        line.end = end;
        if (end < content.size())
            line.next = content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n'
                            ? end + 2
                            : end + 1;
        else
            line.next = end;
        pos = line.next;

        qsizetype start = line.begin;
        while (start < line.end && IsBlank(content[start]))
            ++start;
        if (start == line.end || content[start] == ';') {
            lines.push_back(line);
            continue;
        }
        const QByteArray text = content.mid(start, line.end - start);
        if (text.startsWith('[')) {
            qsizetype close = text.lastIndexOf(']');
            line.kind = Line::Section;
            line.name = TrimBlanks(text.mid(1, close < 0 ? -1 : close - 1));
        } else if (qsizetype eq = text.indexOf('='); eq > 0) {
            QByteArray key = TrimBlanks(text.left(eq));
            if (!key.isEmpty()) {
                line.kind = Line::Entry;
                line.name = key;
                line.value = Unquoted(TrimBlanks(text.mid(eq + 1)));
                line.keyEnd = start + text.left(eq).indexOf(key) + key.size();
            }
        }
        lines.push_back(line);
    }
    return lines;
}

// Index of the first section header with that name, or -1.
qsizetype FindSection(const std::vector<Line>& lines, const QByteArray& section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == Line::Section && SameName(lines[i].name, section))
            return qsizetype(i);
    }
    return -1;
}

// --- Files ------------------------------------------------------------------
#ifdef _WIN32
// How long a Windows read or replacement keeps trying while another program
// holds the file: a reader that does not let it be replaced, or a replacement
// under way. Such holds last milliseconds; after five seconds the read or the
// write fails as any other.
constexpr ULONGLONG BusyMilliseconds = 5000;

// Waits a moment before the next try; false once the time is up.
bool TryAgain(ULONGLONG started)
{
    if (GetTickCount64() - started >= BusyMilliseconds)
        return false;
    Sleep(1);
    return true;
}

bool Busy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED
           || error == ERROR_LOCK_VIOLATION;
}

std::wstring NativePath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// The whole file; nullopt when it cannot be read, an empty array with
// `missing` set when it does not exist. The file is opened letting others
// read, write and replace it, so a reader never stops a writer's replacement;
// a file held by another program is tried again.
std::optional<QByteArray> ReadWholeFile(const QString& path, bool* missing)
{
    *missing = false;
    if (path.isEmpty()) {
        *missing = true;
        return QByteArray();
    }
    const std::wstring name = NativePath(path);
    HANDLE handle = INVALID_HANDLE_VALUE;
    const ULONGLONG started = GetTickCount64();
    for (;;) {
        handle = CreateFileW(name.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            break;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            *missing = true;
            return QByteArray();
        }
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (!Busy(error)
            || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            || !TryAgain(started))
            return std::nullopt;
    }
    QByteArray content;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) {
            CloseHandle(handle);
            return std::nullopt;
        }
        if (got == 0)
            break;
        content.append(buffer, qsizetype(got));
    }
    CloseHandle(handle);
    return content;
}
#else
// The whole file; nullopt when it cannot be read, an empty array with
// `missing` set when it does not exist.
std::optional<QByteArray> ReadWholeFile(const QString& path, bool* missing)
{
    *missing = false;
    if (path.isEmpty()) {
        *missing = true;
        return QByteArray();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path)) {
            *missing = true;
            return QByteArray();
        }
        return std::nullopt;
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return content;
}
#endif

#ifdef _WIN32
// Gives the open temporary file `handle` the name `target`, replacing the file
// there in one step. Renamed through its own handle: the old file is never
// opened, so a reader opening it meanwhile finds the old file or the new one
// (MoveFileEx would hold the old one exclusively for a moment). Where the
// system has it (Windows 10), the replacement with POSIX semantics goes through
// while readers that let the file be replaced, as ours do, hold the old one;
// other holders make it fail for a moment: it is tried again.
bool RenameOver(HANDLE handle, const std::wstring& target)
{
    const size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes + sizeof(wchar_t), 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(nameBytes);
    std::memcpy(info->FileName, target.c_str(), nameBytes + sizeof(wchar_t));
    constexpr auto RenameInfoEx = FILE_INFO_BY_HANDLE_CLASS(22);  // FileRenameInfoEx
    bool posix = true;
    const ULONGLONG started = GetTickCount64();
    for (;;) {
        if (posix) {
            info->Flags = 0x1 | 0x2;  // FILE_RENAME_FLAG_REPLACE_IF_EXISTS | _POSIX_SEMANTICS
            if (SetFileInformationByHandle(handle, RenameInfoEx, info, DWORD(buffer.size())))
                return true;
            const DWORD error = GetLastError();
            posix = Busy(error);  // not known to this system or file system: the classic way
            if (!posix)
                info->Flags = 0;
        }
        if (!posix) {
            info->ReplaceIfExists = TRUE;
            if (SetFileInformationByHandle(handle, FileRenameInfo, info, DWORD(buffer.size())))
                return true;
        }
        if (!Busy(GetLastError()) || !TryAgain(started))
            return false;
    }
}

// Replaces `path` with `content`: a temporary file beside it, flushed to the
// disk, then renamed over the old one, so a reader sees either the old file
// or the new one, never a part of either.
bool ReplaceFile(const QString& path, const QByteArray& content)
{
    const std::wstring target = NativePath(QFileInfo(path).absoluteFilePath());
    const std::wstring temp = target + L".tmp" + std::to_wstring(GetCurrentProcessId());
    // Shared: once renamed, the handle stands for the new file until it is
    // closed, and readers must be able to open that.
    HANDLE handle = CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(handle, content.constData(), DWORD(content.size()), &written, nullptr)
              && written == DWORD(content.size()) && FlushFileBuffers(handle);
    bool renamed = ok && RenameOver(handle, target);
    CloseHandle(handle);
    if (ok && !renamed) {
        // A file system that cannot rename through a handle: the usual move.
        const ULONGLONG started = GetTickCount64();
        for (;;) {
            renamed = MoveFileExW(temp.c_str(), target.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            if (renamed || !Busy(GetLastError()) || !TryAgain(started))
                break;
        }
    }
    if (!renamed)
        DeleteFileW(temp.c_str());
    return renamed;
}

// An exclusive lock on "<file>.lock", held while the object lives (LockFileEx
// waits for it). The lock file is never removed.
class WriterLock {
public:
    explicit WriterLock(const QString& path)
    {
        const std::wstring name = QDir::toNativeSeparators(path + ".lock").toStdWString();
        handle_ = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE)
            return;
        OVERLAPPED whole{};
        if (!LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }
    ~WriterLock()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);  // releases the lock
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
#else
bool WriteAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Replaces `path` with `content`: a temporary file in the same folder, synced
// to disk, then renamed over the old one, so a reader sees either the old file
// or the new one, never a part of either. The old file's permissions are kept.
bool ReplaceFile(const QString& path, const QByteArray& content)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temp = target + ".tmp" + QByteArray::number(qint64(::getpid()));
    int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat old;
    bool ok = true;
    if (::stat(target.constData(), &old) == 0)
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    // Make the rename itself durable.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

// An exclusive lock on "<file>.lock", held while the object lives. The lock
// file is never removed: removing it would let two writers lock two files.
class WriterLock {
public:
    explicit WriterLock(const QString& path)
    {
        const QByteArray name = QFile::encodeName(path) + ".lock";
        fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0)
            return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~WriterLock()
    {
        if (fd_ >= 0)
            ::close(fd_);  // releases the lock
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};
#endif

bool HasLineBreakOrNul(const QByteArray& text)
{
    return text.contains('\n') || text.contains('\r') || text.contains('\0');
}

}  // namespace

// --- Windows-1252 -----------------------------------------------------------
QString FromAnsi(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(Cp1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

QByteArray ToAnsi(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            bytes.append('?');  // one replacement per character, not per half
            ++i;
            continue;
        }
        bytes.append(AnsiByte(c.unicode()));
    }
    return bytes;
}

// --- The profile service --------------------------------------------------
QByteArray GetProfileValue(const QString& file, const QByteArray& section,
                           const QByteArray& key, bool* found)
{
    if (found)
        *found = false;
    bool missing = false;
    const std::optional<QByteArray> content = ReadWholeFile(file, &missing);
    if (!content)
        return {};
    const std::vector<Line> lines = ParseLines(*content);
    const QByteArray wantedKey = TrimBlanks(key);
    qsizetype i = FindSection(lines, TrimBlanks(section));
    if (i < 0)
        return {};
    for (++i; i < qsizetype(lines.size()) && lines[i].kind != Line::Section; ++i) {
        if (lines[i].kind == Line::Entry && SameName(lines[i].name, wantedKey)) {
            if (found)
                *found = true;
            return lines[i].value;
        }
    }
    return {};
}

bool WriteProfileValue(const QString& file, const QByteArray& section,
                       const QByteArray& key, const QByteArray& value)
{
    // A line break in any part would write further lines (a forged key or
    // section); a key must also read back as a key.
    const QByteArray sectionName = TrimBlanks(section);
    const QByteArray keyName = TrimBlanks(key);
    if (file.isEmpty() || sectionName.isEmpty() || keyName.isEmpty()
        || HasLineBreakOrNul(sectionName) || HasLineBreakOrNul(keyName)
        || HasLineBreakOrNul(value) || keyName.contains('=') || keyName.startsWith('[')
        || keyName.startsWith(';'))
        return false;

    // Write through a symbolic link to the file it names, not over the link.
    QString path = file;
    if (const QString canonical = QFileInfo(file).canonicalFilePath(); !canonical.isEmpty())
        path = canonical;

    WriterLock lock(path);
    if (!lock.held())
        return false;

    bool missing = false;
    const std::optional<QByteArray> read = ReadWholeFile(path, &missing);
    if (!read)
        return false;  // never replace a file we could not read
    const QByteArray& content = *read;
    // Lines the write adds end as Windows ends them, whatever the file's own
    // lines end with; those are kept as they are.
    const QByteArray eol = "\r\n";
    const std::vector<Line> lines = ParseLines(content);

    QByteArray updated;
    qsizetype s = FindSection(lines, sectionName);
    if (s < 0) {
        updated = content;
        if (updated.size() > ContentStart(updated) && !updated.endsWith('\n')
            && !updated.endsWith('\r'))
            updated += eol;
        updated += '[' + sectionName + ']' + eol + keyName + '=' + value + eol;
    } else {
        qsizetype lastFilled = s;  // the line after which a new key goes
        qsizetype i = s + 1;
        for (; i < qsizetype(lines.size()) && lines[i].kind != Line::Section; ++i) {
            const Line& line = lines[i];
            if (line.kind == Line::Entry && SameName(line.name, keyName)) {
                updated = content.left(line.keyEnd) + '=' + value + content.mid(line.end);
                break;
            }
            if (!TrimBlanks(content.mid(line.begin, line.end - line.begin)).isEmpty())
                lastFilled = i;
        }
        if (updated.isNull()) {
            const Line& after = lines[lastFilled];
            if (after.next == after.end)  // the file's last line, with no break
                updated = content.left(after.next) + eol + keyName + '=' + value;
            else
                updated = content.left(after.next) + keyName + '=' + value + eol
                          + content.mid(after.next);
        }
    }
    if (!missing && updated == *read)
        return true;
    return ReplaceFile(path, updated);
}

// --- The suite's routines -------------------------------------------------
QString ReadIni(const QString& file, const QString& section, const QString& key)
{
    const QByteArray value = GetProfileValue(file, ToAnsi(section), ToAnsi(key));
    return CutAtNul(FromAnsi(value).left(ReadIniMaxChars));
}

void WriteIni(const QString& file, const QString& section, const QString& key,
              const QString& value)
{
    WriteProfileValue(file, ToAnsi(section), ToAnsi(key), ToAnsi(value));
}

QString CutAtNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

}  // namespace shell
