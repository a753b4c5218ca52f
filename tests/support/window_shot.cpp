// Reading the window Startup back from a picture of it: its rules, its size
// and its corners.
#include "support/window_shot.h"

#include <QFrame>
#include <QWidget>

#include <cmath>
#include <cstdlib>

namespace testing_support {

namespace {

// Whether `rule` shows in `shot` (a picture of `window`): a row (or a column)
// of device pixels within its place that is dark along nearly all its length.
bool Shows(const QImage& shot, double ratio, const QWidget& window, const QFrame& rule)
{
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

// The window's green within a few steps of each primary: a picture read from
// the X display may round the colour.
bool IsWindowColour(QRgb pixel)
{
    const QColor& green = screen::WindowColour;
    return std::abs(qRed(pixel) - green.red()) <= 8 && std::abs(qGreen(pixel) - green.green()) <= 8
        && std::abs(qBlue(pixel) - green.blue()) <= 8;
}

}  // namespace

QStringList RulesNotShown(const QImage& shot, double ratio, const screen::StartupControls& c)
{
    QStringList missing;
    for (const QFrame* rule : {c.Line1[0], c.Line1[1], c.Line1[2], c.Line1[3], c.Line2[0], c.Line2[1]}) {
        if (!Shows(shot, ratio, *c.window, *rule))
            missing << rule->objectName();
    }
    return missing;
}

QStringList WindowShotProblems(const QImage& shot, double factor)
{
    QWidget window;
    const screen::StartupControls c = screen::BuildStartupLayout(&window);
    QStringList problems;
    // Qt rounds the window's place and size to device pixels each on its own:
    // a device pixel either way is the factor's rounding, no more.
    const QSize expected(int(std::lround(window.width() * factor)), int(std::lround(window.height() * factor)));
    if (std::abs(shot.width() - expected.width()) > 2 || std::abs(shot.height() - expected.height()) > 2)
        problems << QStringLiteral("la finestra misura %1x%2 pixel invece di %3x%4 (%5x%6 per %7)")
                        .arg(shot.width()).arg(shot.height()).arg(expected.width()).arg(expected.height())
                        .arg(window.width()).arg(window.height()).arg(factor);
    // Each corner a few device pixels in, where no control lies: the window's
    // own green, not the black of a part off the screen or not yet painted.
    const int in = int(std::ceil(3 * factor));
    const int right = expected.width() - 1 - in;
    const int bottom = expected.height() - 1 - in;
    for (const QPoint corner : {QPoint(in, in), QPoint(right, in), QPoint(in, bottom), QPoint(right, bottom)}) {
        if (!shot.valid(corner) || !IsWindowColour(shot.pixel(corner)))
            problems << QStringLiteral("l'angolo (%1, %2) non ha il verde della finestra").arg(corner.x()).arg(corner.y());
    }
    const QStringList missing = RulesNotShown(shot, factor, c);
    if (!missing.isEmpty())
        problems << QStringLiteral("righe non disegnate: %1").arg(missing.join(QStringLiteral(", ")));
    return problems;
}

}  // namespace testing_support
