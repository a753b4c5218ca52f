// Platform facilities that the Windows-era program took from the system:
// folders, processes, bringing another program's window forward. Each path a
// test must redirect has an override, so tests never touch the user's files.
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace shell {

// --- Folders ----------------------------------------------------------------
// The program's folder: the directory of the executable (overridable).
QString ProgramFolder();
void SetProgramFolderForTesting(const QString& folder);  // empty restores
// The program's executable name as the suite names it ("Quenvol").
QString ExecutableName();
// The Windows folder as the system reports it: on Windows GetWindowsDirectory
// ("C:\Windows"); on Linux the folder that stands for it, $XDG_CONFIG_HOME,
// default $HOME/.config (no trailing separator guaranteed).
QString SystemWindowsFolder();
// The suite's WindowsFolder(): that folder with one trailing separator ("\" on
// Windows, "/" on Linux) added; empty when the folder is unknown or already
// ends in one.
QString WindowsFolder();
// The first three characters of the current directory: its drive ("C:\") on
// Windows, its root "/" on Linux.
QString CurrentDriveRoot();
// A folder for Qt's runtime files when the session names none (root from
// sudo, a cron job): on Linux one per user in the temporary folder, private
// (0700) and used again by every run, so a run that is killed leaves nothing
// new behind. Empty when that name is taken by anything but a private folder
// of this user, and on Windows, which has no such folder: the caller then
// makes one of its own.
QString PrivateRuntimeFolder();
// Whether a path names an existing ordinary, non-hidden file.
bool IniFileExists(const QString& path);
bool DirectoryExists(const QString& path);
bool CreateDirectoryOneLevel(const QString& path);

// --- Display and processes ---------------------------------------------------
// Whether the window can be shown: on Linux an X display is named (or another
// platform in QT_QPA_PLATFORM); on Windows always. Whether a named display
// answers is found when the application connects to it.
bool DisplayAvailable();
// Starts the command line detached, without a shell (split into program and
// arguments, double quotes group). Returns the new process id, or nullopt when
// the program cannot be started.
std::optional<long long> StartProgram(const QString& commandLine);
// Brings a running program forward from the value recorded under "HANDLE".
// On Linux a process id: its top-level X11 window (_NET_WM_PID). On Windows
// a window handle, as the suite's programs record their own (restored when
// minimised, then SetForegroundWindow), or a process id recorded at its start:
// its top-level window. A live process whose window is not there yet (a
// program still starting) is given up to windowWaitMs to show it. False when
// the process or window is gone, its window did not come, or (on Linux) there
// is no display.
bool ActivateProgram(long long processId, int windowWaitMs = 2000);
long long CurrentProcessId();

// --- Commands shown to the operator -------------------------------------------
// A word of a command as the system's shell reads it back: on Linux in single
// quotes when it holds anything but plain characters; on Windows (cmd.exe) in
// double quotes when it holds a blank or a character cmd.exe treats specially.
QString ShellWord(const QString& word);
// The admin tool as a command names it: "quenvol-admin" on Linux (installed
// on the PATH); on Windows its full path beside the program, as a shell word.
QString AdminCommand();
// How setup tells the operator to start the window: "quenvol" on Linux; on
// Windows the Start menu entry the installer makes, or the program's full path.
QString StartAdvice();
// Where F1 sends the operator besides the manual, for the keys and the
// office's set-up: the man pages on Linux; on Windows the admin tool's own
// --help and the office guide the installer puts in the doc folder.
QString ManualAdvice();

// A path as the system writes it for the operator: backslashes on Windows, and
// a separator doubled where a blank folder and a name were joined made single
// (a leading "\\" of a Windows network path stays).
QString PathAsShown(const QString& path);
// A data folder a first command can offer the operator: "~/quenvol" on Linux
// (the shell expands it); on Windows the folder Dati on the system's drive
// ("C:\Dati"), a place cmd.exe and every program know.
QString SuggestedDataFolder();
// A command's help with its {words} written for this system: the example
// folders, the password file, the INI files' places, quoting and line
// continuation. A word this system does not know is left as it is.
QString CommandHelp(const QString& text);
// One {word} of CommandHelp for this system, or a null text when unknown.
QString HelpWord(const QString& name);
// Why a folder or file named on the command line cannot be meant as written,
// or empty text. On Windows a quote character (cmd.exe hands single quotes
// and stray double quotes on as part of the name) or a ":" anywhere but
// right after a leading drive letter. On Linux, where both are legal in
// names, only a path wrapped whole in a pair of the same quotes: quoted twice
// over, the outer pair is plainly not meant as part of the name.
QString PathArgumentProblem(const QString& path);

// --- Console -----------------------------------------------------------------
// For the life of this object a console shows the UTF-8 the admin program
// writes: on Windows the console's output code page is set to UTF-8 and the
// one it had is put back at the end (a console otherwise reads the bytes in
// its OEM code page, and every accented letter comes out wrong); on Linux the
// terminal already reads UTF-8 and nothing changes.
class Utf8Console {
public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    unsigned previousCodePage_ = 0;
};

// Reads one line typed on the terminal without showing it (a passphrase or
// a PIN), after writing `prompt` on standard error. Nothing when standard
// input is not a terminal or the line could not be read.
std::optional<QString> ReadHiddenLine(const QString& prompt);

}  // namespace shell
