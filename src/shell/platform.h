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
// The folder that stands for the Windows folder: $XDG_CONFIG_HOME, default
// $HOME/.config, as the system reports it (no trailing "/" guaranteed).
QString SystemWindowsFolder();
// The suite's WindowsFolder(): that folder with one trailing "/" added; empty
// when the folder is unknown or already ends in "/".
QString WindowsFolder();
// The first "three characters" of the current directory: its root, "/".
QString CurrentDriveRoot();
// Whether a path names an existing ordinary, non-hidden file.
bool IniFileExists(const QString& path);
bool DirectoryExists(const QString& path);
bool CreateDirectoryOneLevel(const QString& path);

// --- Processes ----------------------------------------------------------------
// Starts the command line detached, without a shell (split into program and
// arguments, double quotes group). Returns the new process id, or nullopt when
// the program cannot be started.
std::optional<long long> StartProgram(const QString& commandLine);
// Brings the top-level X11 window of the process forward (_NET_WM_PID).
// A live process whose window is not there yet (a program still starting) is
// given up to windowWaitMs to map it. False when the process is gone, its
// window did not come, or there is no display.
bool ActivateProgram(long long processId, int windowWaitMs = 2000);
long long CurrentProcessId();

}  // namespace shell
