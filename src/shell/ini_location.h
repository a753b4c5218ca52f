// Where the suite's shared INI file is found at start-up.
#pragma once

#include <QString>
#include <QStringList>

namespace shell {

// The INI file in use, first match wins: "Morvanex.ini" in the program's
// folder; else "Torlaven.ini" in the folder of the per-user setting "ExePath"
// of application "MORVANEX"; else "Morvanex.ini" in WindowsFolder() when it
// exists; else the first "Morvanex.ini" of SystemConfigFolders() (the office's
// file for every user); else "Morvanex.ini" in WindowsFolder() all the same.
QString FindIniFile();

// The system configuration folders: $XDG_CONFIG_DIRS (absolute entries, in
// order, without a trailing "/"), by default /etc/xdg.
QStringList SystemConfigFolders();

// The office's file (the first "Morvanex.ini" of SystemConfigFolders()) when
// it exists and the file in use is another one, which hides it: empty otherwise.
QString HiddenOfficeIniFile(const QString& iniFileInUse);

}  // namespace shell
