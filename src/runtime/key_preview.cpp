// Key preview: every key of the window reaches KeyDown and then KeyPress
// before the focused control; Tab moves along the window's tab order, and
// Alt+letter presses the accelerator of a visible, enabled button.
#include "form_runtime.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPointer>

namespace runtime {

namespace {

bool consumed(QKeyEvent* event)
{
    event->accept();
    return true;
}

}  // namespace

bool FormRuntime::handleKey(QWidget* target, QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();

    // Tab never reaches the handlers nor the control (a date picker would
    // step through its sections): the runtime moves along the tab order.
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab)
        && !(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        QWidget* control = controlOf(target);
        tabFrom(control ? control : current_.data(),
                key == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier));
        return consumed(event);
    }

    // Keys sent while this one is handled wait until it is complete.
    struct Depth {
        FormRuntime* runtime;
        QPointer<QObject> alive;
        explicit Depth(FormRuntime* r) : runtime(r), alive(r) { ++runtime->keyDepth_; }
        ~Depth()
        {
            if (alive && --runtime->keyDepth_ == 0)
                runtime->scheduleKeys();
        }
    } depth(this);

    QPointer<QWidget> receiver = target;
    QPointer<QWidget> controlBefore = current_;
    QWidget* focusBefore = QApplication::focusWidget();

    const int originalCode = VirtualKeyCode(key, modifiers);
    int keyCode = originalCode;
    if (keyCode != 0 && keyDown) {
        auto handler = keyDown;
        const bool completed = guarded([&] { handler(keyCode, ShiftMaskOf(modifiers)); });
        if (!depth.alive)
            return true;
        if (!completed)
            return consumed(event);
        // A key that moved the focus has done its work.
        if (!receiver || current_ != controlBefore || QApplication::focusWidget() != focusBefore)
            return consumed(event);
    }
    // KeyDown set the code to 0: the control does not see the key, though a
    // character key still goes on to KeyPress.
    const bool cancelled = originalCode != 0 && keyCode == 0;

    if ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier)) {
        const bool letterOrDigit =
            (key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9);
        if (!cancelled && letterOrDigit && pressAccelerator(QChar(key)))
            return consumed(event);
        if (cancelled)
            return consumed(event);
        if (event->text().isEmpty())
            return false;  // Alt+Down still opens a drop-down list
        // Alt types nothing: the control gets the key without its text (a
        // line edit would otherwise insert the letter).
        QKeyEvent textless(QEvent::KeyPress, key, modifiers, QString(), event->isAutoRepeat());
        RuntimeApplication::deliver(receiver, &textless);
        return consumed(event);
    }

    const int keyAscii = KeyAsciiOf(key, modifiers, event->text());
    if (keyAscii == 0 || !keyPress)
        return cancelled ? consumed(event) : false;
    int code = keyAscii;
    auto handler = keyPress;
    const bool completed = guarded([&] { handler(code); });
    if (!depth.alive)
        return true;
    if (!completed)
        return consumed(event);
    if (!receiver || code == 0)
        return consumed(event);
    if (code == keyAscii)
        return false;  // the original event: Ctrl+C and Ctrl+V still copy and paste
    const KeyStroke stroke = KeyStrokeTyping(code);
    QKeyEvent replacement(QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text,
                          event->isAutoRepeat());
    RuntimeApplication::deliver(receiver, &replacement);
    return consumed(event);
}

bool FormRuntime::pressAccelerator(QChar letter)
{
    if (!form_)
        return false;
    const QChar wanted = letter.toUpper();
    const auto buttons = form_->findChildren<QAbstractButton*>();
    for (QAbstractButton* candidate : buttons) {
        if (!inside(candidate) || !CanTakeFocus(candidate))
            continue;
        if (MnemonicOf(candidate->text()) != wanted)
            continue;
        QPointer<QAbstractButton> button = candidate;
        moveFocus(button);
        // A LostFocus handler that kept the focus elsewhere stops the Click.
        if (button && current_ == button.data())
            button->click();
        return true;
    }
    return false;
}

void FormRuntime::tabFrom(QWidget* control, bool backwards)
{
    std::vector<QWidget*> order;
    for (const auto& entry : tabOrder_)
        if (entry)
            order.push_back(entry);

    if (order.empty()) {
        // No order given: Qt's focus chain, with the same rules.
        QWidget* from = control ? control : form_.data();
        QWidget* widget = from;
        for (int guard = 0; widget && guard < 10000; ++guard) {
            widget = backwards ? widget->previousInFocusChain() : widget->nextInFocusChain();
            if (!widget || widget == from)
                break;
            QWidget* next = controlOf(widget);
            if (next && next != control && (next->focusPolicy() & Qt::TabFocus) && CanTakeFocus(next)) {
                moveFocus(next);
                return;
            }
        }
        return;
    }

    const auto n = static_cast<std::ptrdiff_t>(order.size());
    std::ptrdiff_t start = backwards ? 0 : n - 1;  // a control not in the order starts at an end
    for (std::ptrdiff_t i = 0; i < n; ++i)
        if (order[i] == control)
            start = i;
    for (std::ptrdiff_t step = 1; step <= n; ++step) {
        const std::ptrdiff_t i = ((start + (backwards ? -step : step)) % n + n) % n;
        if (CanTakeFocus(order[i])) {
            moveFocus(order[i]);
            return;
        }
    }
}

}  // namespace runtime
