// The application object of the program: every key and mouse press is handed
// to the window runtimes before Qt delivers it (and, for a press, before Qt
// gives the focus to the control under the mouse).
#include "form_runtime.h"
#include "readable_palette.h"

#include "store/engine/lock_wait.h"

#include <QKeyEvent>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace runtime {

namespace {

// Alt with a letter or digit: the keys Qt binds as a shortcut to each caption
// that holds a "&" before that character.
bool isMnemonicKey(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (!(modifiers & Qt::AltModifier) || (modifiers & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    const int key = event->key();
    return key > 0 && key <= 0xffff && QChar(static_cast<char16_t>(key)).isLetterOrNumber();
}

}  // namespace

RuntimeApplication::RuntimeApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The style's colours where a text would not read against its
    // background (the selected row of a list, white on mid blue).
    if (const QPalette readable = ReadablePalette(QApplication::palette()); readable != QApplication::palette())
        QApplication::setPalette(readable);
    // The busy pointer shows from the start of a lock wait until the event
    // loop runs again, that is once the routine that waited has returned or
    // opens a box. The pointer is sent to the display at once: the wait
    // keeps the event loop from doing it.
    store::SetLockWaitNotice([] {
        // Only a wait of the window's own thread shows: the company opened
        // ahead waits on another thread, before there is a window to point at.
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            return;
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
    case QEvent::ShortcutOverride:
        // Qt would act on a caption's shortcut before the key is delivered,
        // past KeyDown, and by its own choice among the buttons that share a
        // letter. Claimed here, the key stays an ordinary key press: the
        // runtime presses the accelerator of the visible, enabled button, and
        // a message box answers the letter itself.
        if (isMnemonicKey(static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        break;
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

}  // namespace runtime
