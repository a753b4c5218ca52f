// The per-user settings store: text values by application, section and key,
// kept as one INI-format file per application, named after the application in
// lower case, in $XDG_CONFIG_HOME/morvanex-settings (default ~/.config/...).
#pragma once

#include <QString>

namespace shell {

// Empty text when the value, the section or the file is missing.
QString GetSetting(const QString& application, const QString& section, const QString& key);
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

// The folder that holds the settings files (created on first save).
QString SettingsFolder();

}  // namespace shell
