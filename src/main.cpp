// The program's entry point: answers --version and refuses other arguments,
// makes sure there is a display to show the window on, then loads the window
// Startup, whose Form_Load carries the start-up.
#include "runtime/form_runtime.h"
#include "screen/startup.h"
#include "shell/command_line.h"

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

}  // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> status = shell::HandleCommandLine(argc, argv))
        return *status;
    if (!displayAvailable()) {
        std::fprintf(stderr, "quenvol: nessun display disponibile (DISPLAY non impostato o non "
                             "raggiungibile): impossibile mostrare la finestra.\n");
        return 1;
    }
    runtime::RuntimeApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quenvol"));
    screen::Startup form;
    form.Form_Load();
    if (form.ended())
        return 0;
    form.Show();
    if (form.ended())
        return 0;
    return app.exec();
}
