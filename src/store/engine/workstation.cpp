// The workstation of this process, read once.
#include "store/engine/workstation.h"

#include "store/engine/system_files.h"
#include "version.h"

#include <QSysInfo>

namespace store {

const Workstation& ThisWorkstation()
{
    static const Workstation workstation{
        system::UserName(), QSysInfo::machineHostName(),
        QStringLiteral("%1.%2.%3").arg(QUENVOL_VERSION_MAJOR).arg(QUENVOL_VERSION_MINOR).arg(QUENVOL_VERSION_PATCH)};
    return workstation;
}

}  // namespace store
