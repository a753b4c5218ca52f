// A field added to the entry screen as doc/design.md's recipe adds one. The
// screen's values, the save, the history's names and the inspection sheet take the register-field table
// as a parameter, so a copy of the table with a 40-character text column
// (SspNotaProva, captioned "Nota prova": a name of its own, so the test still
// runs once the recipe's SspNote is really added) is tried against a company
// whose register table has that column. The window's controls are sized by
// the real table at compile time (a runtime copy cannot stretch them), so the
// window's side is tried on every single field of the real table: a row added
// by the recipe is checked there the day it is added.
#include "paper/inspection_sheet.h"
#include "screen/startup_layout.h"
#include "store/engine/engine.h"
#include "store/record/register_fields.h"
#include "store/record/screen_fields.h"
#include "store/record/screen_values.h"
#include "store/schema/table_description.h"
#include "support/temp_company.h"

#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using namespace store;

// The recipe's steps on copies: the column in the table description (and in
// the company's table), the member (here a string the row points at), the row.
struct TableWithNote {
    TableWithNote()
    {
        table.columns.push_back({QStringLiteral("SspNotaProva"), ColumnKind::Text, 40});
        const int column = int(table.columns.size()) - 1;
        QString* target = &note;
        fields.push_back({FieldControl::Text, Field::Last + 1, column, QStringLiteral("NOTA PROVA"), QString(),
                          QStringLiteral("Nota prova"), KeyClass::UpperCase, 40,
                          [target](RegisterRecord&) -> MemberTarget { return target; },
                          [target](const RegisterRecord&) -> MemberValue { return target; }});
    }
    TableDescription table = RegisterTableDescription();
    std::vector<RegisterFieldRow> fields = RegisterFields();
    QString note;
};

TEST(AddedField, ReachesTheScreenValuesTheSaveTheHistoryNamesAndTheSheet)
{
    TableWithNote copy;
    testing_support::TempCompany company;
    company.exec("ALTER TABLE TabellaSerieSemplificata ADD COLUMN SspNotaProva VARCHAR(40)");
    RegisterRecord record;
    record.SspCodice = QStringLiteral("N1");
    ClearRegister(record);

    // The screen's values show it at its index and hand an edit back; the
    // edit is a change of its column alone.
    copy.note = QStringLiteral("RITIRO IL LUNEDI");
    const ScreenValues shown = RegisterToScreen(record, copy.fields);
    ASSERT_EQ(shown.Txt.size(), std::size_t(Field::Last + 2));
    EXPECT_EQ(shown.Txt[Field::Last + 1], "RITIRO IL LUNEDI");
    ScreenValues now = shown;
    now.Txt[Field::Last + 1] = QStringLiteral("CONSEGNA SOLO AL MATTINO");
    const std::vector<bool> changed = ChangedColumns(shown, now, copy.fields);
    ASSERT_EQ(changed.size(), copy.table.columns.size());
    EXPECT_EQ(std::count(changed.begin(), changed.end(), true), 1);
    EXPECT_TRUE(changed.back());
    ScreenToRegister(now, record, &changed, copy.fields, copy.table);
    EXPECT_EQ(copy.note, "CONSEGNA SOLO AL MATTINO");

    // The save writes the new column with the others, and reads it back.
    {
        std::unique_ptr<Database> db = openDatabase(company.databasePath());
        std::unique_ptr<TableCursor> cursor = db->openTable(RegisterTable);
        cursor->addNew();
        StoreRegister(record, *cursor, nullptr, copy.fields, copy.table);
        cursor->update();
    }
    EXPECT_EQ(company.scalar("SELECT SspNotaProva FROM TabellaSerieSemplificata WHERE SspCodice = 'N1'").toString(),
              "CONSEGNA SOLO AL MATTINO");
    EXPECT_EQ(company.scalar("SELECT SspDescrizione FROM TabellaSerieSemplificata WHERE SspCodice = 'N1'")
                  .toString(),
              " ");
    copy.note.clear();
    {
        std::unique_ptr<Database> db = openDatabase(company.databasePath());
        std::unique_ptr<TableCursor> cursor = db->openTable(RegisterTable);
        cursor->setIndex(PrimaryIndex);
        cursor->seek(QStringLiteral("="), QStringLiteral("N1"));
        ASSERT_FALSE(cursor->noMatch());
        RegisterRecord back;
        LoadRegister(*cursor, back, copy.fields, copy.table);
        EXPECT_EQ(copy.note, "CONSEGNA SOLO AL MATTINO");
        EXPECT_EQ(back.SspCodice, "N1");
    }

    // The history names the column as the screen does; the real table does not know it.
    EXPECT_EQ(ColumnOperatorName(QStringLiteral("sspnotaprova"), copy.fields, copy.table), "NOTA PROVA");
    EXPECT_EQ(ColumnOperatorName(QStringLiteral("SspNotaProva")), "SspNotaProva");

    // The sheet prints it last, under its caption; a check character stays
    // joined to its number.
    const std::vector<paper::SheetFieldLine> lines = paper::SheetSingleFields(copy.fields);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().caption, "Nota prova");
    EXPECT_EQ(lines.back().field, Field::Last + 1);
    EXPECT_EQ(lines.back().joined, 0);
    EXPECT_EQ(paper::SheetSingleFields().size(), lines.size() - 1);
    const auto magazzino = std::find_if(lines.begin(), lines.end(),
                                        [](const paper::SheetFieldLine& l) { return l.field == Field::MagNum; });
    ASSERT_NE(magazzino, lines.end());
    EXPECT_EQ(magazzino->joined, Field::MagCin);
}

// Every single field of the table has its control with the row's length, its
// caption on the register panel and its place in the tab order, and the
// window's Txt array ends with the last one.
TEST(AddedField, EverySingleFieldOfTheTableReachesTheWindow)
{
    QWidget window;
    screen::StartupControls c = screen::BuildStartupLayout(&window);
    EXPECT_EQ(c.Txt.size(), std::size_t(Field::Last + 1));
    QStringList captions;
    for (const QLabel* label : c.Label4)
        captions << label->text();
    for (const RegisterFieldRow& row : RegisterFields()) {
        if (row.control != FieldControl::Text || row.index < Field::FirstSingle)
            continue;
        const QLineEdit* field = c.Txt[std::size_t(row.index)];
        ASSERT_NE(field, nullptr) << row.name.toStdString();
        EXPECT_EQ(field->maxLength(), row.length) << row.name.toStdString();
        EXPECT_EQ(field->parentWidget(), c.Pict[1]) << row.name.toStdString();
        EXPECT_NE(std::find(c.tabOrder.begin(), c.tabOrder.end(), field), c.tabOrder.end()) << row.name.toStdString();
        if (!row.joinsPrevious) {
            EXPECT_TRUE(captions.contains(row.caption)) << row.name.toStdString();
        }
    }
}

}  // namespace
