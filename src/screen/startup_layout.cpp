// The window Startup as designed: its size, colour and caption, the three
// panels stacked on it, every control of the panels, and the tab order.
#include "screen/startup_layout.h"

#include "store/record/register_fields.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFont>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QWidget>

namespace screen {

namespace {

const QString DesignCaption = QStringLiteral("GESTIONE TABELLE PER PROCEDURE SEMPLIFICATE IMPORT");

// `fieldFont`: the face of most of the panel's fields, which they take from it.
QWidget* MakePanel(QWidget* window, int index, int left, int top, int width, int height,
                   const QFont& fieldFont)
{
    auto* panel = new QWidget(window);
    panel->setObjectName(QStringLiteral("Pict(%1)").arg(index));
    panel->setFont(fieldFont);
    layout::FillBackground(panel, WindowColour);
    layout::Place(panel, left, top, width, height);
    return panel;
}

// The order Tab moves in. Txt(61) stands last, after the buttons and the lists:
// Tab from Txt(60) goes on to Txt(62), while Up, Down and Enter, which move by
// field index, still reach Txt(61) in its place.
std::vector<QWidget*> TabOrder(const StartupControls& c)
{
    namespace Field = store::Field;
    const int lastWorkSerie = Field::WorkSerie(2, Field::WorkPositions - 1);  // Txt(60)
    std::vector<QWidget*> order{c.DicKod, c.Txt[Field::Description]};
    for (int i = Field::RegisterBase[0]; i <= lastWorkSerie; ++i)
        order.push_back(c.Txt[i]);
    for (int i = Field::Riga(2); i <= Field::SiglUD; ++i)
        order.push_back(c.Txt[i]);
    for (int i = 0; i < 3; ++i) {
        order.push_back(c.lbData[i]);
        order.push_back(c.Combo1[i]);
    }
    for (int i = Field::MeccanogNum; i <= Field::Last; ++i)  // and any field added after them
        order.push_back(c.Txt[i]);
    for (int i : {CmdD::Conferma, CmdD::Annulla, CmdD::Elimina, CmdD::Testate, CmdD::Uscita})
        order.push_back(c.cmdD[i]);
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        order.push_back(c.Txt[i]);
    order.push_back(c.cmdD[CmdD::ConfermaTestata]);
    order.push_back(c.cmdD[CmdD::AnnullaTestata]);
    order.insert(order.end(), {c.CodTab, c.DescTab, c.cmd_r[0], c.cmd_r[1], c.Lista});
    order.push_back(c.List1);
    order.push_back(c.Txt[lastWorkSerie + 1]);
    std::erase(order, nullptr);  // the controls of a panel not made yet
    return order;
}

void SetTabOrder(StartupControls& c)
{
    c.tabOrder = TabOrder(c);
    for (std::size_t i = 1; i < c.tabOrder.size(); ++i)
        QWidget::setTabOrder(c.tabOrder[i - 1], c.tabOrder[i]);
}

}  // namespace

StartupControls BuildStartupLayout(QWidget* window)
{
    // Every control index comes from the register-field table: a table that
    // would put a field outside Txt or over another control stops the program
    // here, saying which field, before any control is made.
    if (const QString problem = store::FieldTableProblem(store::RegisterFields()); !problem.isEmpty())
        qFatal("Tabella dei campi dei registri: %s", qPrintable(problem));
    StartupControls c;
    c.window = window;
    window->setWindowTitle(DesignCaption);
    layout::FillBackground(window, WindowColour);
    window->setFixedSize(Twips(WindowWidthTwips), Twips(WindowHeightTwips));

    // Created bottom to top: the header and search panels lie over the
    // register panel whenever they are shown.
    c.Pict[1] = MakePanel(window, 1, 0, 0, 11670, 8475, layout::FixedFont(11.25));
    c.Pict[2] = MakePanel(window, 2, 45, 990, 11670, 7530, layout::FixedFont(8.25));
    c.Pict[0] = MakePanel(window, 0, 0, 45, 11625, 8430, layout::FixedFont(9.75));
    c.Pict[2]->raise();
    c.Pict[0]->raise();

    layout::BuildRegisterPanel(c);
    layout::BuildHeaderPanel(c);
    layout::BuildLabels(c);
    // Every text field of the table has its control and, when added after the
    // designed ones, its caption: a row without its layout line stops here.
    for (const store::RegisterFieldRow& row : store::RegisterFields())
        if (row.control == store::FieldControl::Text && !c.Txt[std::size_t(row.index)])
            qFatal("Il campo \"%s\" (Txt(%d)) non ha il suo controllo sulla finestra", qPrintable(row.name),
                   row.index);
    for (std::size_t i = 0; i < c.Label4.size(); ++i)
        if (!c.Label4[i])
            qFatal("La didascalia Label4(%d) di un campo aggiunto manca sulla finestra", int(i));
    layout::MakeHistoryPanel(c);  // created last: it lies over every other panel
    layout::NameControls(c);
    SetTabOrder(c);
    return c;
}

void BuildHiddenPanels(StartupControls& c)
{
    layout::BuildSearchPanel(c);
    layout::BuildHistoryPanel(c);
    layout::NameControls(c);
    SetTabOrder(c);
}

}  // namespace screen
