// Buttons and lists: MouseDown before the focused field's LostFocus, Click
// after the focus has moved, accelerators pressing only the visible, enabled
// button, and DblClick after the control has handled the double-click.
#include "runtime_window.h"

#include <QTest>

#include <gtest/gtest.h>

namespace runtime_tests {
namespace {

using ButtonsTest = RuntimeTest;

TEST_F(ButtonsTest, ClickComesAfterMouseDownAndTheFocusMove)
{
    QTest::mouseClick(w.confermaA, Qt::LeftButton);
    EXPECT_EQ(w.take(), (Log{"MouseDown confermaA", "Lost first", "Got confermaA", "Click confermaA"}));
    EXPECT_EQ(RuntimeWindow::focused(), w.confermaA);

    QTest::mouseClick(w.list->viewport(), Qt::LeftButton);
    EXPECT_EQ(w.take(), (Log{"MouseDown list", "Lost confermaA", "Got list"}));
}

TEST_F(ButtonsTest, ALostFocusThatKeepsTheFocusStopsTheClick)
{
    w.runtime->onLostFocus(w.first, [this] {
        w.log.push_back("Lost first");
        w.runtime->SetFocus(w.first);
    });
    QTest::mouseClick(w.confermaA, Qt::LeftButton);
    EXPECT_EQ(w.take(), (Log{"MouseDown confermaA", "Lost first", "Got first"}));
    EXPECT_EQ(RuntimeWindow::focused(), w.first);

    key(Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got first"}));
}

TEST_F(ButtonsTest, NoMouseDownOnADisabledButton)
{
    w.panelA->setEnabled(false);
    QTest::mouseClick(w.confermaA, Qt::LeftButton);
    EXPECT_TRUE(w.take().empty());
    EXPECT_EQ(RuntimeWindow::focused(), w.first);
}

TEST_F(ButtonsTest, AltLetterPressesOnlyTheVisibleEnabledButton)
{
    w.panelA->hide();
    key(Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got confermaB", "Click confermaB"}));

    w.panelA->show();
    w.panelB->setEnabled(false);
    w.runtime->SetFocus(w.first);
    w.take();
    key(Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(w.take(), (Log{"Lost first", "Got uscitaA", "Click uscitaA"}));

    // With neither available the key does nothing.
    w.panelA->setEnabled(false);
    w.runtime->SetFocus(w.first);
    w.take();
    key(Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(w.take(), Log{});
    EXPECT_EQ(RuntimeWindow::focused(), w.first);
}

TEST_F(ButtonsTest, DblClickComesAfterTheControlHandledIt)
{
    w.runtime->SetText(w.first, QStringLiteral("uno due"));
    w.take();
    QString selected;
    w.runtime->onDblClick(w.first, [&] { selected = w.first->selectedText(); });
    QTest::mouseDClick(w.first, Qt::LeftButton, {}, QPoint(5, w.first->height() / 2));
    EXPECT_FALSE(selected.isEmpty());

    QTest::mouseDClick(w.list->viewport(), Qt::LeftButton);
    Log log = w.take();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "DblClick list");
}

}  // namespace
}  // namespace runtime_tests
