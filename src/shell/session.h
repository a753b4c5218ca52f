// The session: the INI file in use, the company, its data folder and its
// database, as the start-up finds them. The window keeps it and hands it to
// whatever needs them (the hand-off to the sibling programs).
#pragma once

#include <QString>

namespace shell {

struct Session {
    QString IniFile;       // full path of the INI file in use
    QString CompanyCode;   // "DITTA" of section "BASE"
    QString DataDir;       // "DIRINI" of section "PATH", or the drive root
    QString DatabasePath;  // DataDir + CompanyCode + "/quelda.mdb"
    QString Server;        // "SERVER" of section "DATABASE": the office server's
                           // connection string, blank for the file

    bool operator==(const Session&) const = default;
};

// Finds the INI file, reads the company and the data folder from it (the
// current drive's root when none is given), creates the data folder one level
// deep when it is missing, and names the company's database.
Session StartSession();

}  // namespace shell
