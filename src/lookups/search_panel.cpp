// The register search panel: lists the register sets whose code or
// description begins with the filter text, refilled at every keystroke, and
// hands the picked or new code to the lookup.
#include "screen/startup.h"

#include "lookups/search_list_model.h"
#include "store/table_description.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace screen {

namespace {

// Where the code stands in a line of description mode (column 31).
constexpr int CodeColumnInDescriptionMode = 30;
constexpr int CodeWidth = 10;

}  // namespace

void Startup::OpenSearchPanel()
{
    EnterMode = 1;
    ClearRegister();
    c.Pict[0]->show();
    c.Pict[0]->setEnabled(true);
    c.Pict[0]->raise();
    c.Pict[1]->setEnabled(false);
    c.Lcod->show();
    c.CodTab->show();
    c.Ldesc->hide();
    c.DescTab->hide();
    c.cmd_r[0]->hide();
    c.IETab->setText(QStringLiteral("Registri IMPORT"));
    runtime_->SetText(c.DescTab, QString());
    runtime_->SetText(c.CodTab, c.DicKod->text().trimmed());
    FocusSearchField();
}

void Startup::CloseSearchPanel()
{
    ListHasFocus = false;
    EnterMode = 2;
    c.Pict[0]->hide();
    c.Pict[0]->setEnabled(false);
    c.Pict[1]->setEnabled(true);
    SkipExitCheck = false;
    // Trimmed like every typed code: a key never ends in a blank.
    RegisterRecord.SspCodice = c.CodTab->text().trimmed();
    FindRegister();
    focusAfterSearch();
}

void Startup::focusAfterSearch()
{
    // The panel that had the focus is gone: the register panel takes it back,
    // in the description after a lookup, in the code field after a refusal.
    if (ScreenMode == Mode::Gestione)
        ReturnToCodeField();
    else
        runtime_->SetFocus(c.Txt[store::Field::Description]);
}

void Startup::FillSearchList(QListView* list, const QString& filter)
{
    auto* model = static_cast<lookups::SearchListModel*>(list->model());
    // The filter is bound as a prefix pattern, so quotes and "%" are plain
    // text. "*" alone the engine's pattern cannot take literally: the query
    // then asks for what precedes it and the model keeps the rows that begin
    // with the whole filter.
    const qsizetype star = filter.indexOf(QLatin1Char('*'));
    const QString prefix = star < 0 ? filter : filter.left(star);
    try {
        auto snapshot = company.database->openSnapshot(
            company.RegisterTableName,
            store::RegisterTableDescription().columnName(SearchField == 1 ? store::RegisterColumns::Code
                                                                          : store::RegisterColumns::Description),
            prefix + QLatin1Char('*'));
        model->refill(*snapshot, SearchField == 1, star < 0 ? QString() : filter);
        snapshot->close();
    } catch (const store::EngineError& error) {
        model->clear();
        runtime_->MsgBox(QStringLiteral("ERRORE NELLA RICERCA DEI REGISTRI") + QLatin1Char('\n') +
                             error.description(),
                         store::BoxCode::OkOnly);
    }
    QPushButton* action = c.cmd_r[0];
    if (model->rowCount() == 0) {
        if (SearchField == 1 && !c.CodTab->text().trimmed().isEmpty()) {
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

void Startup::FocusSearchField()
{
    if (c.CodTab->isVisible())
        runtime_->SetFocus(c.CodTab);
    if (c.DescTab->isVisible())
        runtime_->SetFocus(c.DescTab);
}

void Startup::filterGotFocus(QLineEdit* field, int mode)
{
    ListHasFocus = false;
    SkipExitCheck = false;
    SelectAllText(field);
    SearchField = mode;
    FillSearchList(c.Lista, field->text());
}

void Startup::filterLostFocus(QLineEdit* field, QLabel* label, QLineEdit* other, QLabel* otherLabel)
{
    if (SkipExitCheck || ListHasFocus || !field->text().trimmed().isEmpty())
        return;
    runtime_->SetText(field, QStringLiteral(" "));
    otherLabel->show();
    other->show();
    label->hide();
    field->hide();
    runtime_->SetFocus(other);
    runtime_->SetText(other, QString());
}

void Startup::CodTab_GotFocus() { filterGotFocus(c.CodTab, 1); }
void Startup::DescTab_GotFocus() { filterGotFocus(c.DescTab, 2); }

void Startup::CodTab_Change()
{
    SearchField = 1;
    FillSearchList(c.Lista, c.CodTab->text());
}

void Startup::DescTab_Change()
{
    SearchField = 2;
    FillSearchList(c.Lista, c.DescTab->text());
}

void Startup::CodTab_LostFocus() { filterLostFocus(c.CodTab, c.Lcod, c.DescTab, c.Ldesc); }
void Startup::DescTab_LostFocus() { filterLostFocus(c.DescTab, c.Ldesc, c.CodTab, c.Lcod); }

void Startup::Lista_GotFocus()
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

void Startup::Lista_MouseDown()
{
    ListHasFocus = true;
}

void Startup::Lista_LostFocus()
{
    ListHasFocus = false;
}

QString Startup::selectedLine(QListView* list) const
{
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return QString();
    return selected.first().data().toString();
}

void Startup::Lista_DblClick()
{
    const QString line = selectedLine(c.Lista);
    if (line.trimmed().isEmpty())
        return;
    const QString code = (SearchField == 1 ? line.left(CodeWidth)
                                           : line.mid(CodeColumnInDescriptionMode, CodeWidth))
                             .trimmed();
    if (code.isEmpty())
        return;
    c.Ldesc->hide();
    c.DescTab->hide();
    c.Lcod->show();
    c.CodTab->show();
    runtime_->SetText(c.CodTab, code);
    CloseSearchPanel();
}

void Startup::cmd_r_MouseDown(int /*Index*/)
{
    SkipExitCheck = true;
}

void Startup::cmd_r_Click(int Index)
{
    SkipExitCheck = true;
    if (Index == 0) {
        if (c.cmd_r[0]->text().startsWith(QLatin1String("&X"))) {
            ListHasFocus = true;
            runtime_->SetFocus(c.Lista);
        } else {
            CloseSearchPanel();
        }
    } else if (Index == 1) {
        Unload();
    }
}

}  // namespace screen
