// The per-user settings store: text values by application, section and key.
// On Windows in the registry, where the suite's other programs keep them (key
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>,
// value <key>); on Linux one INI-format file per application,
// named after the application in lower case, in
// $XDG_CONFIG_HOME/morvanex-settings (default ~/.config/...).
#pragma once

#include <QString>

namespace shell {

// Empty text when the value, the section or the file is missing.
QString GetSetting(const QString& application, const QString& section, const QString& key);
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

// The folder that holds the settings files (created on first save); on
// Windows the registry key that holds the applications.
QString SettingsFolder();

}  // namespace shell
