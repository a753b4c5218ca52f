// Mouse presses and double-clicks on the window's controls: MouseDown of a
// button or list before the focus moves, the focus moved to a pressed button
// before its Click, DblClick after the control has handled the double-click.
#include "form_runtime.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPointer>

namespace runtime {

bool FormRuntime::handleMousePress(QWidget* receiver, QMouseEvent* event)
{
    QPointer<QWidget> control = controlOf(receiver);
    if (!control)
        return false;
    auto* button = qobject_cast<QAbstractButton*>(control.data());
    const bool isList = qobject_cast<QAbstractItemView*>(control.data()) != nullptr;
    if ((!button && !isList) || !CanTakeFocus(control))
        return false;

    raise(control, &Handlers::mouseDown);
    if (!control)
        return true;

    // Qt would give the focus to the button inside its own delivery, with no
    // chance for a LostFocus handler to keep it: the runtime moves it first.
    if (button && event->button() == Qt::LeftButton && (button->focusPolicy() & Qt::ClickFocus)) {
        if (CanTakeFocus(button))
            moveFocus(button);
        if (!control || current_ != control) {
            // A LostFocus handler kept the focus elsewhere: no Click follows.
            event->accept();
            return true;
        }
    }
    return false;
}

bool FormRuntime::handleDoubleClick(QWidget* receiver, QMouseEvent* event)
{
    QPointer<QWidget> control = controlOf(receiver);
    if (!control || !findHandlers(control) || !findHandlers(control)->dblClick)
        return false;
    RuntimeApplication::deliver(receiver, event);
    if (control)
        raise(control, &Handlers::dblClick);
    return true;
}

}  // namespace runtime
