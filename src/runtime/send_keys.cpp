// Synthetic keystrokes: SendKeys puts them in a queue that is worked off from
// the event loop, one key at a time, once no key is being handled and no box
// is open, through the same path as a key typed on the keyboard.
#include "form_runtime.h"

#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

namespace runtime {

void FormRuntime::SendKeys(const QString& keys)
{
    for (const KeyStroke& stroke : ParseSendKeys(keys))
        queuedKeys_.push_back(stroke);
    scheduleKeys();
}

bool FormRuntime::keysBlocked() const
{
    return boxDepth_ > 0 || keyDepth_ > 0;
}

void FormRuntime::scheduleKeys()
{
    if (keysScheduled_ || queuedKeys_.empty() || keysBlocked())
        return;
    keysScheduled_ = true;
    QTimer::singleShot(0, this, [this] { runQueuedKeys(); });
}

QWidget* FormRuntime::keyTarget() const
{
    QWidget* focused = QApplication::focusWidget();
    if (inside(focused))
        return focused;
    // The window is not the active one: the key still goes to its control.
    QWidget* target = current_ ? current_.data() : form_.data();
    while (target && target->focusProxy())
        target = target->focusProxy();
    return target;
}

void FormRuntime::runQueuedKeys()
{
    keysScheduled_ = false;
    // Blocked: the end of the key or of the box schedules the queue again.
    if (queuedKeys_.empty() || keysBlocked())
        return;
    const KeyStroke stroke = queuedKeys_.front();
    queuedKeys_.pop_front();

    QPointer<FormRuntime> self = this;
    QPointer<QWidget> target = keyTarget();
    if (target) {
        QKeyEvent press(QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text);
        QCoreApplication::sendEvent(target, &press);
        if (target) {
            QKeyEvent release(QEvent::KeyRelease, stroke.key, stroke.modifiers, stroke.text);
            QCoreApplication::sendEvent(target, &release);
        }
    }
    if (self)
        scheduleKeys();
}

}  // namespace runtime
