// The register-field table: every column and every screen control exactly
// once, lengths that let a column's whole value be typed, and the history's
// names for the operator.
#include "store/record/register_fields.h"
#include "store/record/screen_fields.h"
#include "store/schema/table_description.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace store;

TEST(RegisterFields, EveryColumnAndEveryScreenControlExactlyOnce)
{
    QSet<int> columns, texts, months, pickers;
    int codes = 0;
    for (const RegisterFieldRow& field : RegisterFields()) {
        EXPECT_FALSE(columns.contains(field.column)) << field.column;
        columns.insert(field.column);
        QSet<int>* controls = field.control == FieldControl::Text     ? &texts
                              : field.control == FieldControl::Months ? &months
                              : field.control == FieldControl::Picker ? &pickers
                                                                      : nullptr;
        if (!controls) {
            ++codes;
            continue;
        }
        EXPECT_FALSE(controls->contains(field.index)) << field.name.toStdString();
        controls->insert(field.index);
        EXPECT_FALSE(field.name.isEmpty());
        EXPECT_FALSE(field.caption.isEmpty());
    }
    EXPECT_EQ(codes, 1);
    EXPECT_EQ(columns.size(), RegisterColumns::Count);
    EXPECT_EQ(months, (QSet<int>{0, 1, 2}));
    EXPECT_EQ(pickers, (QSet<int>{0, 1, 2}));
    // Txt(1) and Txt(22) to Txt(71); Txt(2) to Txt(21) are the header lines.
    QSet<int> expected{Field::Description};
    for (int i = Field::LastHeaderLine + 1; i <= Field::Last; ++i)
        expected.insert(i);
    EXPECT_EQ(texts, expected);
}

TEST(RegisterFields, TextFieldsTakeTheirColumnsWholeLength)
{
    const TableDescription& table = RegisterTableDescription();
    for (const RegisterFieldRow& field : RegisterFields()) {
        const ColumnDescription& column = table.columns[std::size_t(field.column)];
        if (column.kind == ColumnKind::Text || column.kind == ColumnKind::FixedText) {
            EXPECT_EQ(field.length, column.length) << column.name.toStdString();
        } else if (field.control == FieldControl::Text) {
            EXPECT_GT(field.length, 0) << column.name.toStdString();
        }
    }
}

TEST(RegisterFields, HistoryNamesColumnsAsTheScreenDoes)
{
    EXPECT_EQ(ColumnOperatorName("SspWkACron2"), "ARRIVI DOCUM. 3 NUMERO");
    EXPECT_EQ(ColumnOperatorName("SspArrGaranz"), "ARRIVI GARANZIA");
    EXPECT_EQ(ColumnOperatorName("sspdescrizione"), "DESCRIZIONE");
    EXPECT_EQ(ColumnOperatorName("TpsRigP5"), "TESTATA PREAVVISO RIGA 5");
    EXPECT_EQ(ColumnOperatorName("TpsCodice"), "TESTATA CODICE");
    EXPECT_EQ(ColumnOperatorName("AltraColonna"), "AltraColonna");
    EXPECT_EQ(FieldOfText(Field::Garanz(1))->screenLabel(), "CUSTODIA Garanzia");
}

TEST(RegisterFields, ATableThatWouldPutAFieldOverAnotherControlIsRefused)
{
    EXPECT_EQ(FieldTableProblem(RegisterFields()), "");
    auto problemWith = [](const std::function<void(std::vector<RegisterFieldRow>&)>& change) {
        std::vector<RegisterFieldRow> copy = RegisterFields();
        change(copy);
        return FieldTableProblem(copy);
    };
    // A field past the window's controls (Field::Last follows SingleFields, so
    // only a row made outside it can get there).
    EXPECT_TRUE(problemWith([](auto& rows) { rows.back().index = Field::Last + 1; }).contains("fuori da Txt(1)"));
    // Two fields on one control, and a control left without its field.
    EXPECT_TRUE(problemWith([](auto& rows) { rows.back().index = Field::Description; }).contains("un altro campo ha lo stesso indice"));
    EXPECT_TRUE(problemWith([](auto& rows) { rows.back().index = Field::FirstHeaderLine; }).contains("riga di testata"));
    EXPECT_TRUE(problemWith([](auto& rows) { rows.pop_back(); }).contains("non è mostrata da nessun campo"));
}
