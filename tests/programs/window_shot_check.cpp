// Trial helper for Windows (run on Linux by tools/windows.sh): checks a
// picture of the window Startup that the program drew at a scale factor, as
// the scaled-window tests check Qt's own picture of it.
// Usage: window_shot_check PICTURE FACTOR   exits 0 when the picture is the
// whole window grown by FACTOR with every rule of the register panel drawn;
// otherwise 1, printing what is wrong.
#include "support/window_shot.h"

#include <QApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    // The layout is measured unscaled and off any display: where each rule
    // lies in the window's own pixels.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_SCALE_FACTOR");
    QApplication app(argc, argv);
    bool isNumber = false;
    const double factor = argc == 3 ? QString::fromLocal8Bit(argv[2]).toDouble(&isNumber) : 0;
    if (!isNumber || factor < 1) {
        std::fprintf(stderr, "uso: window_shot_check IMMAGINE FATTORE (1, 1.25, 2...)\n");
        return 2;
    }
    const QImage shot(QString::fromLocal8Bit(argv[1]));
    if (shot.isNull()) {
        std::fprintf(stderr, "window_shot_check: %s non è un'immagine leggibile\n", argv[1]);
        return 2;
    }
    const QStringList problems = testing_support::WindowShotProblems(shot, factor);
    for (const QString& problem : problems)
        std::printf("%s\n", qPrintable(problem));
    if (problems.isEmpty())
        std::printf("finestra intera a %gx: %dx%d pixel, ogni riga disegnata\n", factor, shot.width(), shot.height());
    return problems.isEmpty() ? 0 : 1;
}
