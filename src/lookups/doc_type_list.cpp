// The document-type list: filled once at start-up, dropped below a
// document-type field on F4 or a double click, and the check of a typed code.
#include "lookups/doc_type_list.h"

#include "lookups/selected_line.h"
#include "store/engine/engine_error_box.h"
#include "store/engine/null_conversions.h"
#include "store/schema/table_description.h"

#include <QLineEdit>
#include <QListView>
#include <QStringListModel>

namespace lookups {

namespace Field = store::Field;

QColor BackColor(const QLineEdit* field)
{
    return field->palette().color(QPalette::Active, QPalette::Base);
}

DocTypeList::DocTypeList(QListView* list, const std::array<QLineEdit*, Field::Count>& fields,
                         QWidget* window, runtime::FormRuntime& runtime,
                         store::CompanyDatabase& company, ListWindow& listWindow)
    : List1_(list), Txt_(fields), window_(window), runtime_(runtime), company_(company),
      listWindow_(listWindow), model_(new QStringListModel(list))
{
    List1_->setModel(model_);
}

void DocTypeList::wireEvents()
{
    runtime_.onDblClick(List1_, [this] { List1_DblClick(); });
    runtime_.onLostFocus(List1_, [this] { List1_LostFocus(); });
}

void DocTypeList::FillDocTypeList()
{
    QStringList lines;
    try {
        const store::TableDescription& table = store::DocTypeTableDescription();
        auto snapshot = company_.database->openSnapshot(
            table.name, table.columnName(store::DocTypeColumns::Code), QStringLiteral("*"));
        const int code = snapshot->fieldIndex(table.columnName(store::DocTypeColumns::Code));
        const int description = snapshot->fieldIndex(table.columnName(store::DocTypeColumns::Description));
        const int kind = snapshot->fieldIndex(table.columnName(store::DocTypeColumns::Kind));
        for (; !snapshot->atEnd(); snapshot->moveNext())
            lines << store::Fixed(store::ValueText(snapshot->field(code)), 4) + QStringLiteral(" - ") +
                         store::Fixed(store::ValueText(snapshot->field(description)), 30) + QStringLiteral(" - ") +
                         store::ValueText(snapshot->field(kind));
        snapshot->close();
    } catch (const store::EngineError& error) {
        runtime_.MsgBox(QStringLiteral("ERRORE NELLA LETTURA DEI TIPI DOCUMENTO") + QLatin1Char('\n') +
                            error.description(),
                        store::BoxCode::OkOnly);
    }
    model_->setStringList(lines);
}

void DocTypeList::ShowDocTypeList()
{
    listWindow_.setSkipExitCheck(true);
    const int current = listWindow_.currentField();
    if (current < Field::First || current > Field::Last)
        return;
    QLineEdit* field = Txt_[current];
    if (BackColor(field) != DocTypeColour)
        return;
    int x = field->x();
    int y = field->y() + field->height();
    const int innerWidth = window_->width();
    const int innerHeight = window_->height();
    if (x + List1_->width() > innerWidth)
        x = innerWidth - List1_->width();
    if (y + List1_->height() > innerHeight)
        y = field->y() - List1_->height();
    List1_->move(x, y);
    List1_->show();
    List1_->raise();
    runtime_.SetFocus(List1_);
}

void DocTypeList::List1_DblClick()
{
    const int current = listWindow_.currentField();
    QLineEdit* field = Txt_[current];
    const QString line = SelectedLine(List1_);
    if (!line.isEmpty()) {
        // The list shows four characters of the code; the field keeps its length.
        runtime_.SetText(field, line.left(4).trimmed().left(field->maxLength()));
        listWindow_.fieldFilled(current);
    }
    if (current + 1 <= Field::Last)
        runtime_.SetFocus(Txt_[current + 1]);
}

void DocTypeList::HideDocTypeList()
{
    const int current = listWindow_.currentField();
    List1_->hide();
    if (current >= Field::First && current <= Field::Last)
        runtime_.SetFocus(Txt_[current]);
}

void DocTypeList::List1_LostFocus()
{
    List1_->hide();
}

void DocTypeList::CheckDocType(int Index)
{
    QLineEdit* field = Txt_[Index];
    const QString code = field->text().trimmed();
    if (BackColor(field) != DocTypeColour || code.isEmpty())
        return;
    bool known = false;
    try {
        store::TableCursor& cursor = *company_.DocTypeCursor;
        cursor.seek(QStringLiteral("="), code);
        known = !cursor.noMatch();
    } catch (const store::EngineError& error) {
        // The code could not be checked (the file locked by another program
        // beyond the wait, or damaged): the operator reads why and stays on it.
        store::ShowEngineError(runtime_, error);
        runtime_.SetFocus(field);
        return;
    }
    if (known)
        return;
    runtime_.MsgBox(QStringLiteral("TIPO DOCUMENTO INESISTENTE"), store::BoxCode::OkOnly);
    runtime_.SetFocus(field);
}

}  // namespace lookups
