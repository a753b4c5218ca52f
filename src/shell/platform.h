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
