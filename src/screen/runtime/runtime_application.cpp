// The application object of the program: every key and mouse press is handed
// to the window runtimes before Qt delivers it (and, for a press, before Qt
// gives the focus to the control under the mouse).
#include "form_runtime.h"

#include <algorithm>

// Qt's switch for automatic mnemonics. Off, Qt grabs no shortcut for a
// caption's "&": the runtime presses accelerators itself, choosing among the
// buttons that share a letter the one that is visible and enabled.
Q_GUI_EXPORT void qt_set_sequence_auto_mnemonic(bool);

namespace screen {

RuntimeApplication::RuntimeApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    qt_set_sequence_auto_mnemonic(false);
}

bool RuntimeApplication::notify(QObject* receiver, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A copy: a handler may open or close a window with its own runtime.
        const std::vector<FormRuntime*> runtimes = FormRuntime::all();
        for (FormRuntime* runtime : runtimes) {
            const auto& live = FormRuntime::all();
            if (std::find(live.begin(), live.end(), runtime) == live.end())
                continue;
            if (runtime->preview(receiver, event))
                return true;
        }
        break;
    }
    default:
        break;
    }
    return QApplication::notify(receiver, event);
}

bool RuntimeApplication::deliver(QObject* receiver, QEvent* event)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app ? app->QApplication::notify(receiver, event) : false;
}

}  // namespace screen
