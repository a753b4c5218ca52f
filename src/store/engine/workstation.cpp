// The workstation of this process, read once.
#include "store/engine/workstation.h"

#include "version.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace store {

namespace {

QString OperatingSystemUser()
{
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

}  // namespace

const Workstation& ThisWorkstation()
{
    static const Workstation workstation{
        OperatingSystemUser(), QSysInfo::machineHostName(),
        QStringLiteral("%1.%2.%3").arg(QUENVOL_VERSION_MAJOR).arg(QUENVOL_VERSION_MINOR).arg(QUENVOL_VERSION_PATCH)};
    return workstation;
}

}  // namespace store
