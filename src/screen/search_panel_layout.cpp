// The search panel Pict(0): the title, the code and description filters with
// their labels (sharing one place), the two buttons, the column headings and
// the result list.
#include "screen/startup_layout.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace screen::layout {

namespace {

// Narrowest condensing applied to a heading that would not fit its width.
constexpr int MinStretch = 85;

// The column headings are laid out in their width with runs of blanks.
// Liberation Sans is slightly wider than the face they were measured in, so
// a heading that would be cut is condensed just enough to show whole.
void FitCaption(QLabel* label)
{
    QFont font = label->font();
    const int width = label->width();
    for (int stretch = 99; stretch >= MinStretch; --stretch) {
        if (QFontMetrics(font).horizontalAdvance(label->text()) <= width)
            break;
        font.setStretch(stretch);
    }
    label->setFont(font);
}

}  // namespace

void BuildSearchPanel(StartupControls& c)
{
    QWidget* panel = c.Pict[0];

    c.IETab = MakeLabel(panel, QStringLiteral("IETab"), QStringLiteral("Registri per Proc. Sempl."),
                        1215, 90, FixedFont(12, true), 3750);
    Place(c.IETab, 1215, 90, 3750, 270);

    c.Lcod = MakeLabel(panel, QStringLiteral("Lcod"), QStringLiteral("Codice"), 540, 585,
                       SansFont(8.25, true));
    c.Ldesc = MakeLabel(panel, QStringLiteral("Ldesc"), QStringLiteral("Descrizione"), 120, 585,
                        SansFont(8.25, true));
    c.CodTab = MakeField(panel, QStringLiteral("CodTab"), 1170, 495, 1365, 360, 10,
                         Qt::AlignLeft, FixedFont(9.75));
    c.DescTab = MakeField(panel, QStringLiteral("DescTab"), 1170, 495, 3750, 360, 30,
                          Qt::AlignLeft, FixedFont(9.75));

    c.cmd_r[0] = MakeButton(panel, QStringLiteral("cmd_r(0)"), QStringLiteral("&CONFERMA"), 5895,
                            360, 1500, 375);
    c.cmd_r[1] = MakeButton(panel, QStringLiteral("cmd_r(1)"), QStringLiteral("&USCITA"), 7380,
                            360, 1500, 375);

    c.Label3 = MakeLabel(panel, QStringLiteral("Label3"),
                         QStringLiteral("ARRIVI       |       CUSTODIA      |     DEPOSITO"), 5445,
                         990, SansFont(8.25), 4425);
    c.Label2 = MakeLabel(panel, QStringLiteral("Label2"),
                         QStringLiteral("SR          CRON.  |  SR          CRON.   |   SR         "
                                        "CRON.      CARICO   SCARICO    MAG."),
                         5025, 1170, SansFont(8.25), 6405);
    FitCaption(c.Label3);
    FitCaption(c.Label2);

    auto* list = new QListView(panel);
    list->setObjectName(QStringLiteral("Lista"));
    list->setFont(FixedFont(9.75));
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    Place(list, 0, 1395, 11580, 7020);
    c.Lista = list;
}

}  // namespace screen::layout
