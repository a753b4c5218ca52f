// The window's faces loaded before anything is drawn: a face asked for but
// not known to the system falls back to whatever the system offers (under
// Windows a bitmap face that drops letters at small sizes, or a serif one).
#include "screen/window_faces.h"

#include "paper/paper_fonts.h"

#include <QApplication>
#include <QFont>

namespace screen {

void UseWindowFaces()
{
    if (!paper::LoadLiberationFonts().isEmpty())
        return;
    QFont font = QApplication::font();
    font.setFamily(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
}

}  // namespace screen
