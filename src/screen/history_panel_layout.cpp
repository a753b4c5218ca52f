// The history panel: the read-only list of the confirmed changes of one
// register set, laid over the whole window like the search panel, with its
// title and its exit button; and the quiet note on the register panel that
// tells a company without history.
#include "screen/startup_layout.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>

namespace screen::layout {

void MakeHistoryPanel(StartupControls& c)
{
    auto* panel = new QWidget(c.window);
    panel->setObjectName(QStringLiteral("PictStorico"));
    FillBackground(panel, WindowColour);
    Place(panel, 0, 45, 11625, 8430);
    panel->hide();
    panel->setEnabled(false);
    c.PictStorico = panel;

    // Beside the description, under the version box: shown only where the
    // company keeps no history.
    c.lbStorico = MakeLabel(c.Pict[1], QStringLiteral("lbStorico"), QStringLiteral("storico modifiche non attivo"),
                            9000, 560, SansFont(8.25), 2500, Qt::AlignCenter);
    QPalette note = c.lbStorico->palette();
    note.setColor(QPalette::WindowText, QColor(96, 96, 96));
    c.lbStorico->setPalette(note);
    c.lbStorico->hide();
}

void BuildHistoryPanel(StartupControls& c)
{
    QWidget* panel = c.PictStorico;
    c.IEStorico = MakeLabel(panel, QStringLiteral("IEStorico"), QStringLiteral("Storico modifiche"), 120, 150,
                            FixedFont(12, true), 9000);
    c.cmdStorico = MakeButton(panel, QStringLiteral("cmdStorico"), QStringLiteral("&CHIUDI"), 9990, 90, 1500, 375);

    auto* list = new QListView(panel);
    list->setObjectName(QStringLiteral("ListaStorico"));
    list->setFont(FixedFont(8.25));
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    Place(list, 0, 600, 11580, 7800);
    c.ListaStorico = list;
}

}  // namespace screen::layout
