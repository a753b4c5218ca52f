// The per-user settings store: one INI-format file per application in the
// user's configuration folder, read and written through the profile service.
// These files belong to the suite's own programs on this system, so values are
// kept as UTF-8: a folder name in any script survives the round trip.
#include "shell/user_settings.h"

#include "shell/profile.h"

#include <QDir>
#ifdef _WIN32
#include <QSettings>
#endif

namespace shell {

#ifdef _WIN32
QString SettingsFolder()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings");
}

namespace {

// The application's key; none for a name that is empty or would reach
// another key.
bool PlainName(const QString& name)
{
    return !name.trimmed().isEmpty() && !name.contains(u'\\') && !name.contains(u'/')
           && !name.contains(QChar(u'\0'));
}

}  // namespace

QString GetSetting(const QString& application, const QString& section, const QString& key)
{
    if (!PlainName(application) || !PlainName(section) || !PlainName(key))
        return {};
    QSettings settings(SettingsFolder() + u'\\' + application.trimmed(), QSettings::NativeFormat);
    return settings.value(section + u'/' + key).toString();
}

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value)
{
    if (!PlainName(application) || !PlainName(section) || !PlainName(key))
        return;
    QSettings settings(SettingsFolder() + u'\\' + application.trimmed(), QSettings::NativeFormat);
    settings.setValue(section + u'/' + key, value);
    settings.sync();
}
#else
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

#endif

}  // namespace shell
