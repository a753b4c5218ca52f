// The guard at the event dispatch: what a handler lets escape, through the
// real delivery of a click, a key or any other event, is shown in a box with
// the program's title, and the window goes on working.
#include "runtime_window.h"

#include "store/engine/engine.h"

#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace runtime_tests {
namespace {

class DispatchGuard : public ::testing::Test {
protected:
    void SetUp() override
    {
        runtime::FormRuntime::SetBoxAnswerer([this](const runtime::BoxRequest& request) {
            seen.push_back(request);
            return store::BoxAnswer::Ok;
        });
        w.showActive();
    }
    void TearDown() override { runtime::FormRuntime::SetBoxAnswerer(nullptr); }

    RuntimeWindow w;
    std::vector<runtime::BoxRequest> seen;
};

TEST_F(DispatchGuard, AnEngineErrorFromAClickIsShownWithItsNumberAndTheWindowGoesOn)
{
    w.runtime->onClick(w.confermaA, [] { throw store::EngineError(3261, QStringLiteral("database is locked")); });
    QTest::mouseClick(w.confermaA, Qt::LeftButton);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].prompt, QStringLiteral("ERRORE 3261\ndatabase is locked"));
    EXPECT_EQ(seen[0].code, store::BoxCode::OkCritical);
    EXPECT_EQ(seen[0].title, ProgramTitle);

    // The window still answers keys and focus moves.
    ASSERT_TRUE(w.runtime->SetFocus(w.first));
    w.take();
    QTest::keyClick(RuntimeWindow::focused(), Qt::Key_Tab);
    EXPECT_EQ(w.take(), (std::vector<std::string>{"Lost first", "Got second"}));
}

TEST_F(DispatchGuard, AnExceptionFromAKeyHandlerOrAnyOtherEventIsShownNotFatal)
{
    ASSERT_TRUE(w.runtime->SetFocus(w.first));
    w.runtime->keyDown = [](int& code, int) {
        if (code == 'Q')
            throw std::runtime_error("guasto");
    };
    QTest::keyClick(RuntimeWindow::focused(), Qt::Key_Q);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].prompt, QStringLiteral("ERRORE IMPREVISTO\nguasto"));
    EXPECT_EQ(seen[0].title, ProgramTitle);
    // The key whose handler failed types nothing; the next one works.
    EXPECT_EQ(w.first->text(), QString());
    QTest::keyClick(RuntimeWindow::focused(), Qt::Key_W);
    EXPECT_EQ(w.first->text(), QStringLiteral("w"));

    // An event no handler of the runtime receives: the application object
    // catches what escapes its delivery.
    struct Throwing : QObject {
        bool event(QEvent*) override { throw 42; }
    } object;
    QEvent event(QEvent::User);
    EXPECT_TRUE(QCoreApplication::sendEvent(&object, &event));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].prompt, QStringLiteral("ERRORE IMPREVISTO"));
}

}  // namespace
}  // namespace runtime_tests
