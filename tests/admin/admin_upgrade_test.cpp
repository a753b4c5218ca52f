// A company made by an earlier version, on the file and on the server: a
// shared table without a column added since, and a history from before its
// role, address and fingerprint columns. Refused with the command that mends
// it, until upgrade adds every column in one go and says which.
#include "admin_run.h"

#include "store/schema/schema_version.h"
#include "store/schema/table_description.h"
#include "store/tables/tables.h"
#include "support/scripted_boxes.h"
#include "support/test_company.h"

#include <gtest/gtest.h>

using testing_support::Engine;
using testing_support::MakeTestCompany;

namespace {

class OlderCompany : public testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        company = MakeTestCompany(GetParam(), true);
        if (!company)
            GTEST_SKIP() << testing_support::NoTestServer;
        // The shape an earlier version made: today's description less one
        // register column, and the history as it was before its later columns.
        const bool server = GetParam() == Engine::Server;
        const QString q = server ? "\"" : "";
        for (const char* table_column : {"TabellaSerieSemplificata.SspMeccanogCin", "StoricoSerieSemplificata.StoImpronta",
                                         "StoricoSerieSemplificata.StoIndirizzo", "StoricoSerieSemplificata.StoRuolo"}) {
            const QStringList parts = QString::fromLatin1(table_column).split('.');
            company->exec(QStringLiteral("ALTER TABLE %1%2%1 DROP COLUMN %1%3%1").arg(q, parts[0], parts[1]));
        }
        if (server) {
            company->exec("DROP TABLE \"VersioneSchema\"");
            // The recording trigger as it was, fired with each change rather
            // than at the commit.
            company->exec("DROP TRIGGER \"TabellaSerieSemplificata_storico\" ON \"TabellaSerieSemplificata\"; "
                          "CREATE TRIGGER \"TabellaSerieSemplificata_storico\" AFTER INSERT OR UPDATE OR DELETE ON "
                          "\"TabellaSerieSemplificata\" FOR EACH ROW EXECUTE FUNCTION "
                          "\"StoricoSerieSemplificata_TabellaSerieSemplificata\"()");
        }
        else
            company->exec("PRAGMA user_version = 0");
    }

    // The start-up's opening of the register table: its flag and the boxes shown.
    QStringList openRegisters(bool* opened) const
    {
        testing_support::ScriptedBoxes boxes;
        boxes.expect(store::BoxAnswer::Ok);
        store::CompanyDatabase db(company->open());
        store::OpenRegisterTable(db, boxes);
        *opened = db.RegisterTableOpen;
        return boxes.prompts();
    }

    std::unique_ptr<testing_support::TestCompany> company;
};

}  // namespace

TEST_P(OlderCompany, IsRefusedOnceUntilUpgradeAddsEveryColumnAndSaysWhich)
{
    bool opened = true;
    QStringList boxes = openRegisters(&opened);
    EXPECT_FALSE(opened);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains("SspMeccanogCin") && boxes[0].contains("quenvol-admin upgrade"))
        << boxes[0].toStdString();
    AdminRun run = Admin({"history", company->location(), company->company()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("quenvol-admin upgrade")) << run.err.toStdString();

    run = Admin({"upgrade", company->location(), company->company()});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("TabellaSerieSemplificata.SspMeccanogCin")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("StoImpronta")) << run.out.toStdString();

    boxes = openRegisters(&opened);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();
    // The rows kept their values, the new column is Null; a write goes through
    // (on the server its triggers, made after the column, record it).
    const QString q = GetParam() == Engine::Server ? "\"" : "";
    EXPECT_TRUE(company->scalar(QStringLiteral("SELECT %1SspMeccanogCin%1 FROM %1TabellaSerieSemplificata%1 "
                                               "WHERE %1SspCodice%1 = 'R1'").arg(q)).isNull());
    // Upgraded, the data and its history agree.
    EXPECT_EQ(Admin({"verify", company->location(), company->company()}).status, 0);
    const int history = company->count(store::HistoryTable);
    company->exec(QStringLiteral("UPDATE %1TabellaSerieSemplificata%1 SET %1SspMeccanogCin%1 = 'K' "
                                 "WHERE %1SspCodice%1 = 'R1'").arg(q));
    if (GetParam() == Engine::Server) {
        EXPECT_EQ(company->count(store::HistoryTable), history + 1);
        EXPECT_EQ(company->scalar("SELECT \"Versione\" FROM \"VersioneSchema\"").toInt(), store::CompanySchemaVersion);
        EXPECT_EQ(company->scalar("SELECT count(*) FROM pg_trigger WHERE tgname LIKE '%\\_storico' AND tgdeferrable "
                                  "AND tginitdeferred AND tgrelid IN ('\"TabellaSerieSemplificata\"'::regclass, "
                                  "'\"TestataRegistriPS\"'::regclass, '\"TabellaDocScorta\"'::regclass)")
                      .toInt(),
                  3);
        // Recorded by the server, the write leaves data and history agreeing
        // (on the file a write by hand records nothing, which verify reports).
        EXPECT_EQ(Admin({"verify", company->location(), company->company()}).status, 0);
    } else {
        EXPECT_EQ(company->scalar("PRAGMA user_version").toInt(), store::CompanySchemaVersion);
    }
    EXPECT_TRUE(Admin({"upgrade", company->location(), company->company()}).out.contains("nulla da fare"));
}

INSTANTIATE_TEST_SUITE_P(File, OlderCompany, testing::Values(Engine::File), testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(ServerCases, OlderCompany, testing::Values(Engine::Server),
                         testing::PrintToStringParamName());
