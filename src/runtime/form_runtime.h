// The window runtime: gives the Qt widgets of one window the event behaviour
// the screen routines were written for (key preview, queued synthetic keys,
// GotFocus/LostFocus pairs, MouseDown before the field's LostFocus, Change on
// every assignment, accelerators on visible enabled buttons only, modal boxes
// with the suite's codes). It knows nothing about registers.
#pragma once

#include "key_codes.h"
#include "store/engine/message_boxes.h"

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <Qt>

#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QAbstractButton;
class QKeyEvent;
class QMouseEvent;
class QLineEdit;

namespace runtime {

// A request for a box, as tests see it through the answer hook.
struct BoxRequest {
    QString prompt;
    int code = 0;
    QString title;  // the title shown (the program's own when none was given)
};

class FormRuntime : public QObject, public store::MessageBoxes {
public:
    // `form` is the top-level window whose controls the runtime serves;
    // `programTitle` titles the boxes that give none.
    FormRuntime(QWidget* form, QString programTitle);
    ~FormRuntime() override;

    QWidget* form() const { return form_; }

    // --- Handlers the window registers ------------------------------------
    // Key preview: every key of the window reaches keyDown, then (for keys
    // that type a character) keyPress, before the focused control. keyPress
    // may change the code (what gets typed) or set it to 0 (swallowed).
    std::function<void(int& keyCode, int shift)> keyDown;
    std::function<void(int& keyAscii)> keyPress;

    void onGotFocus(QWidget* control, std::function<void()> handler);
    void onLostFocus(QWidget* control, std::function<void()> handler);
    void onChange(QLineEdit* field, std::function<void()> handler);
    void onClick(QAbstractButton* button, std::function<void()> handler);
    void onMouseDown(QWidget* control, std::function<void()> handler);
    void onDblClick(QWidget* control, std::function<void()> handler);

    // The order Tab and "{TAB}" move in; hidden or disabled controls are skipped.
    void setTabOrder(std::vector<QWidget*> order);

    // --- Operations the routines call ----------------------------------------
    // Moves the focus (raising LostFocus then GotFocus). Called from inside a
    // LostFocus it redirects the move under way once that handler returns.
    // A control that cannot take the focus is left alone; returns false then.
    bool SetFocus(QWidget* control);
    // Assigns the text and raises Change, whether or not the text differs.
    void SetText(QLineEdit* field, const QString& text);
    // Queues "{TAB}", "{DOWN}" or "%U" (Alt+letter): they act once the handler
    // that sent them and the key being handled are complete.
    void SendKeys(const QString& keys);
    // Keys sent that have not acted yet.
    bool KeysWaiting() const { return !queuedKeys_.empty(); }
    // Visible and enabled, by itself and through every parent up to the form.
    bool CanTakeFocus(const QWidget* control) const;
    // The control of the window that holds the focus as the routines see it.
    QWidget* ActiveControl() const { return current_; }

    // Modal box: codes 0, 21, 53, 292, 308; returns 1, 2, 4, 6 or 7.
    int MsgBox(const QString& prompt, int code, const QString& title = {}) override;

    // Shows what escaped a handler (the exception being handled): an engine
    // error with its number and text, anything else as unexpected, under the
    // program's title. Every handler the runtime raises runs inside this
    // guard, so the window stays usable where it was.
    void ShowEscapedError();
    // The same from outside any handler: shown by the first live runtime, or
    // in a box of its own when there is none.
    static void ShowEscaped();

    // Tests answer boxes through this hook instead of a person.
    static void SetBoxAnswerer(std::function<int(const BoxRequest&)> answerer);

    // Called by RuntimeApplication::notify for every key press, mouse press and
    // double-click, before Qt delivers it; true = consumed. Events of widgets
    // outside the form (a message box, a popup) are left alone.
    bool preview(QObject* receiver, QEvent* event);

    // Every live runtime (one per window).
    static const std::vector<FormRuntime*>& all();

private:
    // What the window registered for one control.
    struct Handlers {
        std::function<void()> gotFocus, lostFocus, change, click, mouseDown, dblClick;
        QMetaObject::Connection changeConnection, clickConnection, destroyedConnection;
    };
    Handlers& handlersOf(QWidget* control);
    const Handlers* findHandlers(const QWidget* control) const;
    void raise(QWidget* control, std::function<void()> Handlers::*event);
    // Runs a handler; what it lets escape is shown, never passed on to Qt.
    // False when it did not complete.
    bool guarded(const std::function<void()>& handler);
    bool inside(const QWidget* widget) const;
    bool known(const QWidget* widget) const;
    QWidget* controlOf(QObject* receiver) const;

    // Focus (form_runtime.cpp)
    void focusChanged(QWidget* old, QWidget* now);
    void moveFocus(QWidget* to);
    void transition(QWidget* to);
    void putQtFocusOn(QWidget* control);

    // Mouse (mouse_events.cpp)
    bool handleMousePress(QWidget* receiver, QMouseEvent* event);
    bool handleDoubleClick(QWidget* receiver, QMouseEvent* event);

    // Keys (key_preview.cpp, send_keys.cpp)
    bool handleKey(QWidget* target, QKeyEvent* event);
    bool pressAccelerator(QChar letter);
    void tabFrom(QWidget* control, bool backwards);
    void scheduleKeys();
    void runQueuedKeys();
    bool keysBlocked() const;
    QWidget* keyTarget() const;

    QPointer<QWidget> form_;
    QString programTitle_;
    std::unordered_map<const QWidget*, std::unique_ptr<Handlers>> handlers_;
    std::vector<QPointer<QWidget>> tabOrder_;
    QMetaObject::Connection focusConnection_;
    QPointer<QWidget> current_;       // the control last reported by GotFocus
    QPointer<QWidget> pendingFocus_;  // SetFocus asked for inside a LostFocus
    bool inLostFocus_ = false;
    bool dispatching_ = false;        // the runtime itself is moving Qt's focus
    int boxDepth_ = 0;                // message boxes open
    int keyDepth_ = 0;                // keys being handled
    std::deque<KeyStroke> queuedKeys_;  // SendKeys waiting to act
    bool keysScheduled_ = false;
};

// The application object: hands every event to the runtimes first, before Qt
// gives the focus for a mouse press, so MouseDown comes before LostFocus. An
// exception that escapes the delivery of any event is shown in a box (by the
// first window's runtime) instead of ending the process; while the engine
// waits for another program's lock the busy pointer shows.
class RuntimeApplication : public QApplication {
public:
    RuntimeApplication(int& argc, char** argv);
    ~RuntimeApplication() override;
    bool notify(QObject* receiver, QEvent* event) override;
    // Delivers an event the Qt way, past the runtimes (a key the runtime has
    // already previewed, or its replacement).
    static bool deliver(QObject* receiver, QEvent* event);

private:
    bool dispatch(QObject* receiver, QEvent* event);
};

}  // namespace runtime
