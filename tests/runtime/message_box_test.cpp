// Message boxes: the buttons, icon, texts and default of each code, the
// program's title when none is given, the answers, the focus given back to
// the control that had it, and boxes routed to a test script.
#include "runtime_window.h"

#include "runtime/message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>

namespace runtime_tests {
namespace {

std::vector<std::string> buttonTexts(const QMessageBox& box)
{
    std::vector<std::string> texts;
    for (QAbstractButton* button : box.buttons())
        texts.push_back(button->text().toStdString());
    return texts;
}

QAbstractButton* buttonNamed(const QMessageBox& box, const QString& text)
{
    for (QAbstractButton* button : box.buttons())
        if (button->text() == text)
            return button;
    return nullptr;
}

// Acts on the next box as soon as it is open (from inside its event loop).
void onNextBox(std::function<void(QMessageBox*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && box->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(box);
        }
    });
    timer->start();
}

TEST(MessageBoxBuild, EachCodeGivesItsButtonsIconAndDefault)
{
    struct Case {
        int code;
        std::vector<std::string> buttons;
        QMessageBox::Icon icon;
        std::string defaultButton;
        int escapeAnswer;
    };
    const Case cases[] = {
        {0, {"OK"}, QMessageBox::NoIcon, "OK", 1},
        {21, {"&Riprova", "&Annulla"}, QMessageBox::Critical, "&Riprova", 2},
        {53, {"&Riprova", "&Annulla"}, QMessageBox::Warning, "&Riprova", 2},
        {292, {"&S\u00ec", "&No"}, QMessageBox::Question, "&No", 7},
        {308, {"&S\u00ec", "&No"}, QMessageBox::Warning, "&No", 7},
        {4 + 64, {"&S\u00ec", "&No"}, QMessageBox::Information, "&S\u00ec", 7},
        {1, {"OK", "&Annulla"}, QMessageBox::NoIcon, "OK", 2},
        {2 + 0x200, {"In&terrompi", "&Riprova", "&Ignora"}, QMessageBox::NoIcon, "&Ignora", 3},
        {3, {"&S\u00ec", "&No", "&Annulla"}, QMessageBox::NoIcon, "&S\u00ec", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        auto box = runtime::BuildMessageBox(QStringLiteral("Codice <b>\r\nriga"), c.code, QStringLiteral("Titolo"), nullptr);
        EXPECT_EQ(buttonTexts(*box), c.buttons);
        EXPECT_EQ(box->icon(), c.icon);
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->defaultButton()->text().toStdString(), c.defaultButton);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Titolo"));
        // The prompt is plain text, with its line breaks.
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->text(), QStringLiteral("Codice <b>\nriga"));
        EXPECT_EQ(runtime::MessageBoxAnswer(*box), c.escapeAnswer);  // closed with nothing pressed
    }
}

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.showActive();
        ASSERT_TRUE(w.runtime->SetFocus(w.second));
        w.take();
    }

    RuntimeWindow w;
};

// A shown box returns the button pressed, by a click or by a key, and gives
// the focus back to the control that had it, raising no focus events.
TEST_F(MessageBoxTest, EachButtonAnswersByClickOrByItsLetterAndTheFocusComesBack)
{
    struct Case {
        int code;
        QString title;
        const char* press;  // the button clicked; nullptr: the key is typed
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int answer;
    };
    const Case cases[] = {
        {0, {}, "OK", {}, {}, 1},
        {21, QStringLiteral("Errore"), "&Riprova", {}, {}, 4},
        {53, {}, "&Annulla", {}, {}, 2},
        {292, {}, "&S\u00ec", {}, {}, 6},
        {308, {}, "&No", {}, {}, 7},
        // A letter with or without Alt; OK answers Enter; Escape answers the default.
        {292, {}, nullptr, Qt::Key_S, Qt::NoModifier, 6},
        {292, {}, nullptr, Qt::Key_S, Qt::AltModifier, 6},
        {308, {}, nullptr, Qt::Key_N, Qt::NoModifier, 7},
        {292, {}, nullptr, Qt::Key_N, Qt::AltModifier, 7},
        {4, {}, nullptr, Qt::Key_S, Qt::ShiftModifier, 6},
        {21, {}, nullptr, Qt::Key_R, Qt::NoModifier, 4},
        {53, {}, nullptr, Qt::Key_A, Qt::AltModifier, 2},
        {2, {}, nullptr, Qt::Key_T, Qt::NoModifier, 3},
        {2, {}, nullptr, Qt::Key_R, Qt::NoModifier, 4},
        {2, {}, nullptr, Qt::Key_I, Qt::AltModifier, 5},
        {3, {}, nullptr, Qt::Key_A, Qt::NoModifier, 2},
        {0, {}, nullptr, Qt::Key_Return, Qt::NoModifier, 1},
        {0, {}, nullptr, Qt::Key_Escape, Qt::NoModifier, 1},
        {1, {}, nullptr, Qt::Key_Return, Qt::NoModifier, 1},
        {292, {}, nullptr, Qt::Key_Return, Qt::NoModifier, 7},  // the default stays "No"
        {292, {}, nullptr, Qt::Key_Escape, Qt::NoModifier, 7},
        {21, {}, nullptr, Qt::Key_Escape, Qt::NoModifier, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << (c.press ? c.press : "key") << " " << c.key << " "
                                        << c.modifiers.toInt());
        QString title;
        onNextBox([&](QMessageBox* box) {
            title = box->windowTitle();
            if (c.press) {
                buttonNamed(*box, QString::fromUtf8(c.press))->click();
                return;
            }
            // A letter no button has does nothing; then the key, where a
            // person's key goes: the focused button of the box.
            QWidget* target = box->focusWidget() ? box->focusWidget() : box;
            QTest::keyClick(target, Qt::Key_X);
            QTest::keyClick(target, Qt::Key_X, Qt::AltModifier);
            ASSERT_TRUE(box->isVisible());
            QTest::keyClick(target, c.key, c.modifiers);
        });
        EXPECT_EQ(w.runtime->MsgBox(QStringLiteral("Messaggio"), c.code, c.title), c.answer);
        EXPECT_EQ(title, c.title.isEmpty() ? ProgramTitle : c.title);
        EXPECT_EQ(RuntimeWindow::focused(), w.second);
        deliverPosted();
        EXPECT_EQ(RuntimeWindow::focused(), w.second);
        EXPECT_TRUE(w.take().empty());
    }
}

TEST_F(MessageBoxTest, KeysSentBeforeABoxWaitUntilItIsClosedAndTheHandlerEnds)
{
    QWidget* activeWhileOpen = nullptr;
    w.runtime->keyDown = [this](int& code, int) {
        if (code != 120)
            return;
        w.runtime->SendKeys(QStringLiteral("{TAB}"));
        w.runtime->MsgBox(QStringLiteral("Salvare?"), store::BoxCode::YesNoQuestionNoDefault);
        w.log.push_back("after box");
    };
    onNextBox([&](QMessageBox* box) {
        // Give the queue a chance to run inside the box's loop.
        deliverPosted();
        activeWhileOpen = w.runtime->ActiveControl();
        buttonNamed(*box, QStringLiteral("&No"))->click();
    });
    QTest::keyClick(RuntimeWindow::focused(), Qt::Key_F9);
    EXPECT_EQ(activeWhileOpen, w.second);
    EXPECT_EQ(w.take(), (Log{"after box"}));
    w.keysActed();
    EXPECT_EQ(w.take(), (Log{"Lost second", "Got third"}));
}

TEST_F(MessageBoxTest, TheHookAnswersWithTheTitleAsShownAndAnUnexpectedBoxFails)
{
    std::vector<runtime::BoxRequest> seen;
    runtime::FormRuntime::SetBoxAnswerer([&](const runtime::BoxRequest& request) {
        seen.push_back(request);
        return store::BoxAnswer::Retry;
    });
    EXPECT_EQ(w.runtime->MsgBox(QStringLiteral("Tabella bloccata"), 53), 4);
    EXPECT_EQ(w.runtime->MsgBox(QStringLiteral("Errore"), 21, QStringLiteral("Archivio")), 4);
    runtime::FormRuntime::SetBoxAnswerer(nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].prompt, QStringLiteral("Tabella bloccata"));
    EXPECT_EQ(seen[0].code, 53);
    EXPECT_EQ(seen[0].title, ProgramTitle);
    EXPECT_EQ(seen[1].title, QStringLiteral("Archivio"));

    testing_support::RuntimeBoxes boxes;
    boxes.expect(store::BoxAnswer::Yes);
    EXPECT_EQ(w.runtime->MsgBox(QStringLiteral("Cancellare?"), 292), 6);
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = w.runtime->MsgBox(QStringLiteral("Inattesa"), 292),
                            "unexpected message box");
    EXPECT_EQ(answer, store::BoxAnswer::No);
    EXPECT_TRUE(w.take().empty());
}

}  // namespace
}  // namespace runtime_tests
