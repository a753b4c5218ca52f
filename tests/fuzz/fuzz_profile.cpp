// Fuzz target: the INI profile service. The input is a file's content, then a
// section, a key and a value (parts split at the first three 0xFF bytes).
// Reading any file never fails; a write that reports success leaves its value
// readable under its section and key and every other value as it was; a
// write that fails leaves the file as it was.
#include "shell/profile.h"

#include <QFile>
#include <QList>

#include <cstdint>
#include <cstdlib>
#include <utility>

#include <unistd.h>

namespace {

QByteArray TrimBlanks(QByteArray text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove(0, 1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

// Section and key of every line that looks like a value, named as a reader
// would ask for them; whether the service agrees is what is checked.
QList<std::pair<QByteArray, QByteArray>> NamedValues(const QByteArray& content)
{
    QList<std::pair<QByteArray, QByteArray>> names;
    QByteArray section;
    // CRLF, LF and a lone CR each end a line.
    for (const QByteArray& raw : QByteArray(content).replace("\r\n", "\n").replace('\r', '\n').split('\n')) {
        const QByteArray line = TrimBlanks(raw);
        if (line.startsWith('[')) {
            const qsizetype close = line.lastIndexOf(']');
            section = TrimBlanks(line.mid(1, close < 0 ? -1 : close - 1));
        } else if (const qsizetype eq = line.indexOf('='); eq > 0) {
            names.append({section, TrimBlanks(line.left(eq))});
        }
    }
    return names;
}

// Double quotes around a value are not part of it.
QByteArray Unquoted(const QByteArray& value)
{
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        return value.mid(1, value.size() - 2);
    return value;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        std::abort();
}

const QString& ScratchFile()
{
    // tmpfs when there is one: the service syncs every file it writes.
    static const QString path = QStringLiteral("%1/quenvol-fuzz-profile-%2.ini")
                                    .arg(access("/dev/shm", W_OK) == 0 ? QStringLiteral("/dev/shm")
                                                                        : QStringLiteral("/tmp"))
                                    .arg(getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArray> parts = input.split('\xFF');
    while (parts.size() < 4)
        parts.append(QByteArray());
    const QByteArray& content = parts[0];
    const QByteArray& section = parts[1];
    const QByteArray& key = parts[2];
    const QByteArray value = parts.mid(3).join('\xFF');

    const QString& path = ScratchFile();
    WriteFile(path, content);
    const auto names = NamedValues(content);
    QList<std::pair<bool, QByteArray>> before;
    for (const auto& [s, k] : names) {
        bool found = false;
        const QByteArray v = shell::GetProfileValue(path, s, k, &found);
        before.append({found, v});
    }
    if (shell::ReadIni(path, shell::FromAnsi(section), shell::FromAnsi(key)).size() > 99)
        std::abort();

    const bool written = shell::WriteProfileValue(path, section, key, value);
    const QByteArray after = ReadFile(path);
    if (!written) {
        if (after != content)
            std::abort();  // a failed write changed the file
        return 0;
    }
    bool found = false;
    if (shell::GetProfileValue(path, section, key, &found) != Unquoted(TrimBlanks(value)) || !found)
        std::abort();  // the value written does not read back
    for (qsizetype i = 0; i < names.size(); ++i) {
        const auto& [s, k] = names[i];
        const bool sameSection = shell::FromAnsi(TrimBlanks(s)).compare(shell::FromAnsi(TrimBlanks(section)),
                                                                       Qt::CaseInsensitive) == 0;
        const bool sameKey = shell::FromAnsi(TrimBlanks(k)).compare(shell::FromAnsi(TrimBlanks(key)),
                                                                   Qt::CaseInsensitive) == 0;
        if (sameSection && sameKey)
            continue;
        bool stillFound = false;
        const QByteArray v = shell::GetProfileValue(path, s, k, &stillFound);
        if (stillFound != before[i].first || v != before[i].second)
            std::abort();  // another value changed
    }
    return 0;
}
