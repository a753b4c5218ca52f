// Change on a field: raised by every assignment through SetText, whether or
// not the text differs, and by typed edits, never twice for one change.
#include "runtime_window.h"

#include <QTest>

#include <gtest/gtest.h>

namespace runtime_tests {
namespace {

TEST(Change, EveryAssignmentRaisesChangeOnceEvenWithTheSameText)
{
    RuntimeWindow w;
    w.runtime->SetText(w.first, QStringLiteral("ABC"));
    w.runtime->SetText(w.first, QStringLiteral("ABC"));
    w.runtime->SetText(w.first, QString());
    w.runtime->SetText(w.first, QString());
    EXPECT_EQ(w.take(), (Log(4, "Change first")));
    EXPECT_EQ(w.first->text(), QString());

    // Inside the assigning routine, with the new text already there.
    QString seen;
    w.runtime->onChange(w.second, [&] { seen = w.second->text(); });
    w.runtime->SetText(w.second, QStringLiteral("XY"));
    EXPECT_EQ(seen, QStringLiteral("XY"));
}

using ChangeTest = RuntimeTest;

TEST_F(ChangeTest, TypedEditsRaiseChangeAndAssignmentsFromChangeDoNotLoopTwice)
{
    int changes = 0;
    w.runtime->onChange(w.first, [&] {
        ++changes;
        // The upper-case copy assigned from the handler raises Change again
        // once; assigning the same text a second time would be caught here.
        if (w.first->text() != w.first->text().toUpper())
            w.runtime->SetText(w.first, w.first->text().toUpper());
    });
    QTest::keyClick(w.first, Qt::Key_A);
    EXPECT_EQ(w.first->text(), QStringLiteral("A"));
    EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace runtime_tests
