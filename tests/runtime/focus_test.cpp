// GotFocus and LostFocus: the pair on every move between controls (Tab,
// SetFocus, click), nothing for boxes and popups, redirection from inside a
// LostFocus, and controls that cannot take the focus.
#include "runtime_window.h"

#include <QGuiApplication>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace runtime_tests {
namespace {

class FocusTest : public RuntimeTest {
protected:
    // Waits until a popup is open and holds the keyboard.
    static bool popupOpen()
    {
        return waitFor([] {
            QWidget* popup = QApplication::activePopupWidget();
            return popup && QGuiApplication::focusWindow() == popup->windowHandle();
        });
    }

    static void tab(Qt::KeyboardModifiers modifiers = Qt::NoModifier) { key(Qt::Key_Tab, modifiers); }
};

TEST_F(FocusTest, TabAndShiftTabMoveAlongTheOrderWithLostBeforeGot)
{
    std::vector<int> keys;
    w.runtime->keyDown = [&](int& code, int) { keys.push_back(code); };
    w.runtime->keyPress = [&](int& code) { keys.push_back(code); };

    tab();
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got second"}));
    EXPECT_EQ(w.runtime->ActiveControl(), w.second);
    EXPECT_EQ(RuntimeWindow::focused(), w.second);

    tab(Qt::ShiftModifier);
    EXPECT_EQ(w.take(), (Log{"Lost second", "Got first"}));
    QTest::keyClick(RuntimeWindow::focused(), Qt::Key_Backtab);
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got date"}));  // wraps to the end

    // A date picker does not step through its sections: Tab leaves it.
    tab();
    EXPECT_EQ(w.take(), (Log{"Lost date", "Got first"}));

    // Shift itself reaches KeyDown (16); Tab never does.
    for (int code : keys)
        EXPECT_EQ(code, 16);
}

TEST_F(FocusTest, ControlsHiddenOrDisabledByThemselvesOrTheirPanelAreSkippedAndRefuseSetFocus)
{
    w.second->setEnabled(false);
    w.third->hide();
    w.panelA->hide();
    tab();
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got fieldB"}));

    w.runtime->SetFocus(w.first);
    w.panelB->setEnabled(false);
    w.take();
    tab();
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got list"}));
    tab(Qt::ShiftModifier);
    EXPECT_EQ(w.take(), (Log{"Lost list", "Got first"}));

    for (QWidget* control : std::vector<QWidget*>{w.second, w.third, w.fieldA, w.confermaA, w.fieldB, w.uscitaB}) {
        SCOPED_TRACE(control->objectName().toStdString());
        EXPECT_FALSE(w.runtime->CanTakeFocus(control));
        EXPECT_FALSE(w.runtime->SetFocus(control));
    }
    EXPECT_TRUE(w.take().empty());
    EXPECT_EQ(w.runtime->ActiveControl(), w.first);
    EXPECT_EQ(RuntimeWindow::focused(), w.first);
    EXPECT_TRUE(w.runtime->CanTakeFocus(w.list));
    EXPECT_FALSE(w.runtime->CanTakeFocus(w.panelB));  // a panel is no control
    EXPECT_FALSE(w.runtime->CanTakeFocus(nullptr));
}

TEST_F(FocusTest, SetFocusAndClickRaiseTheSamePair)
{
    EXPECT_TRUE(w.runtime->SetFocus(w.combo));
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got combo"}));
    EXPECT_TRUE(w.runtime->SetFocus(w.combo));  // already there: nothing
    EXPECT_TRUE(w.take().empty());

    QTest::mouseClick(w.third, Qt::LeftButton);
    EXPECT_EQ(w.take(), (Log{"Lost combo", "Got third"}));
    EXPECT_EQ(w.runtime->ActiveControl(), w.third);

    // A click on the editor inside the date picker is a move to the picker.
    QTest::mouseClick(w.date->findChild<QLineEdit*>(), Qt::LeftButton);
    EXPECT_EQ(w.take(), (Log{"Lost third", "Got date"}));
}

TEST_F(FocusTest, SetFocusInsideLostFocusRedirectsTheMoveWithoutRecursion)
{
    int lost = 0;
    QWidget* redirect = w.third;
    w.runtime->onLostFocus(w.first, [&] {
        ++lost;
        w.log.push_back("Lost first");
        EXPECT_TRUE(w.runtime->SetFocus(redirect));
        w.log.push_back("after SetFocus");
    });
    tab();
    EXPECT_EQ(w.take(), (Log{"Lost first", "after SetFocus", "Got third"}));
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(RuntimeWindow::focused(), w.third);
    EXPECT_EQ(w.runtime->ActiveControl(), w.third);

    // The same when the move comes from a click that Qt has already made.
    w.runtime->SetFocus(w.first);
    w.take();
    QTest::mouseClick(w.second, Qt::LeftButton);
    EXPECT_EQ(w.take(), (Log{"Lost first", "after SetFocus", "Got third"}));
    EXPECT_EQ(RuntimeWindow::focused(), w.third);

    // Sent back to the control just left, that control gets its GotFocus again.
    redirect = w.first;
    w.runtime->SetFocus(w.first);
    w.take();
    QTest::mouseClick(w.second, Qt::LeftButton);
    EXPECT_EQ(w.take(), (Log{"Lost first", "after SetFocus", "Got first"}));
    EXPECT_EQ(RuntimeWindow::focused(), w.first);
    EXPECT_EQ(w.runtime->ActiveControl(), w.first);
}

TEST_F(FocusTest, ABoxOrAPopupRaisesNoFocusEvents)
{
    boxes.expect(store::BoxAnswer::Ok);
    w.runtime->onGotFocus(w.second, [&] {
        w.log.push_back("Got second");
        w.runtime->MsgBox(QStringLiteral("Attenzione"), store::BoxCode::OkOnly);
    });
    tab();
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got second"}));
    EXPECT_TRUE(boxes.allAnswered());

    w.runtime->SetFocus(w.combo);
    w.take();
    w.combo->showPopup();
    ASSERT_TRUE(popupOpen());
    w.combo->hidePopup();
    ASSERT_TRUE(w.backTo(w.combo));
    EXPECT_TRUE(w.take().empty());
    EXPECT_EQ(w.runtime->ActiveControl(), w.combo);
    tab();
    EXPECT_EQ(w.take(), (Log{"Lost combo", "Got date"}));

    // The date picker's calendar, opened with its arrow and closed with Escape.
    QTest::mouseClick(w.date, Qt::LeftButton, {}, QPoint(w.date->width() - 4, w.date->height() / 2));
    ASSERT_TRUE(popupOpen());
    QWidget* calendar = QApplication::activePopupWidget();
    QTest::keyClick(calendar, Qt::Key_Escape);
    ASSERT_TRUE(w.backTo(w.date));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(w.take().empty());
    EXPECT_EQ(w.runtime->ActiveControl(), w.date);
    tab();
    EXPECT_EQ(w.take(), (Log{"Lost date", "Got first"}));
}

TEST(FocusWithoutTabOrder, TabFollowsQtsFocusChainWithTheSameRules)
{
    testing_support::RuntimeBoxes boxes;
    RuntimeWindow w;
    w.runtime->setTabOrder({});
    w.showActive();
    w.runtime->SetFocus(w.first);
    w.second->setEnabled(false);
    w.take();
    QTest::keyClick(RuntimeWindow::focused(), Qt::Key_Tab);
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got third"}));
    QTest::keyClick(RuntimeWindow::focused(), Qt::Key_Backtab);
    EXPECT_EQ(w.take(), (Log{"Lost third", "Got first"}));
}

TEST_F(FocusTest, ActivationLeavingAndComingBackRaisesNothing)
{
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    w.window->activateWindow();
    QApplication::setActiveWindow(w.window.get());
    EXPECT_TRUE(w.backTo(w.first));
    EXPECT_TRUE(w.take().empty());
    EXPECT_EQ(RuntimeWindow::focused(), w.first);
}

}  // namespace
}  // namespace runtime_tests
