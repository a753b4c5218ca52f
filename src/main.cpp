// The program's entry point: answers --version and refuses other arguments,
// makes sure there is a display to show the window on, then loads the window
// Startup, whose Form_Load carries the start-up.
#include "runtime/form_runtime.h"
#include "screen/startup.h"
#include "shell/command_line.h"
#include "shell/startup_marks.h"

#include <QEvent>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Qt aborts when its platform cannot start; say why in words first.
bool displayAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;  // offscreen, wayland, ...: the platform reports for itself
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

// Marks the first paint of a window, for the start-up benchmark.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            shell::MarkStartup("paint");
            QCoreApplication::instance()->removeEventFilter(this);
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    shell::MarkStartup("main");
    if (const std::optional<int> status = shell::HandleCommandLine(argc, argv))
        return *status;
    if (!displayAvailable()) {
        std::fprintf(stderr, "quenvol: nessun display disponibile (DISPLAY non impostato o non "
                             "raggiungibile): impossibile mostrare la finestra.\n");
        return 1;
    }
    runtime::RuntimeApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quenvol"));
    shell::MarkStartup("application");
    FirstPaint firstPaint;
    if (shell::StartupMarksOn())
        app.installEventFilter(&firstPaint);
    screen::Startup form;
    shell::MarkStartup("window");
    form.Form_Load();
    shell::MarkStartup("loaded");
    if (form.ended())
        return 0;
    form.Show();
    shell::MarkStartup("shown");
    if (form.ended())
        return 0;
    return app.exec();
}
