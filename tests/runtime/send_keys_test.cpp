// Synthetic keystrokes: queued until the handler that sent them and the key
// being handled are complete, then acted on in order through the same path
// as typed keys.
#include "runtime_window.h"

#include "runtime/key_codes.h"

#include <QTest>

#include <gtest/gtest.h>

namespace runtime_tests {
namespace {

using SendKeysTest = RuntimeTest;

TEST_F(SendKeysTest, DownSentWhileTypingArrivesAfterTheCharacterIsInTheField)
{
    w.runtime->keyPress = [this](int& code) {
        if (w.first->text().size() == 1)
            w.runtime->SendKeys(QStringLiteral("{DOWN}"));
        code -= 32;
    };
    w.runtime->keyDown = [this](int& code, int shift) {
        if (code == 40) {
            w.log.push_back("Down " + std::to_string(shift) + " sees " + w.first->text().toStdString());
            w.runtime->SetFocus(w.second);
        }
    };
    QTest::keyClicks(RuntimeWindow::focused(), "ab");
    EXPECT_EQ(w.take(), (Log{"Change first", "Change first"}));  // nothing inside the key
    EXPECT_EQ(RuntimeWindow::focused(), w.first);

    w.keysActed();
    EXPECT_EQ(w.take(), (Log{"Down 0 sees AB", "Lost first", "Got second"}));
    EXPECT_EQ(w.second->text(), QString());
}

TEST_F(SendKeysTest, TabSentFromAHandlerMovesByTheTabOrderAfterIt)
{
    w.second->setEnabled(false);
    w.runtime->onGotFocus(w.first, [this] {
        w.log.push_back("Got first");
        w.runtime->SendKeys(QStringLiteral("{TAB}"));
        w.log.push_back("sent");
    });
    w.runtime->SetFocus(w.list);
    w.runtime->SetFocus(w.first);
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got list", "Lost list", "Got first", "sent"}));
    w.keysActed();
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got third"}));
}

TEST_F(SendKeysTest, AltUGoesThroughKeyDownAndThenPressesTheAccelerator)
{
    w.panelA->hide();
    w.runtime->keyDown = [this](int& code, int shift) {
        w.log.push_back("KeyDown " + std::to_string(code) + " " + std::to_string(shift));
        if (code == 120)
            w.runtime->SendKeys(QStringLiteral("%U"));
    };
    QTest::keyClick(RuntimeWindow::focused(), Qt::Key_F9);
    EXPECT_EQ(w.take(), (Log{"KeyDown 120 0"}));
    w.keysActed();
    EXPECT_EQ(w.take(), (Log{"KeyDown 85 4", "Lost first", "Got uscitaB", "Click uscitaB"}));
}

TEST_F(SendKeysTest, SeveralQueuedKeysKeepTheirOrder)
{
    w.runtime->keyDown = [this](int& code, int) {
        if (code == 40)
            w.log.push_back("Down at " + w.runtime->ActiveControl()->objectName().toStdString());
    };
    w.runtime->SendKeys(QStringLiteral("{TAB}{TAB}"));
    w.runtime->SendKeys(QStringLiteral("{DOWN}"));
    w.runtime->SendKeys(QStringLiteral("+{TAB}"));
    w.keysActed();
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got second", "Lost second", "Got third", "Down at third",
                             "Lost third", "Got second"}));
}

TEST(SendKeysParse, NamesPrefixesAndCounts)
{
    using runtime::ParseSendKeys;
    auto keys = [](const char* text) {
        std::vector<std::string> out;
        for (const auto& s : runtime::ParseSendKeys(QString::fromLatin1(text)))
            out.push_back(std::to_string(s.key) + "/" + std::to_string(s.modifiers.toInt()) + "/"
                          + std::to_string(s.text.isEmpty() ? 0 : s.text.at(0).unicode()));
        return out;
    };
    auto one = [](int key, Qt::KeyboardModifiers m, int text) {
        return std::to_string(key) + "/" + std::to_string(m.toInt()) + "/" + std::to_string(text);
    };
    EXPECT_EQ(keys("{TAB}"), (std::vector{one(Qt::Key_Tab, {}, 9)}));
    EXPECT_EQ(keys("{down}"), (std::vector{one(Qt::Key_Down, {}, 0)}));
    EXPECT_EQ(keys("%U"), (std::vector{one(Qt::Key_U, Qt::AltModifier, 'U')}));
    EXPECT_EQ(keys("+{TAB}"), (std::vector{one(Qt::Key_Tab, Qt::ShiftModifier, 9)}));
    EXPECT_EQ(keys("^c"), (std::vector{one(Qt::Key_C, Qt::ControlModifier, 3)}));
    EXPECT_EQ(keys("~{}}"), (std::vector{one(Qt::Key_Return, {}, 13), one('}', {}, '}')}));
    EXPECT_EQ(keys("{UP 2}a"),
              (std::vector{one(Qt::Key_Up, {}, 0), one(Qt::Key_Up, {}, 0), one(Qt::Key_A, {}, 'a')}));
    EXPECT_TRUE(keys("{NOSUCHKEY}").empty());
    EXPECT_TRUE(keys("{TAB").empty());
}

}  // namespace
}  // namespace runtime_tests
