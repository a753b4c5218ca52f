// The office server's connection lost and found again: outside a write the
// operation runs again once connected; inside one the write fails whole, and
// nothing of it reaches the server. A connection string that cannot be read
// is told without its values. A table changed while connected changes
// nothing for the lookups and confirms that follow.
#include "company/company_server.h"
#include "store/registers/register_set.h"
#include "support/scripted_boxes.h"
#include "store/schema/table_description.h"
#include "support/private_server.h"
#include "support/test_company.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::AddDocType;
using testing_support::ErrorNumberOf;

TEST(ServerConnection, ALostConnectionAsksAndRetryConnectsAgainWithoutHalfAWrite)
{
    if (testing_support::TestServer().isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    testing_support::PrivateServer server;
    ASSERT_FALSE(server.conninfo().isEmpty());
    ASSERT_EQ(company::server::CreateCompanySchema(server.conninfo(), "DEMO"), "");
    auto db = openServerDatabase(server.conninfo(), "DEMO");
    auto cursor = db->openTable(DocTypeTable);
    cursor->setIndex(PrimaryIndex);
    AddDocType(*cursor, "T1");

    QStringList asked;
    bool retry = true;
    db->setConnectionLostHandler([&](const QString& text) {
        asked << text;
        return retry && server.up();
    });

    // Outside a write: asked once, and the seek runs on the new connection.
    ASSERT_TRUE(server.down());
    cursor->seek("=", "T1");
    EXPECT_FALSE(cursor->noMatch());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_FALSE(asked[0].isEmpty());

    // Inside a write: the transaction went with the connection, so the step
    // fails and so does every later step of that write, without asking again.
    db->beginTrans();
    AddDocType(*cursor, "T2");
    ASSERT_TRUE(server.down());
    EXPECT_EQ(ErrorNumberOf([&] { AddDocType(*cursor, "T3"); }), EngineErrorNumber::ServerUnreachable);
    EXPECT_EQ(ErrorNumberOf([&] { AddDocType(*cursor, "T4"); }), EngineErrorNumber::ServerUnreachable);
    EXPECT_EQ(ErrorNumberOf([&] { db->commitTrans(); }), EngineErrorNumber::ServerUnreachable);
    db->rollback();
    EXPECT_EQ(asked.size(), 2);
    auto snap = db->openSnapshot(DocTypeTable);
    int rows = 0;
    for (; !snap->atEnd(); snap->moveNext())
        ++rows;
    EXPECT_EQ(rows, 1);

    // Cancel: the operation fails with the server's number; the next one asks again.
    retry = false;
    ASSERT_TRUE(server.down());
    EXPECT_EQ(ErrorNumberOf([&] { cursor->seek("=", "T1"); }), EngineErrorNumber::ServerUnreachable);
    EXPECT_EQ(asked.size(), 3);
    retry = true;
    cursor->seek("=", "T1");
    EXPECT_FALSE(cursor->noMatch());
    EXPECT_EQ(asked.size(), 4);
}

TEST(ServerConnection, AConnectionStringThatCannotBeReadIsToldWithoutItsValues)
{
    // An unquoted blank in the password: libpq's own text would quote its second half.
    for (const QString conninfo : {"host=/nonexistent dbname=quenvol password=S3CRET PART2",
                                   "postgresql://operatore:S3CRET@/quenvol?host=/nonexistent&PART2"}) {
        SCOPED_TRACE(conninfo.toStdString());
        try {
            openServerDatabase(conninfo, "DEMO");
            FAIL() << "opened";
        } catch (const EngineError& error) {
            EXPECT_EQ(error.number(), EngineErrorNumber::ServerUnreachable);
            EXPECT_FALSE(error.description().contains("S3CRET")) << error.description().toStdString();
            EXPECT_FALSE(error.description().contains("PART2")) << error.description().toStdString();
            EXPECT_FALSE(error.description().isEmpty());
        }
    }
}

TEST(ServerConnection, LookupsAndConfirmsGoOnAfterATableGainsAColumnWhileConnected)
{
    auto company = testing_support::MakeTestCompany(testing_support::Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    testing_support::ScriptedBoxes boxes;
    CompanyDatabase db(company->open());
    OpenRegisterTable(db, boxes);
    OpenHeaderTable(db, boxes);
    OpenHistoryTable(db, boxes);
    RegisterSet set(db);
    // Looked up and confirmed a few times: the session keeps its statements.
    const auto confirm = [&](const QString& description) {
        if (set.lookUp("R1", boxes) != LookupResult::Found)
            return false;
        set.shown.screen = RegisterToScreen(set.record);
        ScreenValues screen = *set.shown.screen;
        screen.Txt[1] = description;
        return set.write(screen, set.headerLines(), boxes);
    };
    for (const char* description : {"PRIMA", "SECONDA", "TERZA"})
        ASSERT_TRUE(confirm(description)) << boxes.prompts().join('\n').toStdString();
    // An upgrade adds a column meanwhile (as one of a later version would).
    company->exec("ALTER TABLE \"TabellaSerieSemplificata\" ADD COLUMN \"Aggiunta\" text; "
                  "ALTER TABLE \"TestataRegistriPS\" ADD COLUMN \"Aggiunta\" text");
    EXPECT_TRUE(confirm("QUARTA")) << boxes.prompts().join('\n').toStdString();
    EXPECT_EQ(set.record.SspDescrizione, "QUARTA");
    EXPECT_TRUE(boxes.prompts().isEmpty()) << boxes.prompts().join('\n').toStdString();
}
