// Making the session at start-up from the INI file.
#include "shell/session.h"

#include "shell/ini_location.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "store/tables/company_code.h"

#include <QDir>

namespace shell {

Session StartSession()
{
    Session session;
    session.IniFile = FindIniFile();
    session.CompanyCode = ReadIni(session.IniFile, QStringLiteral("BASE"), QStringLiteral("DITTA"));
    // A code that would lead outside the data folder touches nothing: the
    // start-up refuses it before any folder is created.
    if (!store::CompanyCodeProblem(session.CompanyCode).isEmpty())
        return session;
    session.DataDir = ReadIni(session.IniFile, QStringLiteral("PATH"), QStringLiteral("DIRINI"));
    if (session.DataDir.trimmed().isEmpty())
        session.DataDir = CurrentDriveRoot();
    if (!DirectoryExists(session.DataDir))
        CreateDirectoryOneLevel(session.DataDir);
    // DIRINI may name a drive and use backslashes on Windows ("C:\\DATI\\"):
    // the path is written with the system's own separators.
    session.DatabasePath =
        QDir::toNativeSeparators(session.DataDir + session.CompanyCode + QStringLiteral("/quelda.mdb"));
    // A non-blank [DATABASE] SERVER= puts the company on the office's server.
    // Read whole: a connection string may be longer than ReadIni returns.
    session.Server = FromAnsi(GetProfileValue(session.IniFile, "DATABASE", "SERVER"));
    return session;
}

}  // namespace shell
