// The window at the scale factor QT_SCALE_FACTOR sets (ctest runs this
// program once at each of 1, 1.25, 1.5, 1.75 and 2): every rule of the
// register panel shows in a picture of the window, and the key card of F1
// fits the screen without scrolling sideways.
#include "screen/help_window.h"
#include "screen/startup_layout.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Whether `rule` shows in `shot` (a picture of `window`): a row (or a column)
// of device pixels within its place that is dark along nearly all its length.
bool Shows(const QImage& shot, const QWidget& window, const QFrame& rule)
{
    const double ratio = shot.devicePixelRatio();
    const QRect place(rule.mapTo(&window, QPoint(0, 0)), rule.size());
    const bool across = place.width() > place.height();
    // Along the rule, its ends kept out (a field may touch them); across it,
    // a device pixel either side.
    const int alongFirst = int(std::ceil((across ? place.left() : place.top()) * ratio)) + 2;
    const int alongLast = int(std::floor((across ? place.right() + 1 : place.bottom() + 1) * ratio)) - 3;
    const int crossFirst = int(std::floor((across ? place.top() : place.left()) * ratio)) - 1;
    const int crossLast = int(std::ceil((across ? place.bottom() + 1 : place.right() + 1) * ratio)) + 1;
    for (int cross = crossFirst; cross <= crossLast; ++cross) {
        int dark = 0;
        for (int along = alongFirst; along <= alongLast; ++along) {
            const QPoint at = across ? QPoint(along, cross) : QPoint(cross, along);
            if (shot.valid(at) && qGray(shot.pixel(at)) < 64)
                ++dark;
        }
        if (dark >= (alongLast - alongFirst + 1) * 9 / 10)
            return true;
    }
    return false;
}

template <typename Condition>
bool WaitFor(Condition condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return condition();
}

}  // namespace

TEST(ScaledWindow, EveryRuleOfTheRegisterPanelShows)
{
    QWidget window;
    const screen::StartupControls c = screen::BuildStartupLayout(&window);
    // The register panel in front, as start-up leaves it.
    c.Pict[0]->hide();
    c.Pict[2]->hide();
    window.show();
    ASSERT_TRUE(WaitFor([&] { return window.isVisible(); }));
    const QImage shot = window.grab().toImage();
    int shown = 0;
    QStringList missing;
    for (const QFrame* rule : {c.Line1[0], c.Line1[1], c.Line1[2], c.Line1[3], c.Line2[0], c.Line2[1]}) {
        if (Shows(shot, window, *rule))
            ++shown;
        else
            missing << rule->objectName();
    }
    EXPECT_EQ(shown, 6) << "scale " << shot.devicePixelRatio() << ", not drawn: "
                        << missing.join(QStringLiteral(", ")).toStdString();
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
