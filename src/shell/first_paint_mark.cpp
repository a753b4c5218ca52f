// The first paint's mark, watched from the application object.
#include "shell/first_paint_mark.h"

#include "shell/startup_marks.h"

#include <QCoreApplication>
#include <QEvent>

namespace shell {

FirstPaintMark::FirstPaintMark()
{
    if (StartupMarksOn() && QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

bool FirstPaintMark::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        MarkStartup("paint");
        QCoreApplication::instance()->removeEventFilter(this);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace shell
