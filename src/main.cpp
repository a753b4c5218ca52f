// The program's entry point: answers --version and refuses other arguments,
// makes sure there is a display to show the window on, then loads the window
// Startup, whose Form_Load carries the start-up.
#include "runtime/display_connection.h"
#include "runtime/form_runtime.h"
#include "screen/company_ahead.h"
#include "screen/startup.h"
#include "screen/window_faces.h"
#include "shell/command_line.h"
#include "shell/first_paint_mark.h"
#include "shell/platform.h"
#include "shell/startup_marks.h"
#include "store/engine/system_files.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

int main(int argc, char** argv)
{
    shell::MarkStartup("main");
    store::system::KeepFromOtherAccounts();
    if (const std::optional<int> status = shell::HandleCommandLine(argc, argv))
        return *status;
    static const char NoDisplay[] = "quenvol: nessun display disponibile (DISPLAY non impostato o non "
                                    "raggiungibile): impossibile mostrare la finestra.\n";
    if (!shell::DisplayAvailable()) {
        std::fputs(NoDisplay, stderr);
        return 1;
    }
    // A display named but not reached ends the program with the same message.
    std::optional<runtime::NoDisplayExit> noDisplay(std::in_place, NoDisplay);
    runtime::RuntimeApplication app(argc, argv);
    noDisplay.reset();
    QCoreApplication::setApplicationName(QStringLiteral("Quenvol"));
    shell::MarkStartup("application");
    const shell::FirstPaintMark firstPaint;
    // The company opens on a second thread while the window is built.
    screen::CompanyAhead companyAhead;
    // The window's faces, before anything is drawn.
    screen::UseWindowFaces();
    screen::Startup form(&companyAhead);
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
