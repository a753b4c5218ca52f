// The per-user settings store: one INI-format file per application in the
// user's configuration folder, read and written through the profile service.
// These files belong to the suite's own programs on this system, so values are
// kept as UTF-8: a folder name in any script survives the round trip.
#include "shell/user_settings.h"

#include "shell/profile.h"

#include <QDir>

namespace shell {

namespace {

// The file of one application, or empty text when the name cannot be a plain
// file name (empty, a path, or hidden): such a name reads as missing and is
// never written.
QString SettingsFile(const QString& application)
{
    const QString name = application.trimmed().toLower();
    if (name.isEmpty() || name.startsWith('.') || name.contains('/') || name.contains(QChar(u'\0')))
        return {};
    return SettingsFolder() + '/' + name + ".ini";
}

}  // namespace

QString SettingsFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = qEnvironmentVariable("HOME") + "/.config";
    return QDir::cleanPath(base + "/morvanex-settings");
}

QString GetSetting(const QString& application, const QString& section, const QString& key)
{
    const QString file = SettingsFile(application);
    if (file.isEmpty())
        return {};
    return QString::fromUtf8(GetProfileValue(file, section.toUtf8(), key.toUtf8()));
}

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value)
{
    const QString file = SettingsFile(application);
    if (file.isEmpty() || !QDir().mkpath(SettingsFolder()))
        return;
    WriteProfileValue(file, section.toUtf8(), key.toUtf8(), value.toUtf8());
}

}  // namespace shell
