// The window Startup: creates its controls and its runtime, and connects each
// control's events to the handler that bears its name.
#include "screen/startup.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace screen {

namespace {

// The program's own title, used by boxes that give none.
const QString ProgramTitle = QStringLiteral("Quenvol");

// The window itself: closing it by its own close control unloads it.
class StartupWindow : public QWidget {
public:
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (onClose)
            onClose();
        event->accept();
    }
};

}  // namespace

std::function<void(int)> Startup::EndProcess = [](int code) {
    std::fflush(nullptr);
    std::_Exit(code);
};

Startup::Startup(CompanyAhead* companyAhead) : companyAhead_(companyAhead)
{
    auto* window = new StartupWindow;
    window_ = window;
    c = BuildStartupLayout(window);
    runtime_ = std::make_unique<runtime::FormRuntime>(window, ProgramTitle);
    runtime_->setTabOrder(c.tabOrder);

    lookups::ListWindow& self = *this;
    docTypeList_ = std::make_unique<lookups::DocTypeList>(c.List1, c.Txt, window, *runtime_, company, self);
    lookups::PanelWindow& panelWindow = *this;
    headerPanel_ = std::make_unique<HeaderPanel>(HeaderPanelControls{c.Pict[2], c.Pict[1], c.Txt}, *runtime_,
                                                 Set, panelWindow);

    window->onClose = [this] {
        if (!ended_)
            Form_Unload();
    };
    wireEvents();
}

Startup::~Startup()
{
    searchPanel_.reset();
    historyPanel_.reset();
    headerPanel_.reset();
    docTypeList_.reset();
    runtime_.reset();
    delete window_;
}

void Startup::wireEvents()
{
    runtime::FormRuntime& rt = *runtime_;
    rt.keyDown = [this](int& KeyCode, int Shift) { Form_KeyDown(KeyCode, Shift); };
    rt.keyPress = [this](int& KeyAscii) { Form_KeyPress(KeyAscii); };

    for (int i = store::Field::First; i <= store::Field::Last; ++i) {
        rt.onGotFocus(c.Txt[i], [this, i] { Txt_GotFocus(i); });
        rt.onLostFocus(c.Txt[i], [this, i] { Txt_LostFocus(i); });
        rt.onDblClick(c.Txt[i], [this, i] { Txt_DblClick(i); });
    }
    rt.onGotFocus(c.DicKod, [this] { DicKod_GotFocus(); });
    rt.onLostFocus(c.DicKod, [this] { DicKod_LostFocus(); });
    rt.onDblClick(c.DicKod, [this] { DicKod_DblClick(); });
    for (int i = 0; i < CmdD::Count; ++i) {
        rt.onClick(c.cmdD[i], [this, i] { cmdD_Click(i); });
        rt.onMouseDown(c.cmdD[i], [this, i] { cmdD_MouseDown(i); });
    }

    docTypeList_->wireEvents();
}

void Startup::buildHiddenPanels()
{
    if (searchPanel_)
        return;
    BuildHiddenPanels(c);
    runtime_->setTabOrder(c.tabOrder);

    lookups::SearchPanelControls search;
    search.panel = c.Pict[0];
    search.registerPanel = c.Pict[1];
    search.CodTab = c.CodTab;
    search.DescTab = c.DescTab;
    search.Lcod = c.Lcod;
    search.Ldesc = c.Ldesc;
    search.IETab = c.IETab;
    search.Lista = c.Lista;
    search.cmd_r = c.cmd_r;
    lookups::ListWindow& self = *this;
    searchPanel_ = std::make_unique<lookups::SearchPanel>(search, *runtime_, company, self);
    searchPanel_->wireEvents();
    lookups::HistoryPanelControls history;
    history.panel = c.PictStorico;
    history.registerPanel = c.Pict[1];
    history.DicKod = c.DicKod;
    history.description = c.Txt[store::Field::Description];
    history.IEStorico = c.IEStorico;
    history.ListaStorico = c.ListaStorico;
    history.cmdStorico = c.cmdStorico;
    lookups::PanelWindow& panelWindow = *this;
    historyPanel_ = std::make_unique<lookups::HistoryPanel>(history, *runtime_, company, Set, panelWindow);
    historyPanel_->wireEvents();
}

lookups::HistoryPanel& Startup::historyPanel()
{
    buildHiddenPanels();
    return *historyPanel_;
}

lookups::SearchPanel& Startup::searchPanel()
{
    buildHiddenPanels();
    return *searchPanel_;
}

void Startup::Show()
{
    window_->show();
    // The hidden panels are made at the event loop's first turn, once the
    // window is on the screen; whatever asks for one earlier makes it then.
    QTimer::singleShot(0, this, [this] { buildHiddenPanels(); });
    window_->raise();
    window_->activateWindow();
    QApplication::setActiveWindow(window_);
    Form_Activate();
    if (ended_)
        return;
    // The first control of the tab order that can take it gets the focus.
    for (QWidget* control : c.tabOrder)
        if (runtime_->SetFocus(control))
            break;
}

void Startup::Unload()
{
    if (ended_)
        return;
    Form_Unload();
    if (!ended_)
        return;
    window_->hide();
}

void Startup::endProcess(int code)
{
    ended_ = true;
    EndProcess(code);
}

void Startup::SelectAllText(QLineEdit* control)
{
    // Selection start 0, length 160: the whole text of the longest field.
    control->setSelection(0, 160);
}

}  // namespace screen
