// Platform facilities on Linux: the folder that stands for the Windows folder,
// and bringing a running program's X11 window forward.
#ifndef _WIN32
#include "shell/platform.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <termios.h>
#include <sys/stat.h>
#include <unistd.h>

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace shell {

namespace {

bool ProcessExists(long long processId)
{
    if (processId <= 0 || processId > INT_MAX)
        return false;  // 0 and negative ids would address process groups
    return ::kill(pid_t(processId), 0) == 0 || errno == EPERM;
}

// --- X11 -----------------------------------------------------------------
// Windows can vanish while the tree is walked; their errors are noted, not fatal.
bool g_xError = false;
int NoteXError(Display*, XErrorEvent*)
{
    g_xError = true;
    return 0;
}

// The first 32-bit item of a window property, or -1.
long WindowCardinal(Display* display, Window window, Atom property, Atom type)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long value = -1;
    if (XGetWindowProperty(display, window, property, 0, 1, False, type, &actualType, &format,
                           &items, &after, &data) == Success
        && data && actualType == type && format == 32 && items >= 1)
        value = reinterpret_cast<long*>(data)[0];
    if (data)
        XFree(data);
    return value;
}

struct PidWindow {
    Window window = 0;
    Window topLevel = 0;  // the ancestor that is a child of the root
    bool viewable = false;
    bool iconic = false;
};

// Walks the window tree below `parent` collecting the windows whose
// _NET_WM_PID is `pid`. A window manager puts client windows inside frames,
// so the search goes below the top level (to a bounded depth).
void CollectWindows(Display* display, Window parent, Window topLevel, int depth, long pid,
                    Atom pidAtom, Atom stateAtom, std::vector<PidWindow>& found)
{
    Window root = 0;
    Window parentOut = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOut, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i) {
        const Window child = children[i];
        const Window top = topLevel ? topLevel : child;
        if (WindowCardinal(display, child, pidAtom, XA_CARDINAL) == pid) {
            XWindowAttributes attributes;
            PidWindow match;
            match.window = child;
            match.topLevel = top;
            match.viewable = XGetWindowAttributes(display, child, &attributes)
                             && attributes.map_state == IsViewable;
            match.iconic = stateAtom && WindowCardinal(display, child, stateAtom, stateAtom) == 3;
            found.push_back(match);
        }
        if (depth > 0)
            CollectWindows(display, child, top, depth - 1, pid, pidAtom, stateAtom, found);
    }
    if (children)
        XFree(children);
}

}  // namespace

// --- Folders ----------------------------------------------------------------
QString SystemWindowsFolder()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.isEmpty() && QDir::isAbsolutePath(config))
        return config;
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() ? QString() : home + "/.config";
}

QString CurrentDriveRoot()
{
    return QStringLiteral("/");
}

QString PrivateRuntimeFolder()
{
    const QString path = QDir::tempPath() + QStringLiteral("/quenvol-runtime-%1").arg(getuid());
    const QByteArray name = QFile::encodeName(path);
    if (mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    // The temporary folder is everybody's: whatever holds the name already
    // is used only when it is this user's own folder, closed to others.
    struct stat info {};
    if (lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 077) != 0)
        return {};
    return path;
}

// --- Display and processes -------------------------------------------------
bool DisplayAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;  // offscreen, wayland, ...: the platform reports for itself
    // A display that is named but cannot be reached is found when the
    // application connects to it (runtime/display_connection.h): opening a
    // connection here only to close it would cost every start a round trip.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    return true;
}

bool ActivateProgram(long long processId, int windowWaitMs)
{
    if (!ProcessExists(processId))
        return false;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    auto* previousHandler = XSetErrorHandler(NoteXError);
    g_xError = false;

    bool activated = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(windowWaitMs);
    // A program that has just been started may not have mapped its window
    // yet: while it lives, its window is looked for again until the deadline.
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    for (;;) {
        const Atom stateAtom = XInternAtom(display, "WM_STATE", True);
        const Window root = DefaultRootWindow(display);
        std::vector<PidWindow> found;
        CollectWindows(display, root, 0, 3, long(processId), pidAtom, stateAtom, found);

        const PidWindow* target = nullptr;
        for (const PidWindow& w : found) {
            if (w.viewable) {
                target = &w;
                break;
            }
        }
        for (const PidWindow& w : found) {
            if (!target && w.iconic)
                target = &w;
        }
        if (target) {
            // Ask the window manager, if any, to activate (and restore) it;
            // source 2: the request comes from the user's own action.
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = target->window;
            event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = 2;
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask,
                       &event);
            if (target->viewable) {
                // With no window manager (or one that ignores the request)
                // raise and focus it ourselves.
                XRaiseWindow(display, target->topLevel);
                g_xError = false;
                XSetInputFocus(display, target->window, RevertToParent, CurrentTime);
            }
            XSync(display, False);
            activated = !g_xError;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline || !ProcessExists(processId))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XSetErrorHandler(previousHandler);
    XCloseDisplay(display);
    return activated;
}

long long CurrentProcessId()
{
    return ::getpid();
}

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

std::optional<QString> ReadHiddenLine(const QString& prompt)
{
    if (!::isatty(STDIN_FILENO))
        return std::nullopt;
    std::fputs(prompt.toUtf8().constData(), stderr);
    std::fflush(stderr);
    termios shown{};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &shown) == 0;
    if (quiet) {
        termios hidden = shown;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    std::string line;
    bool read = false;
    for (int c = 0; (c = std::fgetc(stdin)) != EOF;) {
        read = true;
        if (c == '\n')
            break;
        line += char(c);
    }
    if (quiet)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &shown);
    std::fputc('\n', stderr);
    if (!read)
        return std::nullopt;
    const QString text = QString::fromUtf8(line);
    std::fill(line.begin(), line.end(), '\0');
    return text;
}

QString ShellWord(const QString& word)
{
    static const QString plain = QStringLiteral("-_./:=+@%,");
    for (const QChar c : word)
        if (!c.isLetterOrNumber() && !plain.contains(c))
            return QLatin1Char('\'') + QString(word).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
                   QLatin1Char('\'');
    return word.isEmpty() ? QStringLiteral("''") : word;
}

QString AdminCommand()
{
    return QStringLiteral("quenvol-admin");
}

QString StartAdvice()
{
    return QStringLiteral("Avviare il programma con: quenvol");
}

QString ManualAdvice()
{
    return QStringLiteral("I tasti anche in: man quenvol; la preparazione dell'ufficio: man quenvol-ufficio.");
}

QString SuggestedDataFolder()
{
    return QStringLiteral("~/quenvol");
}

QString HelpWord(const QString& name)
{
    static const QHash<QString, QString> words{
        {QStringLiteral("dati"), QStringLiteral("~/quenvol")},
        {QStringLiteral("copie"), QStringLiteral("/srv/copie")},
        {QStringLiteral("copia"), QStringLiteral("~/copia")},
        {QStringLiteral("jet"), QStringLiteral("/mnt/ufficio/ROSSI/quelda.mdb")},
        {QStringLiteral("server"), QStringLiteral("'host=server dbname=quenvol'")},
        {QStringLiteral("server-ufficio"), QStringLiteral("'host=server.ufficio dbname=quenvol'")},
        {QStringLiteral("pgpass"), QStringLiteral("~/.pgpass")},
        {QStringLiteral("ini-personale"), QStringLiteral("$XDG_CONFIG_HOME/Morvanex.ini (di solito ~/.config/Morvanex.ini)")},
        {QStringLiteral("ini-ufficio"), QStringLiteral("Se un file INI personale nasconde quello dell'ufficio\n"
                        "($XDG_CONFIG_DIRS/Morvanex.ini, di solito /etc/xdg/Morvanex.ini), il\n"
                        "comando dice quale dei due il programma legge.")},
        {QStringLiteral("/"), QStringLiteral("/")},
        {QStringLiteral("a-capo"), QStringLiteral(" \\\n")},
        {QStringLiteral("guard-servizio"),
         QStringLiteral("il pacchetto lo installa\ncome servizio quenvol-guard.service, spento, configurato in\n"
                        "/etc/quenvol/guard.conf.")},
        {QStringLiteral("guard-esempio"), QStringLiteral("sudo -u postgres quenvol-admin guard dbname=quenvol")},
        {QStringLiteral("grant-esempio"), QStringLiteral("sudo -u postgres quenvol-admin grant dbname=quenvol")},
        {QStringLiteral("sha256-controllo"), QStringLiteral("sha256sum -c accetta (dalla <cartella>)")},
        {QStringLiteral("backup-cartella"),
         QStringLiteral("(per postgres: sudo install -d -o postgres -m 700 <cartella>)")},
    };
    const auto found = words.constFind(name);
    return found == words.constEnd() ? QString() : *found;
}

QString PathArgumentProblem(const QString& path)
{
    for (const QChar quote : {QLatin1Char('\''), QLatin1Char('"')})
        if (path.size() >= 2 && path.startsWith(quote) && path.endsWith(quote))
            return QStringLiteral("il percorso %1 è racchiuso tra virgolette che farebbero parte del nome: "
                                  "scriverlo tra virgolette una volta sola")
                .arg(path);
    return {};
}

}  // namespace shell
#endif
