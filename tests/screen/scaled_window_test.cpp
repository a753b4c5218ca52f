// The window at the scale factor QT_SCALE_FACTOR sets (ctest runs this
// program once at each of 1, 1.25, 1.5, 1.75 and 2): every rule of the
// register panel shows in a picture of the window, and the key card of F1
// fits the screen without scrolling sideways; the picture of the window passes
// the check the Windows trial makes of its own pictures.
#include "screen/help_window.h"
#include "screen/startup_layout.h"
#include "support/window_shot.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

template <typename Condition>
bool WaitFor(Condition condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return condition();
}

// The window's picture with the register panel in front, as start-up leaves it.
QImage RegisterPanelShot(QWidget* window, screen::StartupControls* c)
{
    *c = screen::BuildStartupLayout(window);
    c->Pict[0]->hide();
    c->Pict[2]->hide();
    window->show();
    if (!WaitFor([&] { return window->isVisible(); }))
        return {};
    return window->grab().toImage();
}

}  // namespace

TEST(ScaledWindow, EveryRuleOfTheRegisterPanelShows)
{
    QWidget window;
    screen::StartupControls c;
    const QImage shot = RegisterPanelShot(&window, &c);
    ASSERT_FALSE(shot.isNull());
    const QStringList missing = testing_support::RulesNotShown(shot, shot.devicePixelRatio(), c);
    EXPECT_TRUE(missing.isEmpty()) << "scale " << shot.devicePixelRatio() << ", not drawn: "
                                   << missing.join(QStringLiteral(", ")).toStdString();
}

// The check the Windows trial makes of the window's picture from the X
// display, made here of Qt's picture: the window at this factor passes it, and
// the same picture cut short by a strip, or taken as if at another factor,
// does not.
TEST(ScaledWindow, TheTrialsCheckPassesTheWholeWindowAndRefusesItCutOrUnscaled)
{
    QWidget window;
    screen::StartupControls c;
    const QImage shot = RegisterPanelShot(&window, &c);
    ASSERT_FALSE(shot.isNull());
    const double factor = shot.devicePixelRatio();
    const QStringList problems = testing_support::WindowShotProblems(shot, factor);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(QStringLiteral("; ")).toStdString();

    const QImage cut = shot.copy(0, 0, shot.width() - int(40 * factor), shot.height());
    EXPECT_FALSE(testing_support::WindowShotProblems(cut, factor).isEmpty());
    EXPECT_FALSE(testing_support::WindowShotProblems(shot, factor + 0.25).isEmpty());
}

TEST(ScaledWindow, TheKeyCardFitsTheScreenAndNeverScrollsSideways)
{
    screen::HelpWindow help(nullptr, [](const QString&) {});
    shell::Session session;
    session.IniFile = QStringLiteral("/home/operatore/una/cartella/molto/lunga/per/il/file/Morvanex.ini");
    session.CompanyCode = QStringLiteral("DEMO");
    help.showFor(session);
    ASSERT_TRUE(WaitFor([&] { return help.isVisible(); }));
    auto* view = help.findChild<QPlainTextEdit*>();
    ASSERT_TRUE(view);
    const QRect available = help.screen()->availableGeometry();
    EXPECT_LE(help.frameGeometry().width(), available.width());
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
}
