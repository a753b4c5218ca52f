// The child process that reads a Jet file, on Windows: the same program
// started again with the same command line and a mark in its environment, put
// in a Job Object that bounds its memory and processor time and kills it when
// the parent's handle closes (the parent ending included). The parent also
// watches both itself (the Job Object's limits are not kept everywhere the
// program runs) and reads the library's messages from a pipe. The child runs
// the command as far as RunBounded, where it does the work.
#include "jet/jet_bounded.h"
#include "jet/jet_messages.h"

#include "jet/jet_reader.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <psapi.h>

namespace jet {

namespace {

// How often the parent looks at the child's memory and processor time.
constexpr DWORD WatchMilliseconds = 20;
// The child's status when an allocation failed under the memory limit.
constexpr int OutOfMemoryStatus = 125;
// Memory the Job Object allows the program itself (its code, Qt's and the
// library's) on top of what the reading may hold.
constexpr qint64 ProgramRoom = qint64(256) << 20;
// The environment variable that marks the child and hands it its handles.
const wchar_t* const ChildMark = L"QUENVOL_JET_CHILD";

// What parent and child share: how much of the library's output the parent
// has taken from the pipe, under a sequence number that is odd while a read
// is under way, so the child can tell the bytes in flight.
struct Shared {
    std::atomic<qint64> taken{0};
    std::atomic<quint64> sequence{0};
};
static_assert(std::atomic<qint64>::is_always_lock_free && std::atomic<quint64>::is_always_lock_free);

// The child's state: its own output and error, the pipe's reading end (to
// see what is waiting in it), the shared counters.
std::FILE* toolOut = nullptr;
std::FILE* toolErr = nullptr;
HANDLE libraryPipe = nullptr;
Shared* shared = nullptr;

// The handles the parent hands the child, written in its environment.
struct ChildHandles {
    HANDLE out = nullptr;
    HANDLE err = nullptr;
    HANDLE pipeRead = nullptr;
    HANDLE mapping = nullptr;
};

QString HandlesText(const ChildHandles& handles)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(quintptr(handles.out))
        .arg(quintptr(handles.err))
        .arg(quintptr(handles.pipeRead))
        .arg(quintptr(handles.mapping));
}

bool ReadChildHandles(ChildHandles* handles)
{
    wchar_t text[256];
    const DWORD length = GetEnvironmentVariableW(ChildMark, text, 256);
    if (length == 0 || length >= 256)
        return false;
    SetEnvironmentVariableW(ChildMark, nullptr);
    const QStringList fields = QString::fromWCharArray(text, int(length)).split(QLatin1Char(' '));
    if (fields.size() != 4)
        return false;
    HANDLE* targets[4] = {&handles->out, &handles->err, &handles->pipeRead, &handles->mapping};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        *targets[i] = reinterpret_cast<HANDLE>(quintptr(fields[i].toULongLong(&ok)));
        if (!ok)
            return false;
    }
    return true;
}

// An inheritable copy of a handle of this process (nullptr for none).
HANDLE Inheritable(HANDLE handle)
{
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

std::FILE* StreamOf(HANDLE handle)
{
    if (handle == nullptr)
        return nullptr;
    const int fd = _open_osfhandle(intptr_t(handle), _O_WRONLY | _O_TEXT);
    return fd < 0 ? nullptr : _fdopen(fd, "w");
}

// In the child: the tool's output and error go to the parent's, handed over;
// the library's (the process's standard output and error) already go to the
// pipe.
bool EnterChild(const ChildHandles& handles)
{
    toolOut = StreamOf(handles.out);
    toolErr = StreamOf(handles.err);
    if (!toolOut || !toolErr)
        return false;
    std::setvbuf(toolErr, nullptr, _IONBF, 0);
    void* view = MapViewOfFile(handles.mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared));
    if (!view)
        return false;
    shared = static_cast<Shared*>(view);
    libraryPipe = handles.pipeRead;
    return true;
}

int RunChild(const ChildHandles& handles, const std::function<int()>& work)
{
    if (!EnterChild(handles))
        return 1;
    int status = 1;
    try {
        status = work();
    } catch (const std::bad_alloc&) {
        status = OutOfMemoryStatus;
    }
    std::fflush(toolOut);
    std::fflush(stdout);
    std::fflush(stderr);
    return status;
}

// The parent's side of the library's messages.
class Messages : public LibraryMessages {
public:
    explicit Messages(Shared* counters) : shared_(counters) {}

    // Reads what is waiting in the pipe, never more (a read would block);
    // false at its end.
    bool drain(HANDLE pipe)
    {
        char buffer[16384];
        for (;;) {
            DWORD waiting = 0;
            if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr))
                return false;
            if (waiting == 0)
                return true;
            DWORD got = 0;
            shared_->sequence.fetch_add(1);
            const BOOL read = ReadFile(pipe, buffer, qMin<DWORD>(waiting, sizeof buffer), &got, nullptr);
            if (read && got > 0)
                shared_->taken.fetch_add(got);
            shared_->sequence.fetch_add(1);
            if (!read)
                return false;
            take(buffer, got);
        }
    }

private:
    Shared* shared_;
};

void CannotStart(const QString& file)
{
    std::fprintf(stderr, "quenvol-admin: impossibile avviare la lettura del file %s (errore %lu)\n",
                 file.toUtf8().constData(), GetLastError());
}

// The child's processor time (user and kernel) in seconds.
double ProcessorSeconds(HANDLE process)
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user))
        return 0;
    const auto ticks = [](const FILETIME& time) {
        return (quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return double(ticks(kernel) + ticks(user)) / 1e7;
}

qint64 ResidentBytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        return 0;
    return qint64(counters.WorkingSetSize);
}

// A Job Object that kills its processes when its last handle closes and,
// where the system keeps them, bounds their memory and processor time.
HANDLE BoundingJob(const Limits& limits)
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION bounds{};
    bounds.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
        JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION | JOB_OBJECT_LIMIT_PROCESS_MEMORY |
        JOB_OBJECT_LIMIT_PROCESS_TIME;
    // Processor time in units of 100 ns; a second more, as on Linux, so the
    // parent's own watch tells why first.
    bounds.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart = LONGLONG(limits.cpuSeconds + 1) * 10000000;
    bounds.ProcessMemoryLimit = SIZE_T(limits.memoryBytes + ProgramRoom);
    if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &bounds, sizeof bounds))
        return job;
    // Killed with the parent at least: the parent's watch keeps the rest.
    bounds.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &bounds, sizeof bounds))
        return job;
    CloseHandle(job);
    return nullptr;
}

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
    if (!shared || !libraryPipe)
        return false;
    std::fflush(stdout);
    std::fflush(stderr);
    for (;;) {
        const quint64 before = shared->sequence.load();
        if (before % 2 != 0) {
            SwitchToThread();
            continue;
        }
        const qint64 taken = shared->taken.load();
        DWORD waiting = 0;
        if (!PeekNamedPipe(libraryPipe, nullptr, 0, nullptr, &waiting, nullptr))
            waiting = 0;
        if (shared->sequence.load() == before)
            return taken + waiting > 0;
    }
}

void EndReading()
{
    if (!libraryPipe)
        return;
    std::fflush(stdout);
    std::fflush(stderr);
    _dup2(_fileno(toolOut), 1);
    _dup2(_fileno(toolErr), 2);
    SetStdHandle(STD_OUTPUT_HANDLE, HANDLE(_get_osfhandle(_fileno(toolOut))));
    SetStdHandle(STD_ERROR_HANDLE, HANDLE(_get_osfhandle(_fileno(toolErr))));
    libraryPipe = nullptr;
}

int RunBounded(const QString& file, const Limits& limits, const QString& outcome,
               const std::function<int()>& work)
{
    if (ChildHandles handles; ReadChildHandles(&handles))
        return RunChild(handles, work);
    if (const QString problem = FileProblem(file); !problem.isEmpty()) {
        std::fprintf(stderr, "quenvol-admin: %s: %s\n", problem.toUtf8().constData(), outcome.toUtf8().constData());
        return 1;
    }

    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE pipeRead = nullptr;
    HANDLE pipeWrite = nullptr;
    if (!CreatePipe(&pipeRead, &pipeWrite, &inherited, 0)) {
        CannotStart(file);
        return 1;
    }
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, &inherited, PAGE_READWRITE, 0, sizeof(Shared), nullptr);
    void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)) : nullptr;
    ChildHandles handles{Inheritable(GetStdHandle(STD_OUTPUT_HANDLE)), Inheritable(GetStdHandle(STD_ERROR_HANDLE)),
                         pipeRead, mapping};
    HANDLE job = BoundingJob(limits);
    const auto release = [&] {
        for (HANDLE handle : {handles.out, handles.err, pipeRead, pipeWrite, job})
            if (handle)
                CloseHandle(handle);
        if (view)
            UnmapViewOfFile(view);
        if (mapping)
            CloseHandle(mapping);
    };
    if (!view || !job || !handles.out || !handles.err) {
        CannotStart(file);
        release();
        return 1;
    }
    auto* counters = new (view) Shared;

    // The same program and command line; the mark in the environment the
    // child inherits.
    std::vector<wchar_t> program(32768);
    const DWORD programLength = GetModuleFileNameW(nullptr, program.data(), DWORD(program.size()));
    std::wstring commandLine = GetCommandLineW();
    const std::wstring mark = HandlesText(handles).toStdWString();
    SetEnvironmentVariableW(ChildMark, mark.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = pipeWrite;
    startup.hStdError = pipeWrite;
    PROCESS_INFORMATION child{};
    std::fflush(stdout);
    std::fflush(stderr);
    const BOOL started = programLength > 0 && programLength < program.size() &&
        CreateProcessW(program.data(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableW(ChildMark, nullptr);
    if (!started) {
        CannotStart(file);
        release();
        return 1;
    }
    if (!AssignProcessToJobObject(job, child.hProcess)) {
        CannotStart(file);
        TerminateProcess(child.hProcess, 1);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        release();
        return 1;
    }
    ResumeThread(child.hThread);
    CloseHandle(child.hThread);
    // Only the child writes to the pipe now: its end comes with the child's.
    CloseHandle(pipeWrite);
    pipeWrite = nullptr;

    Messages messages(counters);
    bool overMemory = false;
    bool overTime = false;
    bool overMessages = false;
    bool pipeOpen = true;
    for (;;) {
        if (pipeOpen)
            pipeOpen = messages.drain(pipeRead);
        if (!overMessages && messages.total() > limits.messageBytes) {
            overMessages = true;
            TerminateProcess(child.hProcess, 1);
        }
        if (WaitForSingleObject(child.hProcess, WatchMilliseconds) == WAIT_OBJECT_0)
            break;
        if (!overMemory && ResidentBytes(child.hProcess) > limits.memoryBytes) {
            overMemory = true;
            TerminateProcess(child.hProcess, 1);
        }
        if (!overTime && ProcessorSeconds(child.hProcess) > limits.cpuSeconds) {
            overTime = true;
            TerminateProcess(child.hProcess, 1);
        }
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(child.hProcess, &exitCode);
    if (!overTime && ProcessorSeconds(child.hProcess) >= limits.cpuSeconds)
        overTime = true;  // stopped by the Job Object's own limit
    CloseHandle(child.hProcess);
    // What the child wrote last.
    if (pipeOpen)
        messages.drain(pipeRead);
    release();

    const bool cleanExit = !overMemory && !overTime && !overMessages && exitCode < 0x100 &&
        exitCode != DWORD(OutOfMemoryStatus);
    if (cleanExit && messages.total() == 0)
        return int(exitCode);
    QString why;
    if (overMessages)
        why = QStringLiteral("la lettura ha prodotto più di %1 KB di messaggi della libreria Jet")
                  .arg(limits.messageBytes >> 10);
    else if (overMemory || exitCode == DWORD(OutOfMemoryStatus))
        why = QStringLiteral("la lettura ha superato %1 MB di memoria").arg(limits.memoryBytes >> 20);
    else if (overTime)
        why = QStringLiteral("la lettura ha superato %1 secondi di calcolo").arg(limits.cpuSeconds);
    else if (cleanExit)
        why = QStringLiteral("la libreria Jet ha segnalato errori durante la lettura");
    else
        why = QStringLiteral("la lettura si è interrotta (codice %1: memoria esaurita o dati illeggibili)")
                  .arg(exitCode, 8, 16, QLatin1Char('0'));
    ReportDamage(file.toUtf8(), why, outcome, messages);
    return 1;
}

}  // namespace jet
