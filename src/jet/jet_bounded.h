// Reading a Jet file where a damaged file cannot take the machine: the work
// runs in a child process with limits on its processor time and memory, and a
// child that exceeds them or crashes is reported as a damaged file.
#pragma once

#include <QString>

#include <functional>

namespace jet {

struct Limits {
    int cpuSeconds = 60;                        // processor time of the reading
    qint64 memoryBytes = qint64(512) << 20;     // memory it may hold
};

// The limits, or those set by QUENVOL_JET_CPU_SECONDS and QUENVOL_JET_MEMORY_MB.
Limits LimitsFromEnvironment();

// Runs `work` in a child process bounded by `limits` and returns its exit
// status. When the child is stopped by a limit or ends by a signal, prints
// that `file` is damaged, why, and `outcome` (what was left undone) on
// standard error and returns 1. Standard output and error are shared with
// the child; the child ends without running the parent's destructors.
int RunBounded(const QString& file, const Limits& limits, const QString& outcome,
               const std::function<int()>& work);

}  // namespace jet
