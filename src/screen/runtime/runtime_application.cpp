// The application object of the program: every key and mouse press is handed
// to the window runtimes before Qt delivers it (and, for a press, before Qt
// gives the focus to the control under the mouse).
#include "form_runtime.h"

#include "store/lock_wait.h"

#include <QTimer>

#include <algorithm>

// Qt's switch for automatic mnemonics. Off, Qt grabs no shortcut for a
// caption's "&": the runtime presses accelerators itself, choosing among the
// buttons that share a letter the one that is visible and enabled.
Q_GUI_EXPORT void qt_set_sequence_auto_mnemonic(bool);

namespace screen {

RuntimeApplication::RuntimeApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    qt_set_sequence_auto_mnemonic(false);
    // The busy pointer shows from the start of a lock wait until the event
    // loop runs again, that is once the routine that waited has returned or
    // opens a box. The pointer is sent to the display at once: the wait
    // keeps the event loop from doing it.
    store::SetLockWaitNotice([] {
        static bool shown = false;
        if (shown)
            return;
        shown = true;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        QGuiApplication::sync();
        QTimer::singleShot(0, [] {
            shown = false;
            if (QGuiApplication::overrideCursor())
                QGuiApplication::restoreOverrideCursor();
        });
    });
}

RuntimeApplication::~RuntimeApplication()
{
    store::SetLockWaitNotice(nullptr);
}

bool RuntimeApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return dispatch(receiver, event);
    } catch (...) {
        FormRuntime::ShowEscaped();
        return true;
    }
}

bool RuntimeApplication::dispatch(QObject* receiver, QEvent* event)
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
