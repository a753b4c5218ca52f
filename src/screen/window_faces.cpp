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
    // Smoothed, as the window's own faces: the boxes' and F1's texts drawn
    // unsmoothed by Windows' GDI lose the capital I's one-pixel stem.
    font.setStyleStrategy(QFont::PreferAntialias);
    QApplication::setFont(font);
}

}  // namespace screen
