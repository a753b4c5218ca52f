// The bounds of a Jet file's reading, as the environment sets them (the same on both systems).
#include "jet/jet_bounded.h"

namespace jet {

Limits LimitsFromEnvironment()
{
    Limits limits;
    bool ok = false;
    if (const int seconds = qEnvironmentVariableIntValue("QUENVOL_JET_CPU_SECONDS", &ok); ok && seconds > 0)
        limits.cpuSeconds = seconds;
    if (const int megabytes = qEnvironmentVariableIntValue("QUENVOL_JET_MEMORY_MB", &ok); ok && megabytes > 0)
        limits.memoryBytes = qint64(megabytes) << 20;
    return limits;
}

}  // namespace jet
