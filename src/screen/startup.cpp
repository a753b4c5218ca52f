// The window Startup: creates its controls and its runtime, and connects each
// control's events to the handler that bears its name.
#include "screen/startup.h"

#include "lookups/search_list_model.h"
#include "screen/history_list_model.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>

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

Startup::Startup()
{
    auto* window = new StartupWindow;
    window_ = window;
    c = BuildStartupLayout(window);
    runtime_ = std::make_unique<FormRuntime>(window, ProgramTitle);
    runtime_->setTabOrder(c.tabOrder);

    searchModel_ = new lookups::SearchListModel(this);
    c.Lista->setModel(searchModel_);
    docTypeModel_ = new QStringListModel(this);
    c.List1->setModel(docTypeModel_);
    historyModel_ = new HistoryListModel(this);
    c.ListaStorico->setModel(historyModel_);

    window->onClose = [this] {
        if (!ended_)
            Form_Unload();
    };
    wireEvents();
}

Startup::~Startup()
{
    runtime_.reset();
    delete window_;
}

void Startup::wireEvents()
{
    FormRuntime& rt = *runtime_;
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
    for (int i = 0; i <= 6; ++i) {
        rt.onClick(c.cmdD[i], [this, i] { cmdD_Click(i); });
        rt.onMouseDown(c.cmdD[i], [this, i] { cmdD_MouseDown(i); });
    }

    rt.onGotFocus(c.CodTab, [this] { CodTab_GotFocus(); });
    rt.onChange(c.CodTab, [this] { CodTab_Change(); });
    rt.onLostFocus(c.CodTab, [this] { CodTab_LostFocus(); });
    rt.onGotFocus(c.DescTab, [this] { DescTab_GotFocus(); });
    rt.onChange(c.DescTab, [this] { DescTab_Change(); });
    rt.onLostFocus(c.DescTab, [this] { DescTab_LostFocus(); });
    rt.onGotFocus(c.Lista, [this] { Lista_GotFocus(); });
    rt.onDblClick(c.Lista, [this] { Lista_DblClick(); });
    rt.onLostFocus(c.Lista, [this] { Lista_LostFocus(); });
    rt.onMouseDown(c.Lista, [this] { Lista_MouseDown(); });
    for (int i = 0; i <= 1; ++i) {
        rt.onClick(c.cmd_r[i], [this, i] { cmd_r_Click(i); });
        rt.onMouseDown(c.cmd_r[i], [this, i] { cmd_r_MouseDown(i); });
    }

    rt.onDblClick(c.List1, [this] { List1_DblClick(); });
    rt.onClick(c.cmdStorico, [this] { cmdStorico_Click(); });
    rt.onLostFocus(c.List1, [this] { List1_LostFocus(); });
}

void Startup::Show()
{
    window_->show();
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
