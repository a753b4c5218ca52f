// Modal message boxes: the QMessageBox for a code, and FormRuntime::MsgBox,
// which shows it (or hands it to the test hook) and then puts the focus back
// on the control that had it, raising no focus events.
#include "message_box.h"
#include "accessible_names.h"

#include "flag_scope.h"
#include "form_runtime.h"

#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <array>
#include <vector>

namespace runtime {

namespace {

// The property of each button that holds its answer number.
constexpr const char* AnswerProperty = "boxAnswer";

namespace Answer = store::BoxAnswer;
namespace BoxCode = store::BoxCode;

struct ButtonSpec {
    const char* text;  // UTF-8
    int answer;
};

struct ButtonSet {
    std::vector<ButtonSpec> buttons;
    int escapeAnswer;
};

ButtonSet buttonSet(int code)
{
    // The underlined letter answers the button, with or without Alt. "OK"
    // has none: Enter (as the default) and Escape (when alone) answer it.
    // The I of "Interrompi" belongs to "Ignora" in its set: it takes the T.
    const ButtonSpec ok{"OK", Answer::Ok};
    const ButtonSpec cancel{"&Annulla", Answer::Cancel};
    const ButtonSpec abort{"In&terrompi", Answer::Abort};
    const ButtonSpec retry{"&Riprova", Answer::Retry};
    const ButtonSpec ignore{"&Ignora", Answer::Ignore};
    const ButtonSpec yes{"&S\u00ec", Answer::Yes};
    const ButtonSpec no{"&No", Answer::No};
    switch (code & BoxCode::ButtonsMask) {
    case BoxCode::OkCancelButtons: return {{ok, cancel}, Answer::Cancel};
    case BoxCode::AbortRetryIgnoreButtons: return {{abort, retry, ignore}, Answer::Abort};
    case BoxCode::YesNoCancelButtons: return {{yes, no, cancel}, Answer::Cancel};
    case BoxCode::YesNoButtons: return {{yes, no}, Answer::No};
    case BoxCode::RetryCancelButtons: return {{retry, cancel}, Answer::Cancel};
    default: return {{ok}, Answer::Ok};
    }
}

QMessageBox::Icon iconOf(int code)
{
    switch (code & BoxCode::IconMask) {
    case BoxCode::CriticalIcon: return QMessageBox::Critical;
    case BoxCode::QuestionIcon: return QMessageBox::Question;
    case BoxCode::ExclamationIcon: return QMessageBox::Warning;
    case BoxCode::InformationIcon: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// The program keeps Qt's shortcuts from acting on Alt and a letter (the window
// runtime presses its accelerators itself), so the box answers its buttons'
// letters here: typed alone, with Shift or with Alt.
class LetteredMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const Qt::KeyboardModifiers others =
            event->modifiers() & ~(Qt::AltModifier | Qt::ShiftModifier | Qt::KeypadModifier);
        const int key = event->key();
        if (others == Qt::NoModifier && key >= Qt::Key_A && key <= Qt::Key_Z) {
            const QChar letter(key);
            for (QAbstractButton* button : buttons()) {
                if (button->isVisible() && button->isEnabled() && MnemonicOf(button->text()) == letter) {
                    button->click();
                    return;
                }
            }
        }
        QMessageBox::keyPressEvent(event);
    }
};

std::function<int(const BoxRequest&)>& boxAnswerer()
{
    static std::function<int(const BoxRequest&)> answerer;
    return answerer;
}

}  // namespace

std::unique_ptr<QMessageBox> BuildMessageBox(const QString& prompt, int code, const QString& title,
                                             QWidget* parent)
{
    std::unique_ptr<QMessageBox> box = std::make_unique<LetteredMessageBox>(parent);
    box->setWindowTitle(title);
    box->setIcon(iconOf(code));
    // Plain text: a prompt holding "<" is shown as written, and the
    // carriage-return line breaks of the routines become Qt's.
    box->setTextFormat(Qt::PlainText);
    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
    box->setText(text);
    // A screen reader reads the title, then the whole prompt.
    NameControl(box.get(), title, text);

    const ButtonSet set = buttonSet(code);
    std::vector<QPushButton*> buttons;
    QPushButton* escape = nullptr;
    for (const ButtonSpec& spec : set.buttons) {
        // One role for all keeps the buttons in the order given on every
        // desktop's button layout.
        QPushButton* button = box->addButton(QString::fromUtf8(spec.text), QMessageBox::ActionRole);
        button->setProperty(AnswerProperty, spec.answer);
        NameButton(button);
        if (spec.answer == set.escapeAnswer)
            escape = button;
        buttons.push_back(button);
    }
    const std::size_t defaultIndex =
        std::min<std::size_t>(static_cast<std::size_t>((code >> BoxCode::DefaultButtonShift) & BoxCode::DefaultButtonMask), buttons.size() - 1);
    box->setDefaultButton(buttons[defaultIndex]);
    box->setEscapeButton(escape);
    return box;
}

int MessageBoxAnswer(const QMessageBox& box)
{
    QAbstractButton* button = box.clickedButton();
    if (!button)
        button = box.escapeButton();
    return button ? button->property(AnswerProperty).toInt() : Answer::Cancel;
}

void FormRuntime::SetBoxAnswerer(std::function<int(const BoxRequest&)> answerer)
{
    boxAnswerer() = std::move(answerer);
}

int FormRuntime::MsgBox(const QString& prompt, int code, const QString& title)
{
    const QString shownTitle = title.isEmpty() ? programTitle_ : title;
    QPointer<QWidget> hadFocus = QApplication::focusWidget();
    if (!inside(hadFocus))
        hadFocus = nullptr;

    // Keys sent before the box wait until it is closed.
    ++boxDepth_;
    QPointer<FormRuntime> self = this;
    int answer = 0;
    bool shown = false;
    if (auto answerer = boxAnswerer()) {
        answer = answerer({prompt, code, shownTitle});
    } else {
        auto box = BuildMessageBox(prompt, code, shownTitle, form_);
        shown = true;
        box->exec();
        answer = MessageBoxAnswer(*box);
    }
    if (!self)
        return answer;
    --boxDepth_;

    // Not every platform gives the focus back when a modal box closes: the
    // runtime does, without raising LostFocus or GotFocus.
    if (shown && hadFocus && hadFocus->isVisible()) {
        FlagScope scope(dispatching_, true);
        QWidget* window = hadFocus->window();
        if (QApplication::activeWindow() != window) {
            window->activateWindow();
            QApplication::setActiveWindow(window);
        }
        hadFocus->setFocus(Qt::OtherFocusReason);
    }
    scheduleKeys();
    return answer;
}

}  // namespace runtime
