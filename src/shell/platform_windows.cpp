// Platform facilities on Windows: the Windows folder, the current drive, and
// bringing a running program's window forward as the suite's programs do.
#ifdef _WIN32
#include "shell/platform.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include <windows.h>

namespace shell {

namespace {

struct WindowSearch {
    DWORD processId = 0;
    HWND found = nullptr;
};

// The first visible top-level window of the process, without an owner (its
// main window rather than a box it shows).
BOOL CALLBACK NoteProcessWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || GetWindow(window, GW_OWNER))
        return TRUE;
    search->found = window;
    return FALSE;
}

bool ProcessExists(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

}  // namespace

// --- Folders ----------------------------------------------------------------
QString SystemWindowsFolder()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return {};
    return QString::fromWCharArray(folder, int(length));
}

QString CurrentDriveRoot()
{
    return QDir::toNativeSeparators(QDir::currentPath()).left(3);
}

QString PrivateRuntimeFolder()
{
    return {};
}

// --- Display and processes -------------------------------------------------
bool DisplayAvailable()
{
    return true;
}

bool ActivateProgram(long long handle, int windowWaitMs)
{
    if (handle <= 0 || handle > 0xFFFFFFFFLL)
        return false;
    HWND window = reinterpret_cast<HWND>(static_cast<quintptr>(handle));
    if (!IsWindow(window)) {
        if (DWORD(handle) == GetCurrentProcessId())
            return false;  // we are no sibling of our own
        // A process id, as recorded when the program was started from here:
        // its window, once it shows one.
        WindowSearch search{DWORD(handle), nullptr};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(windowWaitMs);
        for (;;) {
            EnumWindows(NoteProcessWindow, reinterpret_cast<LPARAM>(&search));
            if (search.found || std::chrono::steady_clock::now() >= deadline
                || !ProcessExists(search.processId))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!search.found)
            return false;
        window = search.found;
    } else {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId())
            return false;  // our own window names no sibling
    }
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    // Windows hands the foreground on only from the foreground process: the
    // operator's key press in our window makes us that process.
    BringWindowToTop(window);
    SetForegroundWindow(window);
    return true;
}

long long CurrentProcessId()
{
    return qint64(GetCurrentProcessId());
}

Utf8Console::Utf8Console()
{
    previousCodePage_ = GetConsoleOutputCP();  // 0 without a console
    if (previousCodePage_ != 0 && previousCodePage_ != CP_UTF8)
        SetConsoleOutputCP(CP_UTF8);
}

Utf8Console::~Utf8Console()
{
    if (previousCodePage_ != 0 && previousCodePage_ != CP_UTF8)
        SetConsoleOutputCP(previousCodePage_);
}

std::optional<QString> ReadHiddenLine(const QString& prompt)
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode))
        return std::nullopt;
    const std::wstring shown = prompt.toStdWString();
    DWORD written = 0;
    WriteConsoleW(GetStdHandle(STD_ERROR_HANDLE), shown.c_str(), DWORD(shown.size()), &written, nullptr);
    SetConsoleMode(input, mode & ~DWORD(ENABLE_ECHO_INPUT));
    std::wstring line;
    wchar_t c = 0;
    DWORD got = 0;
    bool read = false;
    while (ReadConsoleW(input, &c, 1, &got, nullptr) && got == 1) {
        read = true;
        if (c == L'\n')
            break;
        if (c != L'\r')
            line += c;
    }
    SetConsoleMode(input, mode);
    WriteConsoleW(GetStdHandle(STD_ERROR_HANDLE), L"\r\n", 2, &written, nullptr);
    if (!read)
        return std::nullopt;
    const QString text = QString::fromStdWString(line);
    std::fill(line.begin(), line.end(), L'\0');  // the passphrase is not left in freed memory
    return text;
}

QString ShellWord(const QString& word)
{
    // cmd.exe keeps single quotes as part of the word; double quotes group.
    static const QString special = QStringLiteral(" \t&|<>^()%!,;=");
    for (const QChar c : word)
        if (special.contains(c)) {
            // Backslashes before the closing quote are doubled, or the
            // program would read \" as a quote inside the word.
            qsizetype trailing = 0;
            while (trailing < word.size() && word[word.size() - 1 - trailing] == QLatin1Char('\\'))
                ++trailing;
            return QLatin1Char('"') + word + QString(trailing, QLatin1Char('\\')) + QLatin1Char('"');
        }
    return word.isEmpty() ? QStringLiteral("\"\"") : word;
}

QString AdminCommand()
{
    return ShellWord(ProgramFolder() + QStringLiteral("\\quenvol-admin.exe"));
}

QString StartAdvice()
{
    return QStringLiteral("Avviare il programma dal menu Start (Quenvol) o con: ") +
        ShellWord(ProgramFolder() + QStringLiteral("\\quenvol.exe"));
}

QString ManualAdvice()
{
    return QStringLiteral("I comandi di amministrazione: %1 --help; la preparazione dell'ufficio: %2.")
        .arg(AdminCommand(), ShellWord(ProgramFolder() + QStringLiteral("\\doc\\office.md")));
}

QString SuggestedDataFolder()
{
    QString drive = qEnvironmentVariable("SystemDrive");
    if (drive.size() != 2 || !drive[0].isLetter() || drive[1] != QLatin1Char(':'))
        drive = QStringLiteral("C:");
    return drive + QStringLiteral("\\Dati");
}

QString HelpWord(const QString& name)
{
    static const QHash<QString, QString> words{
        {QStringLiteral("dati"), QStringLiteral("C:\\Dati")},
        {QStringLiteral("copie"), QStringLiteral("D:\\Copie")},
        {QStringLiteral("copia"), QStringLiteral("C:\\Copia")},
        {QStringLiteral("jet"), QStringLiteral("\\\\server\\ufficio\\ROSSI\\quelda.mdb")},
        {QStringLiteral("server"), QStringLiteral("\"host=server dbname=quenvol\"")},
        {QStringLiteral("server-ufficio"), QStringLiteral("\"host=server.ufficio dbname=quenvol\"")},
        {QStringLiteral("pgpass"), QStringLiteral("%APPDATA%\\postgresql\\pgpass.conf")},
        {QStringLiteral("ini-personale"), QStringLiteral("Morvanex.ini nella cartella di Windows\n(di solito C:\\Windows\\Morvanex.ini)")},
        {QStringLiteral("ini-ufficio"),
         QStringLiteral("Un file Morvanex.ini accanto al programma, se c'è, vale prima di quello\n"
                        "nella cartella di Windows: il comando dice quale dei due il programma legge.")},
        {QStringLiteral("/"), QStringLiteral("\\")},
        {QStringLiteral("a-capo"), QStringLiteral(" ^\n")},
        {QStringLiteral("guard-servizio"),
         QStringLiteral("sul server Windows lo si avvia all'accensione con un'operazione\npianificata "
                        "(schtasks), come dice la guida dell'ufficio (doc\\office.md).")},
        {QStringLiteral("guard-esempio"), QStringLiteral("quenvol-admin guard \"dbname=quenvol user=postgres\"")},
        {QStringLiteral("grant-esempio"), QStringLiteral("quenvol-admin grant \"dbname=quenvol user=postgres\"")},
        {QStringLiteral("sha256-controllo"),
         QStringLiteral("che si confronta con certutil -hashfile <nome> SHA256")},
        {QStringLiteral("backup-cartella"), QStringLiteral("(anche l'account di un'operazione pianificata)")},
    };
    const auto found = words.constFind(name);
    return found == words.constEnd() ? QString() : *found;
}

QString PathArgumentProblem(const QString& path)
{
    if (path.contains(QLatin1Char('\'')) || path.contains(QLatin1Char('"')))
        return QStringLiteral("il percorso %1 contiene un apice o delle virgolette: sul prompt dei comandi "
                              "(cmd.exe) un percorso si scrive tra virgolette doppie, solo se contiene spazi, "
                              "per esempio \"C:\\Dati ufficio\"")
            .arg(path);
    for (qsizetype at = path.indexOf(QLatin1Char(':')); at >= 0; at = path.indexOf(QLatin1Char(':'), at + 1))
        if (at != 1 || !(path[0].isLetter() && path[0].unicode() < 128))
            return QStringLiteral("il percorso %1 contiene \":\" altrove che dopo la lettera dell'unità "
                                  "iniziale (C:): Windows non lo ammette in un nome di cartella o di file")
                .arg(path);
    return {};
}

}  // namespace shell
#endif
