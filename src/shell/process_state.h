// Process-wide state set at start-up and shared by the routines of every
// module: the INI file in use, the company, the data folder, the database path,
// and the scratch values of the last message box.
#pragma once

#include <QString>

namespace shell {

inline QString IniFile;        // full path of the INI file in use
inline QString CompanyCode;    // "DITTA" of section "BASE"
inline QString DataDir;        // "DIRINI" of section "PATH", or the drive root
inline QString DatabasePath;   // DataDir + CompanyCode + "/quelda.mdb"
inline int Answer = 0;         // button code of the last message box
inline QString MessageText;    // text of the last error message
inline bool Busy = false;      // read by BusyPointerOn

// The program's own title, used by boxes that give none.
inline const QString ProgramTitle = QStringLiteral("Quenvol");

}  // namespace shell
