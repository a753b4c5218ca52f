// Where the suite's shared INI file is found at start-up.
#pragma once

#include <QString>

namespace shell {

// The INI file in use, first match wins: "Morvanex.ini" in the program's
// folder; else "Torlaven.ini" in the folder of the per-user setting "ExePath"
// of application "MORVANEX"; else "Morvanex.ini" in WindowsFolder(), whether
// or not that one exists.
QString FindIniFile();

}  // namespace shell
