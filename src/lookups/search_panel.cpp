// The register search panel: opening and closing it, refilling its list at
// every keystroke, the two filters that take turns, and the picked code.
#include "lookups/search_panel.h"

#include "lookups/search_list_model.h"
#include "lookups/selected_line.h"
#include "store/schema/table_description.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>

#include <functional>

namespace lookups {

namespace {

// A fill reads this many rows at once, more than the list shows, and the rest
// in steps of StepRows while the operator goes on typing; a step costs a few
// milliseconds, so no key waits behind it for long.
constexpr int FirstRows = 250;
constexpr int StepRows = 1000;

// Before a key, a click or the wheel reaches the list, the rest of the fill is
// read: End, Page Down and the scroll bar then reach the real last line.
class ReadBeforeInput : public QObject {
public:
    explicit ReadBeforeInput(std::function<void()> readAll) : readAll_(std::move(readAll)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            readAll_();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> readAll_;
};

}  // namespace

SearchPanel::SearchPanel(const SearchPanelControls& controls, runtime::FormRuntime& runtime,
                         store::CompanyDatabase& company, ListWindow& window)
    : c(controls), runtime_(runtime), company_(company), window_(window),
      model_(new SearchListModel(controls.Lista))
{
    c.Lista->setModel(model_);
    readTimer_.setInterval(0);
    QObject::connect(&readTimer_, &QTimer::timeout, [this] { readMore(StepRows); });
    readBeforeInput_ = std::make_unique<ReadBeforeInput>([this] { readMore(-1); });
    for (QObject* watched : {static_cast<QObject*>(c.Lista), static_cast<QObject*>(c.Lista->viewport()),
                             static_cast<QObject*>(c.Lista->verticalScrollBar())})
        watched->installEventFilter(readBeforeInput_.get());
}

SearchPanel::~SearchPanel()
{
    readTimer_.stop();
    model_->stopReading();
}

void SearchPanel::wireEvents()
{
    runtime::FormRuntime& rt = runtime_;
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
}

void SearchPanel::OpenSearchPanel()
{
    window_.setEnterMode(EnterMode::LikeTab);
    window_.clearRegister();
    c.panel->show();
    c.panel->setEnabled(true);
    c.panel->raise();
    c.registerPanel->setEnabled(false);
    c.Lcod->show();
    c.CodTab->show();
    c.Ldesc->hide();
    c.DescTab->hide();
    c.cmd_r[0]->hide();
    c.IETab->setText(QStringLiteral("Registri IMPORT"));
    codeWhenOpened_ = window_.typedCode();
    picked_ = QString();
    runtime_.SetText(c.DescTab, QString());
    runtime_.SetText(c.CodTab, codeWhenOpened_);
    FocusSearchField();
}

void SearchPanel::CloseSearchPanel()
{
    stopReading();
    ListHasFocus = false;
    window_.setEnterMode(EnterMode::DownTheFields);
    c.panel->hide();
    c.panel->setEnabled(false);
    c.registerPanel->setEnabled(true);
    window_.setSkipExitCheck(false);
    // Trimmed like every typed code; the code of a picked line as it is.
    const QString code = c.CodTab->text();
    const bool picked = !picked_.isNull() && code == picked_;
    picked_ = QString();
    window_.lookUpRegister(picked ? code : code.trimmed());
}

void SearchPanel::CancelSearchPanel()
{
    stopReading();
    ListHasFocus = false;
    window_.setEnterMode(2);
    // The filter fields lose the focus on purpose: no switch of filter.
    window_.setSkipExitCheck(true);
    c.registerPanel->setEnabled(true);
    window_.returnToCodeField(codeWhenOpened_);
    c.panel->hide();
    c.panel->setEnabled(false);
    window_.setSkipExitCheck(false);
}

void SearchPanel::FillSearchList(const QString& filter)
{
    // The filter is bound as a prefix pattern, so quotes and "%" are plain
    // text. "*" alone the engine's pattern cannot take literally: the query
    // then asks for what precedes it and the model keeps the rows that begin
    // with the whole filter.
    stopReading();
    const qsizetype star = filter.indexOf(QLatin1Char('*'));
    const QString prefix = star < 0 ? filter : filter.left(star);
    try {
        auto snapshot = company_.database->openSnapshot(
            company_.RegisterTableName,
            store::RegisterTableDescription().columnName(SearchField == SearchBy::Code
                                                             ? store::RegisterColumns::Code
                                                             : store::RegisterColumns::Description),
            prefix + QLatin1Char('*'));
        model_->startRefill(std::move(snapshot), SearchField == SearchBy::Code,
                            star < 0 ? QString() : filter, FirstRows);
        // The action button tells an empty list from a full one: rows passed
        // over for a literal "*" must not hide later ones that match.
        if (model_->rowCount() == 0 && model_->reading())
            model_->readAll();
    } catch (const store::EngineError& error) {
        showFailure(error);
    }
    if (model_->reading())
        readTimer_.start();
    setActionButton();
}

void SearchPanel::readMore(int rows)
{
    if (!model_->reading())
        return;
    try {
        model_->readMore(rows);
    } catch (const store::EngineError& error) {
        readTimer_.stop();
        showFailure(error);
        setActionButton();
    }
    if (!model_->reading())
        readTimer_.stop();
}

void SearchPanel::stopReading()
{
    readTimer_.stop();
    model_->stopReading();
}

void SearchPanel::showFailure(const store::EngineError& error)
{
    model_->clear();
    runtime_.MsgBox(QStringLiteral("ERRORE NELLA RICERCA DEI REGISTRI") + QLatin1Char('\n') +
                        error.description(),
                    store::BoxCode::OkOnly);
}

void SearchPanel::setActionButton()
{
    QPushButton* action = c.cmd_r[0];
    if (model_->rowCount() == 0) {
        if (SearchField == SearchBy::Code && !c.CodTab->text().trimmed().isEmpty()) {
            action->setText(QStringLiteral("&NUOVO"));
            action->show();
        } else {
            action->setText(QString());
            action->hide();
        }
    } else {
        action->setText(QStringLiteral("&X SELEZIONA"));
        action->show();
    }
}

void SearchPanel::FocusSearchField()
{
    if (c.CodTab->isVisible())
        runtime_.SetFocus(c.CodTab);
    if (c.DescTab->isVisible())
        runtime_.SetFocus(c.DescTab);
}

void SearchPanel::filterGotFocus(QLineEdit* field, int mode)
{
    ListHasFocus = false;
    window_.setSkipExitCheck(false);
    window_.selectAllText(field);
    SearchField = mode;
    FillSearchList(field->text());
}

void SearchPanel::filterLostFocus(QLineEdit* field, QLabel* label, QLineEdit* other, QLabel* otherLabel)
{
    if (window_.skipExitCheck() || ListHasFocus || !field->text().trimmed().isEmpty())
        return;
    runtime_.SetText(field, QStringLiteral(" "));
    otherLabel->show();
    other->show();
    label->hide();
    field->hide();
    runtime_.SetFocus(other);
    runtime_.SetText(other, QString());
}

void SearchPanel::CodTab_GotFocus() { filterGotFocus(c.CodTab, SearchBy::Code); }
void SearchPanel::DescTab_GotFocus() { filterGotFocus(c.DescTab, SearchBy::Description); }

void SearchPanel::CodTab_Change()
{
    SearchField = SearchBy::Code;
    FillSearchList(c.CodTab->text());
}

void SearchPanel::DescTab_Change()
{
    SearchField = SearchBy::Description;
    FillSearchList(c.DescTab->text());
}

void SearchPanel::CodTab_LostFocus() { filterLostFocus(c.CodTab, c.Lcod, c.DescTab, c.Ldesc); }
void SearchPanel::DescTab_LostFocus() { filterLostFocus(c.DescTab, c.Ldesc, c.CodTab, c.Lcod); }

void SearchPanel::Lista_GotFocus()
{
    if (c.Lista->model()->rowCount() == 0) {
        FocusSearchField();
        return;
    }
    ListHasFocus = true;
    c.cmd_r[0]->setText(QStringLiteral("&X RICERCA"));
    if (!c.Lista->currentIndex().isValid() || c.Lista->selectionModel()->selectedIndexes().isEmpty())
        c.Lista->setCurrentIndex(c.Lista->model()->index(0, 0));
}

void SearchPanel::Lista_MouseDown()
{
    ListHasFocus = true;
}

void SearchPanel::Lista_LostFocus()
{
    ListHasFocus = false;
}

void SearchPanel::Lista_DblClick()
{
    const QString code = SelectedLine(c.Lista, SearchListModel::CodeRole);
    if (code.isEmpty())
        return;
    c.Ldesc->hide();
    c.DescTab->hide();
    c.Lcod->show();
    c.CodTab->show();
    runtime_.SetText(c.CodTab, code);
    picked_ = code;
    CloseSearchPanel();
}

void SearchPanel::cmd_r_MouseDown(int /*Index*/)
{
    window_.setSkipExitCheck(true);
}

void SearchPanel::cmd_r_Click(int Index)
{
    window_.setSkipExitCheck(true);
    if (Index == 0) {
        if (c.cmd_r[0]->text().startsWith(QLatin1String("&X"))) {
            ListHasFocus = true;
            runtime_.SetFocus(c.Lista);
        } else {
            CloseSearchPanel();
        }
    } else if (Index == 1) {
        stopReading();
        window_.unload();
    }
}

}  // namespace lookups
