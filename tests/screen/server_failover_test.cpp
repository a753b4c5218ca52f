// The window on the office server when the server restarts or fails over:
// the first "&CONFERMA" afterwards writes without a question, and with a
// primary and its standby named (multi-host string, read-write sessions
// only) the write goes to the standby once promoted, still compared with
// what the screen showed.
#include "startup_fixture.h"

#include "screen/startup_layout.h"

#include "company/company_server.h"
#include "support/private_server.h"
#include "support/test_company.h"

#include <QFile>
#include <QPushButton>

namespace screen_tests {

namespace BoxAnswer = store::BoxAnswer;

namespace {

class ServerFailover : public StartupFixture {
protected:
    void SetUp() override
    {
        StartupFixture::SetUp();
        if (testing_support::TestServer().isEmpty())
            GTEST_SKIP() << testing_support::NoTestServer;
    }

    void WriteServerIni(const QString& conninfo)
    {
        WriteIni(QStringLiteral("DEMO"));
        QFile ini(programFolder.path() + QStringLiteral("/Morvanex.ini"));
        ASSERT_TRUE(ini.open(QIODevice::Append));
        ini.write(QStringLiteral("[DATABASE]\nSERVER = %1\n").arg(conninfo).toUtf8());
    }

    // The description of `code` as the server at `conninfo` holds it.
    static QString StoredDescription(const QString& conninfo, const QString& code)
    {
        auto db = store::openServerDatabase(conninfo, "DEMO");
        auto cursor = db->openTable("TabellaSerieSemplificata");
        cursor->setIndex("primaria");
        cursor->seek("=", code);
        return cursor->noMatch() ? QStringLiteral("(nessuna riga)") : cursor->field("SspDescrizione").toString();
    }

    // Changes `code` `times` times, each confirmed: the window's reads and
    // its one-statement write are then prepared on the session.
    void ConfirmSeveralChanges(const QString& code, int times)
    {
        for (int i = 1; i <= times; ++i) {
            lookUp(code);
            type(QStringLiteral("GIRO %1").arg(i));
            click(form->c.cmdD[screen::CmdD::Conferma]);
        }
    }
};

}  // namespace

TEST_F(ServerFailover, TheFirstConfirmAfterAServerRestartWritesWithoutAQuestion)
{
    testing_support::PrivateServer server;
    ASSERT_FALSE(server.conninfo().isEmpty());
    ASSERT_EQ(company::server::CreateCompanySchema(server.conninfo(), "DEMO"), "");
    WriteServerIni(server.conninfo());
    Start();
    lookUp("R9", BoxAnswer::Yes);
    type("PRIMA");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    lookUp("R9");
    type("DOPO IL RIAVVIO");

    ASSERT_TRUE(server.down());
    ASSERT_TRUE(server.up());
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(boxes->seen().size(), 1u);  // only the insert's question
    EXPECT_EQ(StoredDescription(server.conninfo(), "R9"), "DOPO IL RIAVVIO");
}

TEST_F(ServerFailover, AStandbyPromotedUnderAnOpenWindowTakesTheConfirmComparedWithTheScreen)
{
    testing_support::PrivateServer primary;
    ASSERT_FALSE(primary.conninfo().isEmpty());
    ASSERT_EQ(company::server::CreateCompanySchema(primary.conninfo(), "DEMO"), "");
    testing_support::PrivateServer standby(testing_support::PrivateServer::StandbyOf{primary});
    ASSERT_FALSE(standby.conninfo().isEmpty());
    // The standby named first: the server that accepts writes is taken all
    // the same, without target_session_attrs in the string.
    WriteServerIni(QStringLiteral("host=%1,%2 dbname=postgres user=postgres")
                       .arg(standby.folder(), primary.folder()));
    Start();
    lookUp("R1", BoxAnswer::Yes);
    type("SUL PRIMARIO");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    lookUp("R1");
    type("DOPO IL PASSAGGIO");

    // The primary goes; its standby takes over, and another workstation,
    // already on it, changes the register set the window shows.
    ASSERT_TRUE(primary.down());
    ASSERT_TRUE(standby.promote());
    {
        auto other = store::openServerDatabase(standby.conninfo(), "DEMO");
        auto cursor = other->openTable("TabellaSerieSemplificata");
        cursor->setIndex("primaria");
        cursor->seek("=", "R1");
        ASSERT_FALSE(cursor->noMatch());
        cursor->edit();
        cursor->setField("SspDescrizione", "ALTRA POSTAZIONE");
        cursor->update();
    }

    // No question about the connection: the change made meanwhile is told,
    // and "Sì" writes the screen over it on the new primary.
    boxes->expect(BoxAnswer::Yes);
    click(form->c.cmdD[screen::CmdD::Conferma]);
    ASSERT_EQ(boxes->seen().size(), 2u);
    EXPECT_TRUE(boxes->seen()[1].prompt.startsWith("IL REGISTRO R1 E' STATO MODIFICATO")) << boxes->seen()[1].prompt.toStdString();
    EXPECT_TRUE(boxes->seen()[1].prompt.contains("ALTRA POSTAZIONE"));
    EXPECT_EQ(StoredDescription(standby.conninfo(), "R1"), "DOPO IL PASSAGGIO");
}

TEST_F(ServerFailover, WithItsStatementsPreparedTheFirstConfirmAfterARestartWritesWithoutAQuestion)
{
    testing_support::PrivateServer server;
    ASSERT_FALSE(server.conninfo().isEmpty());
    ASSERT_EQ(company::server::CreateCompanySchema(server.conninfo(), "DEMO"), "");
    WriteServerIni(server.conninfo());
    Start();
    lookUp("R9", BoxAnswer::Yes);
    type("PRIMA");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    ConfirmSeveralChanges("R9", 3);
    ASSERT_EQ(StoredDescription(server.conninfo(), "R9"), "GIRO 3");
    lookUp("R9");
    type("DOPO IL RIAVVIO");

    ASSERT_TRUE(server.down());
    ASSERT_TRUE(server.up());
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(boxes->seen().size(), 1u) << boxes->seen().back().prompt.toStdString();
    EXPECT_EQ(StoredDescription(server.conninfo(), "R9"), "DOPO IL RIAVVIO");
}

TEST_F(ServerFailover, WithItsStatementsPreparedTheFirstConfirmAfterAPromotionWritesOnTheNewPrimary)
{
    testing_support::PrivateServer primary;
    ASSERT_FALSE(primary.conninfo().isEmpty());
    ASSERT_EQ(company::server::CreateCompanySchema(primary.conninfo(), "DEMO"), "");
    testing_support::PrivateServer standby(testing_support::PrivateServer::StandbyOf{primary});
    ASSERT_FALSE(standby.conninfo().isEmpty());
    WriteServerIni(QStringLiteral("host=%1,%2 dbname=postgres user=postgres").arg(primary.folder(), standby.folder()));
    Start();
    lookUp("R1", BoxAnswer::Yes);
    type("SUL PRIMARIO");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    ConfirmSeveralChanges("R1", 3);
    lookUp("R1");
    type("DOPO IL PASSAGGIO");

    ASSERT_TRUE(primary.down());
    ASSERT_TRUE(standby.promote());
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(boxes->seen().size(), 1u) << boxes->seen().back().prompt.toStdString();
    EXPECT_EQ(StoredDescription(standby.conninfo(), "R1"), "DOPO IL PASSAGGIO");
}

}  // namespace screen_tests
