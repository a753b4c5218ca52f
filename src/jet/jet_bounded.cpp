// The child process that reads a Jet file: processor time bounded by
// RLIMIT_CPU, memory by RLIMIT_AS and by the parent, which watches the
// child's resident memory (the one bound that also holds under the address
// sanitizer, whose shadow memory takes the address space), and the library's
// messages by the parent, which reads them from a pipe.
#include "jet/jet_bounded.h"
#include "jet/jet_messages.h"

#include "jet/jet_reader.h"

#include <QByteArray>
#include <QFile>

#include <atomic>
#include <new>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
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

// What parent and child share: how much of the library's output the parent
// has taken from the pipe, under a sequence number that is odd while a read
// is under way, so the child can tell the bytes in flight.
struct Shared {
    std::atomic<qint64> taken{0};
    std::atomic<quint64> sequence{0};
};
static_assert(std::atomic<qint64>::is_always_lock_free && std::atomic<quint64>::is_always_lock_free);

// The child's state: its own output and error, the pipe the library writes
// to, the shared counters.
std::FILE* toolOut = nullptr;
std::FILE* toolErr = nullptr;
int libraryPipe = -1;
Shared* shared = nullptr;

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
    // No core file of a damaged reading.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
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

// In the child: the tool's output and error keep the inherited descriptors,
// the library's (descriptors 1 and 2) go to the pipe.
bool EnterChild(pid_t parent, int pipeWrite)
{
    // Killed with the parent; a parent already gone is seen here.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        return false;
    const int out = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    const int err = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (out < 0 || err < 0)
        return false;
    toolOut = ::fdopen(out, "w");
    toolErr = ::fdopen(err, "w");
    if (!toolOut || !toolErr)
        return false;
    std::setvbuf(toolErr, nullptr, _IONBF, 0);
    if (::dup2(pipeWrite, STDOUT_FILENO) < 0 || ::dup2(pipeWrite, STDERR_FILENO) < 0)
        return false;
    libraryPipe = pipeWrite;
    return true;
}

// The parent's side of the library's messages.
class Messages : public LibraryMessages {
public:
    explicit Messages(Shared* counters) : shared_(counters) {}

    // Reads what is in the pipe; false at its end.
    bool drain(int fd)
    {
        char buffer[16384];
        for (;;) {
            shared_->sequence.fetch_add(1);
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0)
                shared_->taken.fetch_add(got);
            shared_->sequence.fetch_add(1);
            if (got > 0) {
                take(buffer, got);
                continue;
            }
            if (got < 0 && errno == EINTR)
                continue;
            return got < 0 && errno == EAGAIN;
        }
    }

private:
    Shared* shared_;
};

}  // namespace

std::FILE* Out()
{
    return toolOut ? toolOut : stdout;
}

std::FILE* Err()
{
    return toolErr ? toolErr : stderr;
}

bool LibraryComplained()
{
    if (!shared || libraryPipe < 0)
        return false;
    std::fflush(stdout);
    std::fflush(stderr);
    for (;;) {
        const quint64 before = shared->sequence.load();
        if (before % 2 != 0) {
            ::sched_yield();
            continue;
        }
        const qint64 taken = shared->taken.load();
        int waiting = 0;
        if (::ioctl(libraryPipe, FIONREAD, &waiting) != 0)
            waiting = 0;
        if (shared->sequence.load() == before)
            return taken + waiting > 0;
    }
}

void EndReading()
{
    if (libraryPipe < 0)
        return;
    std::fflush(stdout);
    std::fflush(stderr);
    ::dup2(::fileno(toolOut), STDOUT_FILENO);
    ::dup2(::fileno(toolErr), STDERR_FILENO);
    ::close(libraryPipe);
    libraryPipe = -1;
}

int RunBounded(const QString& file, const Limits& limits, const QString& outcome,
               const std::function<int()>& work)
{
    if (const QString problem = FileProblem(file); !problem.isEmpty()) {
        std::fprintf(stderr, "quenvol-admin: %s: %s\n", problem.toUtf8().constData(), outcome.toUtf8().constData());
        return 1;
    }
    void* mapped = ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    int pipeEnds[2] = {-1, -1};
    if (mapped == MAP_FAILED || ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        if (mapped != MAP_FAILED)
            ::munmap(mapped, sizeof(Shared));
        std::fprintf(stderr, "quenvol-admin: impossibile avviare la lettura del file %s\n",
                     QFile::encodeName(file).constData());
        return 1;
    }
    auto* counters = new (mapped) Shared;
    // What is buffered now would otherwise be written twice.
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::munmap(mapped, sizeof(Shared));
        std::fprintf(stderr, "quenvol-admin: impossibile avviare la lettura del file %s\n",
                     QFile::encodeName(file).constData());
        return 1;
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (!EnterChild(parent, pipeEnds[1]))
            ::_exit(1);
        shared = counters;
        SetLimits(limits);
        int status = 1;
        try {
            status = work();
        } catch (const std::bad_alloc&) {
            ::_exit(OutOfMemoryStatus);
        }
        std::fflush(toolOut);
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(status);
    }
    ::close(pipeEnds[1]);
    const int messagesFd = pipeEnds[0];
    ::fcntl(messagesFd, F_SETFL, ::fcntl(messagesFd, F_GETFL) | O_NONBLOCK);
    Messages messages(counters);

    const int handle = OpenProcessHandle(child);
    bool overMemory = false;
    bool overMessages = false;
    bool pipeOpen = true;
    int status = 0;
    for (;;) {
        if (pipeOpen)
            pipeOpen = messages.drain(messagesFd);
        if (!overMessages && messages.total() > limits.messageBytes) {
            overMessages = true;
            ::kill(child, SIGKILL);
        }
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
        pollfd wait[2] = {{handle, POLLIN, 0}, {pipeOpen ? messagesFd : -1, POLLIN, 0}};
        if (handle >= 0 || pipeOpen)
            ::poll(wait, 2, WatchMilliseconds);
        else
            ::usleep(WatchMilliseconds * 1000);
    }
    if (handle >= 0)
        ::close(handle);
    // What the child wrote last; the pipe may still be held by a process it
    // started, so it is read only as far as it has something.
    if (pipeOpen)
        messages.drain(messagesFd);
    ::close(messagesFd);
    ::munmap(mapped, sizeof(Shared));

    const bool cleanExit = WIFEXITED(status) && WEXITSTATUS(status) != OutOfMemoryStatus && !overMemory &&
        !overMessages;
    if (cleanExit && messages.total() == 0)
        return WEXITSTATUS(status);
    QString why;
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (overMessages)
        why = QStringLiteral("la lettura ha prodotto più di %1 KB di messaggi della libreria Jet")
                  .arg(limits.messageBytes >> 10);
    else if (overMemory || (WIFEXITED(status) && WEXITSTATUS(status) == OutOfMemoryStatus))
        why = QStringLiteral("la lettura ha superato %1 MB di memoria").arg(limits.memoryBytes >> 20);
    else if (cleanExit)
        why = QStringLiteral("la libreria Jet ha segnalato errori durante la lettura");
    else if (signal == SIGXCPU || signal == SIGKILL)
        why = QStringLiteral("la lettura ha superato %1 secondi di calcolo").arg(limits.cpuSeconds);
    else
        why = QStringLiteral("la lettura si è interrotta (segnale %1: memoria esaurita o dati illeggibili)")
                  .arg(signal);
    ReportDamage(QFile::encodeName(file), why, outcome, messages);
    return 1;
}

}  // namespace jet
