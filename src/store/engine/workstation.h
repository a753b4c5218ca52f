// Who this process is to the history: the operating-system user, the
// workstation's host name and the program's version.
#pragma once

#include <QString>

namespace store {

struct Workstation {
    QString user;
    QString host;
    QString version;
};
const Workstation& ThisWorkstation();

}  // namespace store
