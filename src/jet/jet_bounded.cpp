// The child process that reads a Jet file: processor time bounded by
// RLIMIT_CPU, memory by RLIMIT_AS and by the parent, which watches the
// child's resident memory (the one bound that also holds under the address
// sanitizer, whose shadow memory takes the address space).
#include "jet/jet_bounded.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <poll.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define QUENVOL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUENVOL_ADDRESS_SANITIZER 1
#endif
#endif

namespace jet {

namespace {

// How often the parent looks at the child's memory.
constexpr int WatchMilliseconds = 20;
// The child's status when an allocation failed under the memory limit.
constexpr int OutOfMemoryStatus = 125;

qint64 ResidentBytes(pid_t pid)
{
    QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0;
    return fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE);
}

void SetLimits(const Limits& limits)
{
    // The soft limit sends SIGXCPU; the hard one, a second later, SIGKILL.
    const rlim_t cpu = rlim_t(limits.cpuSeconds);
    const rlimit cpuLimit{cpu, cpu + 1};
    ::setrlimit(RLIMIT_CPU, &cpuLimit);
#ifndef QUENVOL_ADDRESS_SANITIZER
    // The address space holds the program and its libraries besides the
    // reading's memory: they are allowed on top of the limit.
    constexpr qint64 ProgramRoom = qint64(512) << 20;
    const rlim_t bytes = rlim_t(limits.memoryBytes + ProgramRoom);
    const rlimit memoryLimit{bytes, bytes};
    ::setrlimit(RLIMIT_AS, &memoryLimit);
#endif
}

int OpenProcessHandle(pid_t pid)
{
#ifdef SYS_pidfd_open
    return int(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

}  // namespace

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

int RunBounded(const QString& file, const Limits& limits, const QString& outcome,
               const std::function<int()>& work)
{
    // What is buffered now would otherwise be written twice.
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child < 0) {
        std::fprintf(stderr, "quenvol-admin: impossibile avviare la lettura del file %s\n",
                     QFile::encodeName(file).constData());
        return 1;
    }
    if (child == 0) {
        SetLimits(limits);
        int status = 1;
        try {
            status = work();
        } catch (const std::bad_alloc&) {
            ::_exit(OutOfMemoryStatus);
        }
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(status);
    }

    const int handle = OpenProcessHandle(child);
    bool overMemory = false;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            break;
        if (done < 0 && errno != EINTR) {
            status = 0;
            break;
        }
        if (!overMemory && ResidentBytes(child) > limits.memoryBytes) {
            overMemory = true;
            ::kill(child, SIGKILL);
        }
        if (handle >= 0) {
            pollfd wait{handle, POLLIN, 0};
            ::poll(&wait, 1, WatchMilliseconds);
        } else {
            ::usleep(WatchMilliseconds * 1000);
        }
    }
    if (handle >= 0)
        ::close(handle);

    if (WIFEXITED(status) && WEXITSTATUS(status) != OutOfMemoryStatus && !overMemory)
        return WEXITSTATUS(status);
    QString why;
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (overMemory || WIFEXITED(status))
        why = QStringLiteral("la lettura ha superato %1 MB di memoria").arg(limits.memoryBytes >> 20);
    else if (signal == SIGXCPU || signal == SIGKILL)
        why = QStringLiteral("la lettura ha superato %1 secondi di calcolo").arg(limits.cpuSeconds);
    else
        why = QStringLiteral("la lettura si è interrotta (segnale %1: memoria esaurita o dati illeggibili)")
                  .arg(signal);
    std::fprintf(stderr, "quenvol-admin: il file %s è danneggiato: %s; %s\n", QFile::encodeName(file).constData(),
                 why.toUtf8().constData(), outcome.toUtf8().constData());
    return 1;
}

}  // namespace jet
