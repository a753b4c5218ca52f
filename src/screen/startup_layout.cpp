// The window Startup as designed: its size, colour and caption, the three
// panels stacked on it, every control of the panels, and the tab order.
#include "screen/startup_layout.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QWidget>

namespace screen {

namespace {

const QString DesignCaption = QStringLiteral("GESTIONE TABELLE PER PROCEDURE SEMPLIFICATE IMPORT");

QWidget* MakePanel(QWidget* window, int index, int left, int top, int width, int height)
{
    auto* panel = new QWidget(window);
    panel->setObjectName(QStringLiteral("Pict(%1)").arg(index));
    layout::FillBackground(panel, WindowColour);
    layout::Place(panel, left, top, width, height);
    return panel;
}

// The order Tab moves in. Txt(61) stands last, after the buttons and the lists:
// Tab from Txt(60) goes on to Txt(62), while Up, Down and Enter, which move by
// field index, still reach Txt(61) in its place.
std::vector<QWidget*> TabOrder(const StartupControls& c)
{
    std::vector<QWidget*> order{c.DicKod, c.Txt[1]};
    for (int i = 22; i <= 60; ++i)
        order.push_back(c.Txt[i]);
    for (int i = 62; i <= 69; ++i)
        order.push_back(c.Txt[i]);
    for (int i = 0; i < 3; ++i) {
        order.push_back(c.lbData[i]);
        order.push_back(c.Combo1[i]);
    }
    order.push_back(c.Txt[70]);
    order.push_back(c.Txt[71]);
    for (int i : {1, 3, 0, 4, 2})
        order.push_back(c.cmdD[i]);
    for (int i = 2; i <= 21; ++i)
        order.push_back(c.Txt[i]);
    order.push_back(c.cmdD[5]);
    order.push_back(c.cmdD[6]);
    order.insert(order.end(), {c.CodTab, c.DescTab, c.cmd_r[0], c.cmd_r[1], c.Lista});
    order.push_back(c.List1);
    order.push_back(c.Txt[61]);
    return order;
}

}  // namespace

StartupControls BuildStartupLayout(QWidget* window)
{
    StartupControls c;
    c.window = window;
    window->setWindowTitle(DesignCaption);
    layout::FillBackground(window, WindowColour);
    window->setFixedSize(Twips(WindowWidthTwips), Twips(WindowHeightTwips));

    // Created bottom to top: the header and search panels lie over the
    // register panel whenever they are shown.
    c.Pict[1] = MakePanel(window, 1, 0, 0, 11670, 8475);
    c.Pict[2] = MakePanel(window, 2, 45, 990, 11670, 7530);
    c.Pict[0] = MakePanel(window, 0, 0, 45, 11625, 8430);
    c.Pict[2]->raise();
    c.Pict[0]->raise();

    layout::BuildRegisterPanel(c);
    layout::BuildHeaderPanel(c);
    layout::BuildSearchPanel(c);
    layout::BuildLabels(c);

    c.tabOrder = TabOrder(c);
    for (std::size_t i = 1; i < c.tabOrder.size(); ++i)
        QWidget::setTabOrder(c.tabOrder[i - 1], c.tabOrder[i]);
    return c;
}

QColor BackColor(const QLineEdit* field)
{
    return field->palette().color(QPalette::Active, QPalette::Base);
}

}  // namespace screen
