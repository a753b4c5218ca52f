// Pictures of the window Startup as BuildStartupLayout leaves it, one with each
// panel in front (layout_register.png, layout_header.png, layout_search.png),
// with sample texts at full length to show how the fields fill; for a look
// beside the layout tables. Runs on Qt's offscreen platform unless another is
// asked for; prints the files it wrote. It measures and asserts nothing.
// Usage: layout_screenshots [FOLDER]   (the current folder by default)
#include "screen/startup_layout.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStringListModel>
#include <QWidget>

#include <cstdio>

namespace {

void FillWithSamples(const screen::StartupControls& c)
{
    c.DicKod->setText("REG0000001");
    c.Txt[1]->setText(QString(30, QLatin1Char('D')));
    for (int first : {22, 36, 50}) {
        c.Txt[first]->setText("AB");
        c.Txt[first + 1]->setText("999999");
        for (int k = 1; k <= 5; ++k) {
            c.Txt[first + 2 * k]->setText("T" + QString::number(k) + "X");
            c.Txt[first + 2 * k + 1]->setText("123456");
        }
        c.Txt[first + 12]->setText("12");
        c.Txt[first + 13]->setText("9.999.999.999,99");
    }
    for (int i : {64, 65, 66, 70})
        c.Txt[i]->setText("654321");
    for (int i : {67, 71})
        c.Txt[i]->setText("K");
    c.Txt[68]->setText("IM4");
    c.Txt[69]->setText("IM7");
    for (int i = 2; i <= 21; ++i)
        c.Txt[i]->setText(QStringLiteral("Riga di testata %1 ").arg(i).repeated(6));
    c.lbVer->setText("Vers. 1.0.0");
    for (QComboBox* combo : c.Combo1) {
        for (int month = 1; month <= 12; ++month)
            combo->addItem(QStringLiteral("%1").arg(month, 2));
        combo->setCurrentIndex(11);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());

    QWidget window;
    screen::StartupControls c = screen::BuildStartupLayout(&window);
    screen::BuildHiddenPanels(c);  // the search panel is pictured too
    FillWithSamples(c);
    // The state start-up leaves: only the register panel in use, List1 hidden.
    for (int i : {0, 2}) {
        c.Pict[i]->setVisible(false);
        c.Pict[i]->setEnabled(false);
    }
    c.List1->setVisible(false);
    window.show();

    bool failed = false;
    auto save = [&](const char* name) {
        QApplication::processEvents();
        const QString path = folder.filePath(QString::fromLatin1(name));
        if (window.grab().toImage().save(path)) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "layout_screenshots: cannot write %s\n", qPrintable(path));
            failed = true;
        }
    };
    save("layout_register.png");

    // Each panel in front as the routines show it: visible, enabled, raised,
    // with the register panel behind it disabled.
    auto inFront = [&](int index) {
        c.Pict[1]->setEnabled(false);
        c.Pict[index]->setVisible(true);
        c.Pict[index]->setEnabled(true);
        c.Pict[index]->raise();
    };
    inFront(2);
    save("layout_header.png");
    c.Pict[2]->setVisible(false);

    inFront(0);
    c.DescTab->setVisible(false);
    c.Ldesc->setVisible(false);
    c.CodTab->setText("REG");
    // Lines in the list's fixed columns, to judge the headings above them.
    QStringList lines;
    for (int n = 1; n <= 3; ++n) {
        lines << QStringLiteral("REG000000%1 %2 AB   123456  CD   12345  EF   1234567 123456  12345 "
                                "12345K")
                     .arg(n)
                     .arg(QStringLiteral("Registro di prova numero %1").arg(n), -29);
    }
    c.Lista->setModel(new QStringListModel(lines, &window));
    save("layout_search.png");
    return failed ? 1 : 0;
}
