// The window Startup read back from a picture of it: which rules of the
// register panel show, and whether a picture taken at a scale factor shows the
// whole window grown by that factor. The scaled-window tests read Qt's own
// picture of the window; the Windows trial reads the X display's.
#pragma once

#include "screen/startup_layout.h"

#include <QImage>
#include <QStringList>

namespace testing_support {

// The rules of the register panel (Line1 and Line2) that do not show in
// `shot`, a picture of the client area of `c.window` with the register panel
// in front, `ratio` device pixels to a pixel; by name.
QStringList RulesNotShown(const QImage& shot, double ratio, const screen::StartupControls& c);

// What is wrong with `shot` as a picture of the window Startup just started
// at the scale factor `factor`: its size is not the window's grown by the
// factor, a corner of the window is not painted in the window's colour (cut
// off, or off the screen) or a rule of the register panel does not show. The
// window's layout is built here, unscaled, to know where each rule lies.
// Empty when nothing is wrong.
QStringList WindowShotProblems(const QImage& shot, double factor);

}  // namespace testing_support
