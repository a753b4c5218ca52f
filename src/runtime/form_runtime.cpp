// The window runtime's registry, handler registration and focus bookkeeping:
// which control the routines see as current, and the LostFocus/GotFocus pair
// raised on every move between controls of the window.
#include "form_runtime.h"

#include "flag_scope.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QWidget>

#include <algorithm>

namespace runtime {

namespace {

std::vector<FormRuntime*>& registry()
{
    static std::vector<FormRuntime*> runtimes;
    return runtimes;
}

}  // namespace

// --- Registration ------------------------------------------------------------

FormRuntime::FormRuntime(QWidget* form, QString programTitle)
    : form_(form), programTitle_(std::move(programTitle))
{
    registry().push_back(this);
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget* old, QWidget* now) { focusChanged(old, now); });
}

FormRuntime::~FormRuntime()
{
    disconnect(focusConnection_);
    for (auto& [control, handlers] : handlers_) {
        disconnect(handlers->changeConnection);
        disconnect(handlers->clickConnection);
        disconnect(handlers->destroyedConnection);
    }
    auto& runtimes = registry();
    runtimes.erase(std::remove(runtimes.begin(), runtimes.end(), this), runtimes.end());
}

const std::vector<FormRuntime*>& FormRuntime::all()
{
    return registry();
}

FormRuntime::Handlers& FormRuntime::handlersOf(QWidget* control)
{
    auto found = handlers_.find(control);
    if (found != handlers_.end())
        return *found->second;
    auto handlers = std::make_unique<Handlers>();
    // A destroyed control takes its handlers with it, so a new widget that
    // happens to get the same address starts clean.
    handlers->destroyedConnection = connect(control, &QObject::destroyed, this,
                                            [this, control] { handlers_.erase(control); });
    return *handlers_.emplace(control, std::move(handlers)).first->second;
}

const FormRuntime::Handlers* FormRuntime::findHandlers(const QWidget* control) const
{
    auto found = handlers_.find(control);
    return found == handlers_.end() ? nullptr : found->second.get();
}

void FormRuntime::raise(QWidget* control, std::function<void()> Handlers::*event)
{
    const Handlers* handlers = findHandlers(control);
    if (!handlers || !(handlers->*event))
        return;
    // A copy: the handler may register a new handler for its own control.
    std::function<void()> handler = handlers->*event;
    guarded(handler);
}

void FormRuntime::onGotFocus(QWidget* control, std::function<void()> handler)
{
    handlersOf(control).gotFocus = std::move(handler);
}

void FormRuntime::onLostFocus(QWidget* control, std::function<void()> handler)
{
    handlersOf(control).lostFocus = std::move(handler);
}

void FormRuntime::onChange(QLineEdit* field, std::function<void()> handler)
{
    Handlers& handlers = handlersOf(field);
    handlers.change = std::move(handler);
    // Typed edits only: SetText raises Change itself, once per assignment.
    if (!handlers.changeConnection)
        handlers.changeConnection = connect(field, &QLineEdit::textEdited, this,
                                            [this, field] { raise(field, &Handlers::change); });
}

void FormRuntime::onClick(QAbstractButton* button, std::function<void()> handler)
{
    Handlers& handlers = handlersOf(button);
    handlers.click = std::move(handler);
    if (!handlers.clickConnection)
        handlers.clickConnection = connect(button, &QAbstractButton::clicked, this,
                                           [this, button] { raise(button, &Handlers::click); });
}

void FormRuntime::onMouseDown(QWidget* control, std::function<void()> handler)
{
    handlersOf(control).mouseDown = std::move(handler);
}

void FormRuntime::onDblClick(QWidget* control, std::function<void()> handler)
{
    handlersOf(control).dblClick = std::move(handler);
}

void FormRuntime::setTabOrder(std::vector<QWidget*> order)
{
    tabOrder_.assign(order.begin(), order.end());
}

// --- Controls ----------------------------------------------------------------

bool FormRuntime::inside(const QWidget* widget) const
{
    // isAncestorOf stops at window boundaries: a message box or a drop-down
    // popup parented to the form is not part of it.
    return widget && form_ && (widget == form_ || form_->isAncestorOf(widget));
}

bool FormRuntime::known(const QWidget* widget) const
{
    if (handlers_.count(widget))
        return true;
    return std::any_of(tabOrder_.begin(), tabOrder_.end(),
                       [widget](const QPointer<QWidget>& c) { return c == widget; });
}

QWidget* FormRuntime::controlOf(QObject* receiver) const
{
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!inside(widget) || widget == form_)
        return nullptr;
    if (known(widget))
        return widget;
    // The inner parts of a control (the editor of a date picker, the viewport
    // of a list) belong to the nearest registered control that takes the focus;
    // a panel that only has a mouse handler does not swallow its children.
    for (QWidget* p = widget->parentWidget(); p && p != form_; p = p->parentWidget())
        if (known(p) && p->focusPolicy() != Qt::NoFocus)
            return p;
    QWidget* control = widget;
    for (;;) {
        QWidget* parent = control->parentWidget();
        if (!parent || parent == form_)
            break;
        auto* area = qobject_cast<QAbstractScrollArea*>(parent);
        if (parent->focusProxy() == control || (area && area->viewport() == control))
            control = parent;
        else
            break;
    }
    return control;
}

bool FormRuntime::CanTakeFocus(const QWidget* control) const
{
    if (!inside(control) || control == form_)
        return false;
    // isEnabled already reflects a disabled panel; isVisibleTo checks the
    // hidden flag of every parent up to the form.
    return control->isEnabled() && control->isVisibleTo(form_)
           && control->focusPolicy() != Qt::NoFocus;
}

void FormRuntime::SetText(QLineEdit* field, const QString& text)
{
    if (!field)
        return;
    field->setText(text);  // emits no textEdited, so Change is raised once
    raise(field, &Handlers::change);
}

// --- Focus -------------------------------------------------------------------

bool FormRuntime::SetFocus(QWidget* control)
{
    if (!CanTakeFocus(control))
        return false;
    if (inLostFocus_) {
        // The move under way goes here instead, once LostFocus returns.
        pendingFocus_ = control;
        return true;
    }
    moveFocus(control);
    return true;
}

void FormRuntime::moveFocus(QWidget* to)
{
    if (to == current_) {
        putQtFocusOn(to);
        return;
    }
    transition(to);
}

void FormRuntime::transition(QWidget* to)
{
    QPointer<QWidget> destination = to;
    QPointer<QWidget> from = current_;
    if (from) {
        pendingFocus_ = nullptr;
        {
            FlagScope scope(inLostFocus_, true);
            raise(from, &Handlers::lostFocus);
        }
        if (pendingFocus_) {
            destination = pendingFocus_;
            pendingFocus_ = nullptr;
        }
        // The LostFocus handler may have hidden or disabled the destination:
        // the focus then stays where it was, and that control gets GotFocus.
        if (destination && !CanTakeFocus(destination) && from && CanTakeFocus(from))
            destination = from;
    }
    if (!destination || !CanTakeFocus(destination)) {
        current_ = nullptr;
        return;
    }
    current_ = destination;
    putQtFocusOn(destination);
    raise(destination, &Handlers::gotFocus);
}

void FormRuntime::putQtFocusOn(QWidget* control)
{
    if (!control)
        return;
    QWidget* focused = QApplication::focusWidget();
    if (focused && controlOf(focused) == control)
        return;
    FlagScope scope(dispatching_, true);
    control->setFocus(Qt::OtherFocusReason);
}

void FormRuntime::focusChanged(QWidget*, QWidget* now)
{
    // The runtime's own moves raise their events themselves; inside a
    // LostFocus the move under way sets the final focus when it returns.
    if (dispatching_ || inLostFocus_)
        return;
    // Focus going to a message box, a popup or another application, and
    // coming back to the same control, raises nothing.
    if (!inside(now) || now == form_)
        return;
    QWidget* control = controlOf(now);
    if (!control || control == current_)
        return;
    transition(control);
}

// --- Event preview -----------------------------------------------------------

bool FormRuntime::preview(QObject* receiver, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        break;
    default:
        return false;
    }
    if (!receiver->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(receiver);
    if (!inside(widget))
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleKey(widget, static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
        return handleMousePress(widget, static_cast<QMouseEvent*>(event));
    default:
        return handleDoubleClick(widget, static_cast<QMouseEvent*>(event));
    }
}

}  // namespace runtime
