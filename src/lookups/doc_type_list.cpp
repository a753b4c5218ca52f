// The document-type list: the document types offered under a document-type
// field, and the check of a typed code when the field is left. A
// document-type field is recognised by its light-yellow background alone.
#include "screen/startup.h"

#include "store/engine_error_box.h"
#include "store/null_conversions.h"
#include "store/table_description.h"

#include <QLineEdit>
#include <QListView>
#include <QStringListModel>

namespace screen {

void Startup::FillDocTypeList()
{
    QStringList lines;
    try {
        const store::TableDescription& table = store::DocTypeTableDescription();
        auto snapshot = company.database->openSnapshot(
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
        runtime_->MsgBox(QStringLiteral("ERRORE NELLA LETTURA DEI TIPI DOCUMENTO") + QLatin1Char('\n') +
                             error.description(),
                         store::BoxCode::OkOnly);
    }
    docTypeModel_->setStringList(lines);
}

void Startup::ShowDocTypeList()
{
    SkipExitCheck = true;
    if (CurField < store::Field::First || CurField > store::Field::Last)
        return;
    QLineEdit* field = c.Txt[CurField];
    if (BackColor(field) != DocTypeColour)
        return;
    int x = field->x();
    int y = field->y() + field->height();
    const int innerWidth = window_->width();
    const int innerHeight = window_->height();
    if (x + c.List1->width() > innerWidth)
        x = innerWidth - c.List1->width();
    if (y + c.List1->height() > innerHeight)
        y = field->y() - c.List1->height();
    c.List1->move(x, y);
    c.List1->show();
    c.List1->raise();
    runtime_->SetFocus(c.List1);
}

void Startup::List1_DblClick()
{
    QLineEdit* field = c.Txt[CurField];
    const QString line = selectedLine(c.List1);
    if (!line.isEmpty()) {
        // The list shows four characters of the code; the field keeps its length.
        runtime_->SetText(field, line.left(4).trimmed().left(field->maxLength()));
        MirrorCustodySeries(CurField);
    }
    if (CurField + 1 <= store::Field::Last)
        runtime_->SetFocus(c.Txt[CurField + 1]);
}

void Startup::List1_LostFocus()
{
    c.List1->hide();
}

void Startup::CheckDocType(int Index)
{
    QLineEdit* field = c.Txt[Index];
    const QString code = field->text().trimmed();
    if (BackColor(field) != DocTypeColour || code.isEmpty())
        return;
    bool known = false;
    try {
        store::TableCursor& cursor = *company.DocTypeCursor;
        cursor.seek(QStringLiteral("="), code);
        known = !cursor.noMatch();
    } catch (const store::EngineError& error) {
        // The code could not be checked (the file locked by another program
        // beyond the wait, or damaged): the operator reads why and stays on it.
        store::ShowEngineError(*runtime_, error);
        runtime_->SetFocus(field);
        return;
    }
    if (known)
        return;
    runtime_->MsgBox(QStringLiteral("TIPO DOCUMENTO INESISTENTE"), store::BoxCode::OkOnly);
    runtime_->SetFocus(field);
}

}  // namespace screen
