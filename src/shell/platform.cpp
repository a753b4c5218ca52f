// Platform facilities shared by every system: the program's folder, the INI
// file's checks, starting a sibling program detached (a new process on Linux,
// CreateProcess on Windows, both through QProcess). The rest is in
// platform_posix.cpp (X11) and platform_windows.cpp.
#include "shell/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace shell {

namespace {

QString& ProgramFolderOverride()
{
    static QString folder;
    return folder;
}

// Splits a command line into words: blanks separate, double quotes group
// (and are dropped), no other character is special. "" gives an empty word.
QStringList SplitCommandLine(const QString& commandLine)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (QChar c : commandLine) {
        if (c == u'"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words << word;
    return words;
}

}  // namespace

QString WindowsFolder()
{
    QString folder = SystemWindowsFolder();
    while (folder.endsWith(u' '))
        folder.chop(1);
    if (folder.isEmpty())
        return {};
    // A folder that already ends in the separator (a drive's root on Windows)
    // gives empty text, so the INI file name is then taken relative to the
    // current directory: the suite relies on it.
    const QChar separator = QDir::separator();
    return folder.endsWith(separator) ? QString() : folder + separator;
}

// --- Folders ----------------------------------------------------------------
QString ProgramFolder()
{
    if (!ProgramFolderOverride().isEmpty())
        return ProgramFolderOverride();
    // With the system's separators: on Windows "C:\\Program Files\\Quenvol",
    // as the suite records its programs' folders.
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

void SetProgramFolderForTesting(const QString& folder)
{
    ProgramFolderOverride() = folder;
}

QString ExecutableName()
{
    return QStringLiteral("Quenvol");
}

bool IniFileExists(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && !info.fileName().startsWith(u'.');
}

bool DirectoryExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool CreateDirectoryOneLevel(const QString& path)
{
    return !path.isEmpty() && QDir().mkdir(path);
}

// --- Processes ----------------------------------------------------------------
std::optional<long long> StartProgram(const QString& commandLine)
{
    QStringList words = SplitCommandLine(commandLine);
    if (words.isEmpty() || words.first().isEmpty())
        return std::nullopt;
    const QString program = words.takeFirst();
    qint64 pid = 0;
    if (!QProcess::startDetached(program, words, QString(), &pid) || pid <= 0)
        return std::nullopt;
    return pid;
}

// --- Texts shown to the operator -------------------------------------------
QString PathAsShown(const QString& path)
{
    QString shown = QDir::toNativeSeparators(path);
    const QChar separator = QDir::separator();
    const QString doubled(2, separator);
    // A Windows network path begins with two backslashes of its own.
    const qsizetype from = separator == QLatin1Char('\\') && shown.startsWith(doubled) ? 2 : 0;
    for (qsizetype at = shown.indexOf(doubled, from); at >= 0; at = shown.indexOf(doubled, at))
        shown.remove(at, 1);
    return shown;
}

QString CommandHelp(const QString& text)
{
    QString filled;
    qsizetype done = 0;
    for (qsizetype open = text.indexOf(QLatin1Char('{')); open >= 0; open = text.indexOf(QLatin1Char('{'), done)) {
        const qsizetype close = text.indexOf(QLatin1Char('}'), open);
        if (close < 0)
            break;
        const QString word = HelpWord(text.mid(open + 1, close - open - 1));
        filled += text.mid(done, open - done);
        filled += word.isNull() ? text.mid(open, close - open + 1) : word;
        done = close + 1;
    }
    return filled + text.mid(done);
}

}  // namespace shell
