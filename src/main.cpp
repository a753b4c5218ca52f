// The program's entry point: answers --version and refuses other arguments,
// makes sure there is a display to show the window on, then loads the window
// Startup, whose Form_Load carries the start-up.
#include "runtime/form_runtime.h"
#include "screen/startup.h"
#include "shell/command_line.h"
#include "shell/platform.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (const std::optional<int> status = shell::HandleCommandLine(argc, argv))
        return *status;
    if (!shell::DisplayAvailable()) {
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
