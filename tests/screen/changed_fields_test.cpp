// The window writes only what the operator changed, by real keys: a
// description typed over in a demonstration register set leaves every other
// column as stored; stored values the screen cannot show are told once, when
// the set is opened, and stay as they are unless typed over.
#include "startup_fixture.h"

#include "store/record/screen_fields.h"
#include "store/schema/table_description.h"

#include <QComboBox>
#include <QLineEdit>

#include <limits>

using screen_tests::StartupFixture;

namespace {

QVariantList StoredRow(const testing_support::TempCompany& company, const QString& code)
{
    QVariantList row;
    for (const store::ColumnDescription& column : store::RegisterTableDescription().columns)
        row << company.scalar(QStringLiteral("SELECT \"%1\" FROM TabellaSerieSemplificata WHERE SspCodice = '%2'")
                                  .arg(column.name, code));
    return row;
}

}  // namespace

TEST_F(StartupFixture, UnshowableStoredValuesAreToldOnceAndKeptUnlessTypedOver)
{
    company.exec("UPDATE TabellaSerieSemplificata SET SspCusCron = 'N/D', SspArrData = 1000, "
                 "SspDepPeriodo = 40 WHERE SspCodice = 'R2'");
    Start();
    boxes->expect(store::BoxAnswer::Ok);
    lookUp("R2");
    ASSERT_EQ(boxes->seen().size(), 1u);
    const QString told = boxes->seen().front().prompt;
    EXPECT_TRUE(told.contains("R2")) << told.toStdString();
    EXPECT_TRUE(told.contains("CUSTODIA ULT. CRONOL.: \"N/D\"")) << told.toStdString();
    EXPECT_TRUE(told.contains("ARRIVI PERIODO DAL: \"26/09/1902\"")) << told.toStdString();
    EXPECT_TRUE(told.contains("DEPOSITO PERIODO MESI: \"40\"")) << told.toStdString();
    EXPECT_EQ(told.count('\n'), 4) << told.toStdString();  // those three fields, no other
    EXPECT_EQ(focused(), form->c.Txt[1]);

    // The description typed over, the period of DEPOSITO too: the text in
    // CUSTODIA's number and ARRIVI's old date stay.
    type("NUOVA");
    form->c.Combo1[2]->setCurrentIndex(5);
    key(Qt::Key_C, Qt::AltModifier);  // "&CONFERMA"
    ASSERT_EQ(focused(), form->c.DicKod);
    EXPECT_EQ(column("SspDescrizione", "R2"), "NUOVA");
    EXPECT_EQ(column("SspCusCron", "R2"), "N/D");
    EXPECT_EQ(column("SspArrData", "R2").toInt(), 1000);
    EXPECT_EQ(column("SspDepPeriodo", "R2").toInt(), 6);
    EXPECT_EQ(boxes->seen().size(), 1u);
}

TEST_F(StartupFixture, NumbersTheFieldsCannotShowAreShownExactlyToldAndKeptWhenTabbedThrough)
{
    // 1e308 has more figures than the field holds; the smallest double
    // would show as 0,00; a chronological number holds six figures.
    company.exec("UPDATE TabellaSerieSemplificata SET SspCusGaranz = 1e308, SspDepGaranz = 4.9e-324, "
                 "SspArrCron = 2147483647 WHERE SspCodice = 'R2'");
    Start();
    boxes->expect(store::BoxAnswer::Ok);
    lookUp("R2");
    ASSERT_EQ(boxes->seen().size(), 1u);
    const QString told = boxes->seen().front().prompt;
    EXPECT_TRUE(told.contains("CUSTODIA GARANZIA: \"1e+308\"")) << told.toStdString();
    EXPECT_TRUE(told.contains("DEPOSITO GARANZIA: \"5e-324\"")) << told.toStdString();
    EXPECT_TRUE(told.contains("ARRIVI ULT. CRONOL.: \"2147483647\"")) << told.toStdString();
    EXPECT_EQ(form->c.Txt[store::Field::Garanz(1)]->text().toLower(), "1e+308");
    EXPECT_EQ(form->c.Txt[store::Field::Garanz(2)]->text().toLower(), "5e-324");

    // Every field passed through with Tab, the description typed over.
    type("NUOVA");
    for (int i = 0; i < 40; ++i)
        key(Qt::Key_Tab);
    key(Qt::Key_C, Qt::AltModifier);  // "&CONFERMA"
    ASSERT_EQ(focused(), form->c.DicKod);
    EXPECT_EQ(column("SspDescrizione", "R2"), "NUOVA");
    EXPECT_EQ(column("SspCusGaranz", "R2").toDouble(), 1e308);
    EXPECT_EQ(column("SspDepGaranz", "R2").toDouble(), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(column("SspArrCron", "R2").toLongLong(), 2147483647);
}

TEST_F(StartupFixture, ChangingOnlyTheDescriptionOfAB01LeavesEveryOtherColumnAndWritesOneHistoryRow)
{
    const QVariantList before = StoredRow(company, "AB01");
    const int historyBefore = company.count("StoricoSerieSemplificata");
    Start();
    lookUp("AB01");
    type("DEPOSITO PORTO NUOVO");
    key(Qt::Key_C, Qt::AltModifier);  // "&CONFERMA"
    ASSERT_EQ(focused(), form->c.DicKod);

    const QVariantList after = StoredRow(company, "AB01");
    for (int i = 0; i < after.size(); ++i) {
        if (i == store::RegisterColumns::Description) {
            EXPECT_EQ(after[i].toString(), "DEPOSITO PORTO NUOVO");
            continue;
        }
        EXPECT_TRUE(after[i].isNull() == before[i].isNull() && after[i] == before[i])
            << store::RegisterTableDescription().columnName(i).toStdString() << ": "
            << before[i].toString().toStdString() << " -> " << after[i].toString().toStdString();
    }
    EXPECT_EQ(company.count("StoricoSerieSemplificata"), historyBefore + 1);
    EXPECT_TRUE(boxes->seen().empty());
}
