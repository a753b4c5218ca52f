// Reading a Jet file where a damaged file cannot take the machine: the work
// runs in a child process with limits on its processor time, its memory and
// the messages the Jet library writes; a child that exceeds them, crashes or
// hears the library complain is reported as reading a damaged file. The
// child dies with its parent.
#pragma once

#include <QString>

#include <cstdio>
#include <functional>

namespace jet {

struct Limits {
    int cpuSeconds = 60;                        // processor time of the reading
    qint64 memoryBytes = qint64(512) << 20;     // memory it may hold
    qint64 messageBytes = qint64(1) << 20;      // what the library may write
};

// The limits, or those set by QUENVOL_JET_CPU_SECONDS and QUENVOL_JET_MEMORY_MB.
Limits LimitsFromEnvironment();

// Runs `work` in a child process bounded by `limits` and returns its exit
// status. `file` is first checked (FileProblem) without being opened. In
// the child, the library's standard output and error go to a pipe the
// parent reads: at most a few KB kept, the rest counted, the child killed
// past `limits.messageBytes`; the work writes its own words with Out() and
// Err(). When the child is stopped by a limit, ends by a signal or the
// library wrote anything, prints that `file` is damaged, why, and `outcome`
// (what was left undone) on standard error, with the library's first
// message beneath, and returns 1. The child ends without running the
// parent's destructors.
int RunBounded(const QString& file, const Limits& limits, const QString& outcome,
               const std::function<int()>& work);

// Where the reading's own output and messages go: standard output and error,
// also from inside the child.
std::FILE* Out();
std::FILE* Err();

// In the child: whether the library has written anything so far (a file it
// read with complaints is damaged even where the rows came). Always false
// outside RunBounded.
bool LibraryComplained();

// In the child, once the Jet file is read: standard output and error are the
// tool's again (what comes after, such as a server's notices, is no sign of
// a damaged file). Nothing outside RunBounded.
void EndReading();

}  // namespace jet
