// A save writes only the fields the operator changed: every other column of
// the register set keeps its stored value exactly (Null, a date of 0, text in
// a number column), and the history gets one row for one changed field.
#include "two_sessions.h"

#include "store/schema/table_description.h"

#include <gtest/gtest.h>

using namespace store;
using store_tests::Session;

namespace {

class ChangedFields : public testing::TestWithParam<testing_support::Engine> {
protected:
    void SetUp() override
    {
        company = testing_support::MakeTestCompany(GetParam());
        if (!company)
            GTEST_SKIP() << testing_support::NoTestServer;
    }
    // Every column of the register set, as stored.
    QVariantList storedRow(const QString& code) const
    {
        QVariantList row;
        for (const ColumnDescription& column : RegisterTableDescription().columns)
            row << company->scalar(QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE \"SspCodice\" = '%3'")
                                       .arg(column.name, RegisterTable, code));
        return row;
    }
    int historyRows() const
    {
        return company->scalar(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(HistoryTable)).toInt();
    }
    std::unique_ptr<testing_support::TestCompany> company;
};

}  // namespace

TEST_P(ChangedFields, ADescriptionOnlySaveChangesOneColumnAndWritesOneHistoryRow)
{
    // Null in every column but the code, the description, two dates of 0 and
    // a period of 0; on the file also text in a number column.
    const bool file = GetParam() == testing_support::Engine::File;
    const QString dayZero = file ? QStringLiteral("0") : QStringLiteral("DATE '1899-12-30'");
    company->exec(QStringLiteral("INSERT INTO \"%1\" (\"SspCodice\", \"SspDescrizione\", \"SspCusData\", "
                                 "\"SspDepData\", \"SspArrPeriodo\") VALUES ('AB01', 'VECCHIA', %2, %2, 0)")
                      .arg(RegisterTable, dayZero));
    if (file)
        company->exec(QStringLiteral("UPDATE \"%1\" SET \"SspCusCron\" = 'N/D'").arg(RegisterTable));
    const QVariantList before = storedRow("AB01");
    const int rowsBefore = historyRows();

    Session session(*company);
    OpenHistoryTable(session.db, session.boxes);
    ScreenValues screen = session.open("AB01");
    session.shown.screen = screen;  // as the window keeps what it showed
    screen.pickerText = {"01/01/2000", "01/01/00", "01/01/00"};  // the pickers' minimum, as shown
    screen.pickerDate = {QDate(2000, 1, 1), QDate(2000, 1, 1), QDate(2000, 1, 1)};
    session.shown.screen->pickerText = screen.pickerText;
    session.shown.screen->pickerDate = screen.pickerDate;
    screen.Txt[Field::Description] = "NUOVA";
    ASSERT_TRUE(session.confirm(screen));

    const QVariantList after = storedRow("AB01");
    ASSERT_EQ(after.size(), before.size());
    for (int i = 0; i < after.size(); ++i) {
        const QString name = RegisterTableDescription().columnName(i);
        if (i == RegisterColumns::Description)
            EXPECT_EQ(after[i].toString(), "NUOVA");
        else
            EXPECT_TRUE(after[i].isNull() == before[i].isNull() && after[i].toString() == before[i].toString())
                << name.toStdString() << ": " << before[i].toString().toStdString() << " -> "
                << after[i].toString().toStdString();
    }
    EXPECT_EQ(historyRows(), rowsBefore + 1);
    EXPECT_TRUE(session.boxes.allAnswered());
}

TEST_P(ChangedFields, AFieldTypedOverIsWrittenAndTheOthersStayAsStored)
{
    company->exec(QStringLiteral("INSERT INTO \"%1\" (\"SspCodice\", \"SspDescrizione\") VALUES ('AB02', 'X')")
                      .arg(RegisterTable));
    Session session(*company);
    ScreenValues screen = session.open("AB02");
    session.shown.screen = screen;
    screen.Txt[Field::Cron(Custodia)] = "42";
    ASSERT_TRUE(session.confirm(screen));
    EXPECT_EQ(company->scalar(QStringLiteral("SELECT \"SspCusCron\" FROM \"%1\"").arg(RegisterTable)).toInt(), 42);
    EXPECT_TRUE(company->scalar(QStringLiteral("SELECT \"SspArrCron\" FROM \"%1\"").arg(RegisterTable)).isNull());
    EXPECT_TRUE(company->scalar(QStringLiteral("SELECT \"SspMagNum\" FROM \"%1\"").arg(RegisterTable)).isNull());
}

TEST_P(ChangedFields, WritingOverAChangeMadeElsewherePutsBackWhatTheScreenShows)
{
    store_tests::Seed(*company, "R1", "VECCHIA");
    Session a(*company), b(*company);
    ScreenValues onA = a.open("R1");
    a.shown.screen = onA;
    ScreenValues onB = b.open("R1");
    b.shown.screen = onB;
    onA.Txt[Field::Description] = "DI A";
    ASSERT_TRUE(a.confirm(onA));

    onB.Txt[Field::Cron(Arrivi)] = "5";  // B changes only a number, then writes over A's change
    b.boxes.expect(BoxAnswer::Yes);
    ASSERT_TRUE(b.confirm(onB));
    EXPECT_EQ(b.storedRow("R1")->SspDescrizione, "VECCHIA");
    EXPECT_EQ(b.storedRow("R1")->Registers[Arrivi].Cron, 5);
}

INSTANTIATE_TEST_SUITE_P(File, ChangedFields, testing::Values(testing_support::Engine::File),
                         [](const auto& info) { return testing_support::EngineName(info.param); });
INSTANTIATE_TEST_SUITE_P(Server, ChangedFields, testing::Values(testing_support::Engine::Server),
                         [](const auto& info) { return testing_support::EngineName(info.param); });
