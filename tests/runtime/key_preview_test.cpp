// Key preview: KeyDown sees every key with its code and mask, KeyPress sees the
// character and decides what is typed, and a key that moved the focus is not
// delivered.
#include "runtime_window.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace runtime_tests {
namespace {

class KeyPreviewTest : public RuntimeTest {
protected:
    void SetUp() override
    {
        RuntimeTest::SetUp();
        w.runtime->keyDown = [this](int& code, int shift) {
            // The modifier keys themselves (16 Shift, 17 Ctrl, 18 Alt) are
            // left out of the log.
            if (code < 16 || code > 18)
                downs.emplace_back(code, shift);
        };
        w.runtime->keyPress = [this](int& code) { presses.push_back(code); };
    }

    std::vector<std::pair<int, int>> downs;
    std::vector<int> presses;
};

TEST_F(KeyPreviewTest, KeyDownSeesVirtualKeyCodesAndTheShiftMask)
{
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int code;
        int shift;
    };
    const Case cases[] = {
        {Qt::Key_A, Qt::NoModifier, 65, 0},       {Qt::Key_Z, Qt::ShiftModifier, 90, 1},
        {Qt::Key_5, Qt::NoModifier, 53, 0},       {Qt::Key_F2, Qt::NoModifier, 113, 0},
        {Qt::Key_F4, Qt::NoModifier, 115, 0},     {Qt::Key_F9, Qt::ShiftModifier, 120, 1},
        {Qt::Key_Return, Qt::NoModifier, 13, 0},  {Qt::Key_Enter, Qt::KeypadModifier, 13, 0},
        {Qt::Key_Up, Qt::NoModifier, 38, 0},      {Qt::Key_Down, Qt::NoModifier, 40, 0},
        {Qt::Key_Left, Qt::NoModifier, 37, 0},    {Qt::Key_Right, Qt::NoModifier, 39, 0},
        {Qt::Key_Backspace, Qt::NoModifier, 8, 0}, {Qt::Key_Delete, Qt::NoModifier, 46, 0},
        {Qt::Key_Escape, Qt::NoModifier, 27, 0},  {Qt::Key_Home, Qt::NoModifier, 36, 0},
        {Qt::Key_End, Qt::NoModifier, 35, 0},     {Qt::Key_C, Qt::ControlModifier, 67, 2},
        {Qt::Key_L, Qt::AltModifier, 76, 4},      {Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, 83, 3},
    };
    for (const Case& c : cases) {
        downs.clear();
        key(c.key, c.modifiers);
        SCOPED_TRACE(c.code);
        ASSERT_EQ(downs.size(), 1u);
        EXPECT_EQ(downs[0], std::make_pair(c.code, c.shift));
    }
}

TEST_F(KeyPreviewTest, KeyPressSeesCharacterCodesAndOnlyForKeysThatTypeOne)
{
    key(Qt::Key_A);
    key(Qt::Key_Backspace);
    key(Qt::Key_Return);
    key(Qt::Key_C, Qt::ControlModifier);
    key(Qt::Key_V, Qt::ControlModifier);
    key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(presses, (std::vector<int>{'a', 8, 13, 3, 22, 18}));

    presses.clear();
    for (Qt::Key k : {Qt::Key_Up, Qt::Key_Down, Qt::Key_F4, Qt::Key_Delete, Qt::Key_Home})
        key(k);
    key(Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(presses.empty());
}

TEST_F(KeyPreviewTest, AChangedCodeIsTypedAndZeroSwallowsTheKey)
{
    w.runtime->keyPress = [](int& code) {
        if (code >= 'a' && code <= 'z')
            code -= 32;
        else if (code == '.')
            code = ',';
        else if (code >= '0' && code <= '9')
            code = 0;
    };
    QTest::keyClicks(RuntimeWindow::focused(), "ab1.c2");
    EXPECT_EQ(w.first->text(), QStringLiteral("AB,C"));
    // Typing raised Change for each character that went in, and only those.
    EXPECT_EQ(w.take(), (Log(4, "Change first")));

    // Backspace with its code unchanged still deletes.
    key(Qt::Key_Backspace);
    EXPECT_EQ(w.first->text(), QStringLiteral("AB,"));
}

TEST_F(KeyPreviewTest, ControlCodesLeftUnchangedStillCopyAndPaste)
{
    w.runtime->keyPress = [this](int& code) {
        presses.push_back(code);
        if (code != 3 && code != 22 && code != 8)
            code = 0;  // a filter that lets only the editing codes through
    };
    w.runtime->SetText(w.first, QStringLiteral("12345"));
    w.first->selectAll();
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("12345"));
    w.runtime->SetFocus(w.second);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.second->text(), QStringLiteral("12345"));
    key(Qt::Key_Backspace);
    EXPECT_EQ(w.second->text(), QStringLiteral("1234"));
    key(Qt::Key_Z);
    EXPECT_EQ(w.second->text(), QStringLiteral("1234"));
    EXPECT_EQ(presses, (std::vector<int>{3, 22, 8, 'z'}));
}

// KeyDown keeps a key from the control by moving the focus or by setting its
// code to 0; a character key whose code was zeroed still reaches KeyPress.
TEST_F(KeyPreviewTest, KeyDownKeepsAKeyFromTheControlByMovingTheFocusOrZeroingItsCode)
{
    w.runtime->keyDown = [this](int& code, int) {
        if (code == 13)
            w.runtime->SetFocus(w.second);
        if (code == 'X')
            w.runtime->SetFocus(w.first);
        if (code == 36 || code == 'Q')
            code = 0;
    };
    key(Qt::Key_Return);
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got second"}));
    EXPECT_TRUE(presses.empty());

    key(Qt::Key_X);
    EXPECT_EQ(w.take(), (Log{"Lost second", "Got first"}));
    EXPECT_TRUE(presses.empty());
    EXPECT_EQ(w.first->text(), QString());
    EXPECT_EQ(w.second->text(), QString());

    QTest::keyClicks(w.first, "abc");
    EXPECT_EQ(w.first->text(), QStringLiteral("abc"));
    key(Qt::Key_Home);
    EXPECT_EQ(w.first->cursorPosition(), 3);
    key(Qt::Key_Q);
    EXPECT_EQ(w.first->text(), QStringLiteral("abcq"));
}

TEST_F(KeyPreviewTest, KeysOfOtherWindowsAreNotPreviewed)
{
    QLineEdit outside;
    outside.show();
    QTest::keyClick(&outside, Qt::Key_A);
    EXPECT_TRUE(downs.empty());
    EXPECT_TRUE(presses.empty());
    EXPECT_EQ(outside.text(), QStringLiteral("a"));
}

}  // namespace
}  // namespace runtime_tests
