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

    return WindowsFolder() + "Morvanex.ini";
}

}  // namespace shell
