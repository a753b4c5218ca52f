// Start-up: the time from starting the program to its window mapped on the X
// display, beside a bare Qt window of the same size and fonts started the same
// way (this executable run with --bare). Runs alternate, so a load from
// elsewhere on the machine falls on both alike; prints the medians, their
// ratio against the target and where the program's time goes (the marks the
// program writes with QUENVOL_STARTUP_MARKS set: process start and libraries,
// the application, building the window, the INI file, the company, the rest
// of the loading, showing, mapping and the first paint). Needs an X display
// (run it under xvfb-run); it asserts nothing.
// Usage: startup [RUNS]
#include "company/company_file.h"
#include "screen/startup_layout.h"
#include "shell/first_paint_mark.h"
#include "shell/startup_marks.h"

#include <QApplication>
#include <QListView>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace {

constexpr double RatioTarget = 1.15;
constexpr int DefaultRuns = 15;

// A window started as the program starts its own: the marks around the
// application object and the first paint's; `build` makes its controls.
int RunMarkedWindow(int argc, char** argv, const std::function<void(QWidget&)>& build)
{
    shell::MarkStartup("main");
    QApplication app(argc, argv);
    shell::MarkStartup("application");
    const shell::FirstPaintMark firstPaint;
    QWidget window;
    build(window);
    shell::MarkStartup("window");
    window.show();
    shell::MarkStartup("shown");
    return app.exec();
}

// The bare window: the program's size and its two faces, nothing else.
int RunBareWindow(int argc, char** argv, int width, int height)
{
    return RunMarkedWindow(argc, argv, [width, height](QWidget& window) {
        window.setWindowTitle(QStringLiteral("bare"));
        window.setFixedSize(width, height);
        window.setFont(screen::layout::SansFont(8.25));
        auto* layout = new QVBoxLayout(&window);
        auto* sans = new QLabel(QStringLiteral("Codice"), &window);
        sans->setFont(screen::layout::SansFont(8.25));
        auto* fixed = new QLabel(QStringLiteral("R000001"), &window);
        fixed->setFont(screen::layout::FixedFont(9.75));
        layout->addWidget(sans);
        layout->addWidget(fixed);
    });
}

// The window's controls alone: the program's own layout routine on a window
// of its own, the panels hidden as the start-up hides them; no INI file, no
// company, no routine. What the program costs beyond it is its own start-up;
// what this costs beyond the bare window is the controls'.
int RunControlsOnly(int argc, char** argv)
{
    return RunMarkedWindow(argc, argv, [](QWidget& window) {
        screen::StartupControls c = screen::BuildStartupLayout(&window);
        c.Pict[0]->hide();
        c.Pict[2]->hide();
        c.List1->hide();
    });
}

long WindowPid(Display* display, Window window)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success && data && count == 1 && format == 32)
        pid = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return pid;
}

struct Start {
    double ms = -1;  // negative: the window never came
    int width = 0, height = 0;
    std::map<std::string, double> marks;  // stage: milliseconds from the start
};

long long MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The marks the program wrote, in milliseconds from `startNs`.
std::map<std::string, double> ReadMarks(const QString& file, long long startNs)
{
    std::map<std::string, double> marks;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return marks;
    for (const QByteArray& line : in.readAll().split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 2)
            marks[words[0].toStdString()] = double(words[1].toLongLong() - startNs) / 1e6;
    }
    return marks;
}

// Starts the command and waits for a top-level window of its process to be
// mapped; then, when `marks` names the file the program writes its marks to,
// for its first paint (at most a second); then ends the process.
Start TimeStart(Display* display, const std::vector<std::string>& command, char** environment,
                const QString& marks = {})
{
    if (!marks.isEmpty())
        QFile::remove(marks);
    std::vector<char*> args;
    for (const std::string& word : command)
        args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);

    Start start;
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const long long startNs = MonotonicNs();
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environment) != 0) {
        std::fprintf(stderr, "cannot start %s\n", args[0]);
        return start;
    }
    while (timer.elapsed() < 30000) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != MapNotify || WindowPid(display, event.xmap.window) != pid)
                continue;
            start.ms = double(timer.nsecsElapsed()) / 1e6;
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, event.xmap.window, &attributes)) {
                start.width = attributes.width;
                start.height = attributes.height;
            }
            break;
        }
        if (start.ms >= 0)
            break;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "%s ended before showing its window\n", args[0]);
            return start;
        }
        // Wait for the next X event, or look at the process again shortly.
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(display), &fds);
        timeval wait{0, 5000};
        select(ConnectionNumber(display) + 1, &fds, nullptr, nullptr, &wait);
    }
    if (!marks.isEmpty() && start.ms >= 0) {
        QElapsedTimer painted;
        painted.start();
        while (painted.elapsed() < 1000) {
            start.marks = ReadMarks(marks, startNs);
            if (start.marks.count("paint"))
                break;
            timespec wait{0, 2000000};
            nanosleep(&wait, nullptr);
        }
        start.marks["mapped"] = start.ms;
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return start;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--bare")
        return RunBareWindow(argc, argv, std::atoi(argv[2]), std::atoi(argv[3]));
    if (argc == 2 && std::string(argv[1]) == "--controls")
        return RunControlsOnly(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : DefaultRuns;

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup: no X display (run it under xvfb-run)\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    // The program in a folder of its own, beside the INI file that names a
    // demonstration company, with per-user settings out of the user's reach.
    const QString benchFolder = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath();
    const QString built = QDir(benchFolder).absoluteFilePath(QStringLiteral("../quenvol"));
    QTemporaryDir work;
    const QString program = work.filePath(QStringLiteral("program/quenvol"));
    QDir().mkpath(work.filePath(QStringLiteral("program")));
    if (!QFile::copy(built, program)) {
        std::fprintf(stderr, "startup: cannot copy %s\n", qPrintable(built));
        return 1;
    }
    const QString database = work.filePath(QStringLiteral("data/DEMO/quelda.mdb"));
    QString error = company::file::CreateCompanyDatabase(database);
    if (error.isEmpty())
        error = company::file::AddDemonstrationData(database);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "startup: %s\n", qPrintable(error));
        return 1;
    }
    QFile ini(work.filePath(QStringLiteral("program/Morvanex.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write(QStringLiteral("[BASE]\nDITTA=DEMO\n[PATH]\nDIRINI=%1/\n")
                  .arg(work.filePath(QStringLiteral("data")))
                  .toUtf8());
    ini.close();

    // Both start with the same environment: the X display, a temporary home.
    qputenv("HOME", work.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toLocal8Bit());
    qunsetenv("QT_QPA_PLATFORM");

    const std::vector<std::string> programCommand{program.toStdString()};
    const QString marksFile = work.filePath(QStringLiteral("marks"));
    qputenv("QUENVOL_STARTUP_MARKS", marksFile.toLocal8Bit());
    const Start first = TimeStart(display, programCommand, environ, marksFile);
    if (first.ms < 0)
        return 1;
    const std::vector<std::string> bareCommand{
        QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath().toStdString(), "--bare",
        std::to_string(first.width), std::to_string(first.height)};
    const std::vector<std::string> controlsCommand{bareCommand[0], "--controls"};
    TimeStart(display, bareCommand, environ);  // warm-ups
    TimeStart(display, controlsCommand, environ);

    // 0: the program, 1: the bare window, 2: the controls alone.
    const std::vector<std::string>* commands[] = {&programCommand, &bareCommand, &controlsCommand};
    std::vector<double> times[3];
    std::map<std::string, std::vector<double>> stages[3];
    for (int i = 0; i < runs; ++i) {
        for (int k = 0; k < 3; ++k) {
            const Start s = TimeStart(display, *commands[k], environ, marksFile);
            if (s.ms < 0)
                return 1;
            times[k].push_back(s.ms);
            for (const auto& [stage, ms] : s.marks)
                stages[k][stage].push_back(ms);
        }
    }
    const double programMs = Median(times[0]);
    const double bareMs = Median(times[1]);
    const double controlsMs = Median(times[2]);
    const double ratio = bareMs > 0 ? programMs / bareMs : 0;
    std::printf("Start-up: from starting the process to its window mapped, %dx%d pixels,\n"
                "median of %d alternating runs each, milliseconds.\n\n",
                first.width, first.height, runs);
    std::printf("%-28s %8.1f\n", "the program", programMs);
    std::printf("%-28s %8.1f\n", "a bare Qt window", bareMs);
    std::printf("%-28s %8.2f\n", "ratio", ratio);
    std::printf("%-28s %8.1f\n", "cost over the bare window", programMs - bareMs);
    std::printf("%-28s %8.1f  (ratio %.2f: the floor of the program's ratio while its window\n"
                "%-28s           has these controls)\n",
                "the window's controls alone", controlsMs, bareMs > 0 ? controlsMs / bareMs : 0, "");
    // The first paint, for the eye: a cut that only moved work past the
    // mapping would show here.
    const auto painted = [&](int k) {
        const auto found = stages[k].find("paint");
        return found == stages[k].end() ? 0.0 : Median(found->second);
    };
    if (painted(0) > 0 && painted(1) > 0)
        std::printf("%-28s %8.1f against %.1f, ratio %.2f\n", "first paint", painted(0), painted(1),
                    painted(0) / painted(1));
    std::printf("\nTarget: ratio at most %.2f: %s\n", RatioTarget, ratio <= RatioTarget ? "met" : "NOT met");

    // Each stage's median time from the start, and from the stage before, for
    // the program and for the bare window where it has the stage.
    struct Stage {
        const char* mark;
        const char* what;
    };
    const Stage order[] = {
        {"main", "process start and libraries"},
        {"application", "the application (Qt, display)"},
        {"window", "building the window"},
        {"ini", "the INI file"},
        {"company", "opening the company"},
        {"loaded", "the rest of the loading"},
        {"shown", "showing the window"},
        {"mapped", "mapped on the display"},
        {"paint", "first paint"},
    };
    std::printf("\nWhere the time goes (median, ms):            %17s %21s %21s\n", "the program",
                "the bare window", "the controls alone");
    std::printf("  %-40s %10s %10s %10s %10s %10s %10s\n", "", "at", "stage", "at", "stage", "at", "stage");
    double before[3] = {0, 0, 0};
    for (const Stage& stage : order) {
        std::printf("  %-40s", stage.what);
        for (int k = 0; k < 3; ++k) {
            const auto found = stages[k].find(stage.mark);
            if (found == stages[k].end()) {
                std::printf(" %10s %10s", "", "");
                continue;
            }
            const double at = Median(found->second);
            std::printf(" %10.1f %10.1f", at, at - before[k]);
            before[k] = at;
        }
        std::printf("\n");
    }
    XCloseDisplay(display);
    return 0;
}
