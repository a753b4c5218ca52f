// Where the suite's shared INI file is found at start-up.
#include "shell/ini_location.h"

#include "shell/platform.h"
#include "shell/user_settings.h"

namespace shell {

QString FindIniFile()
{
    const QString local = ProgramFolder() + "/Morvanex.ini";
    if (IniFileExists(local))
        return local;

    // With no "ExePath" recorded the candidate would be "/Torlaven.ini" at the
    // root of the file system, a place no user file should come from.
    const QString suiteFolder = GetSetting("MORVANEX", "Setting", "ExePath");
    if (!suiteFolder.trimmed().isEmpty()) {
        const QString suite = suiteFolder + "/Torlaven.ini";
        if (IniFileExists(suite))
            return suite;
    }

    const QString personal = WindowsFolder() + "Morvanex.ini";
    if (IniFileExists(personal))
        return personal;
    // The office's file for every user, where an administrator puts it.
    for (const QString& folder : SystemConfigFolders()) {
        const QString office = folder + "/Morvanex.ini";
        if (IniFileExists(office))
            return office;
    }
    return personal;
}

QStringList SystemConfigFolders()
{
    // Relative entries are ignored, as the XDG rules ask.
    QStringList folders;
    const QString list = qEnvironmentVariable("XDG_CONFIG_DIRS");
    for (const QString& folder : list.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (folder.startsWith(QLatin1Char('/')))
            folders << (folder.size() > 1 && folder.endsWith(QLatin1Char('/')) ? folder.chopped(1) : folder);
    if (folders.isEmpty())
        folders << QStringLiteral("/etc/xdg");
    return folders;
}

QString HiddenOfficeIniFile(const QString& iniFileInUse)
{
    for (const QString& folder : SystemConfigFolders()) {
        const QString office = folder + "/Morvanex.ini";
        if (IniFileExists(office))
            return office == iniFileInUse ? QString() : office;
    }
    return {};
}

}  // namespace shell
