// The window on a company that lives on the office server ([DATABASE] SERVER=
// in the INI file): a register set inserted, changed, given header lines and
// deleted; a server that cannot be reached at start-up; and one that stops
// while the window is open and comes back.
#include "startup_fixture.h"

#include "screen/startup_layout.h"

#include "company/company_server.h"
#include "store/tables/company_open.h"
#include "shell/platform.h"
#include "store/engine/sql_text.h"
#include "store/history/history_reader.h"
#include "store/record/screen_fields.h"
#include "store/registers/register_save.h"
#include "store/schema/register_code.h"
#include "support/private_server.h"
#include "support/test_company.h"

#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace screen_tests {

namespace BoxAnswer = store::BoxAnswer;

namespace {

class ServerWindow : public StartupFixture {
protected:
    void SetUp() override
    {
        StartupFixture::SetUp();
        if (testing_support::TestServer().isEmpty())
            GTEST_SKIP() << testing_support::NoTestServer;
    }

    // The INI file naming `company` on the server `conninfo`.
    void WriteServerIni(const QString& conninfo, const QString& companyCode)
    {
        WriteIni(companyCode);
        QFile ini(programFolder.path() + QStringLiteral("/Morvanex.ini"));
        ASSERT_TRUE(ini.open(QIODevice::Append));
        ini.write(QStringLiteral("[DATABASE]\nSERVER = %1\n").arg(conninfo).toUtf8());
    }

    QVariant serverColumn(const testing_support::TestCompany& server, const QString& table,
                          const QString& name, const QString& key, const QString& code) const
    {
        return server.scalar(QStringLiteral("SELECT \"%1\" FROM \"%2\" WHERE \"%3\" = '%4'")
                                 .arg(name, table, key, code));
    }
};

}  // namespace

TEST_F(ServerWindow, InsertChangeHeaderLinesAndDeleteWriteOnTheServer)
{
    const auto server = testing_support::MakeTestCompany(testing_support::Engine::Server, true);
    WriteServerIni(server->location(), server->company());
    Start();
    ASSERT_TRUE(form->company.DocTypeTableOpen);
    auto registerColumn = [&](const QString& name, const QString& code) {
        return serverColumn(*server, "TabellaSerieSemplificata", name, "SspCodice", code);
    };

    lookUp("NEW", BoxAnswer::Yes);
    type("SUL SERVER");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(registerColumn("SspDescrizione", "NEW").toString(), "SUL SERVER");

    lookUp("new");  // the key ignores case, as in the file
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(text(1), "SUL SERVER");
    type("CAMBIATA");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(registerColumn("SspDescrizione", "NEW").toString(), "CAMBIATA");

    lookUp("R1");
    click(form->c.cmdD[screen::CmdD::Testate]);
    form->runtime().SetText(form->c.Txt[2], "RIGA DAL SERVER");
    click(form->c.cmdD[screen::CmdD::ConfermaTestata]);
    EXPECT_EQ(serverColumn(*server, "TestataRegistriPS", "TpsRigA1", "TpsCodice", "R1").toString(),
              "RIGA DAL SERVER ");
    click(form->c.cmdD[screen::CmdD::Annulla]);

    lookUp("R1");
    boxes->expect(BoxAnswer::Yes);
    click(form->c.cmdD[screen::CmdD::Elimina]);
    EXPECT_TRUE(registerColumn("SspCodice", "R1").isNull());
    EXPECT_EQ(server->scalar("SELECT count(*) FROM \"TestataRegistriPS\" WHERE \"TpsCodice\" = 'R1'").toInt(), 0);

    // Each confirm left its change in the server's history.
    const auto actions = [&](const char* code) {
        return server->scalar(QStringLiteral("SELECT string_agg(DISTINCT \"StoAzione\", ',' ORDER BY \"StoAzione\") "
                                             "FROM \"StoricoSerieSemplificata\" WHERE \"StoCodice\" = '%1'")
                                  .arg(code)).toString();
    };
    EXPECT_EQ(actions("NEW"), "inserimento,variazione");
    EXPECT_EQ(actions("R1"), "cancellazione,testata");
    // And the window reads it back from the server, newest first.
    const std::vector<store::Change> life = store::ReadHistory(*form->company.database, "new");
    ASSERT_EQ(life.size(), 2u);
    EXPECT_EQ(life[0].action, "variazione");
    EXPECT_EQ(life[1].action, "inserimento");
}

TEST_F(ServerWindow, AGuaranteeOfNaNOrInfinityAndAYearPast9999AreShownAsStoredAndKeptOnConfirm)
{
    const auto server = testing_support::MakeTestCompany(testing_support::Engine::Server, true);
    server->exec("UPDATE \"TabellaSerieSemplificata\" SET \"SspArrGaranz\" = 'NaN', \"SspCusGaranz\" = "
                 "'Infinity', \"SspDepGaranz\" = '-Infinity', \"SspArrData\" = '10000-01-01' "
                 "WHERE \"SspCodice\" = 'AB01'");
    WriteServerIni(server->location(), server->company());
    Start();
    boxes->expect(BoxAnswer::Ok);  // the values the fields cannot take as they are
    lookUp("AB01");
    ASSERT_EQ(boxes->seen().size(), 1u) << boxes->prompts().join('|').toStdString();
    const QString told = boxes->seen().front().prompt;
    EXPECT_TRUE(told.contains("ARRIVI GARANZIA: \"NaN\"")) << told.toStdString();
    EXPECT_TRUE(told.contains("ARRIVI PERIODO DAL: \"01/01/10000\"")) << told.toStdString();
    EXPECT_EQ(form->c.Txt[store::Field::Garanz(0)]->text(), "NaN");
    EXPECT_EQ(form->c.Txt[store::Field::Garanz(1)]->text(), "+Infinito");
    EXPECT_EQ(form->c.Txt[store::Field::Garanz(2)]->text(), "-Infinito");
    EXPECT_EQ(form->c.lbData[0]->text(), "01/01/10000");

    type("SOLO LA DESCRIZIONE");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(boxes->seen().size(), 1u) << boxes->prompts().join('|').toStdString();
    EXPECT_EQ(server->scalar("SELECT concat_ws(' ', \"SspDescrizione\", \"SspArrGaranz\", \"SspCusGaranz\", "
                             "\"SspDepGaranz\", \"SspArrData\") FROM \"TabellaSerieSemplificata\" "
                             "WHERE \"SspCodice\" = 'AB01'")
                  .toString(),
              "SOLO LA DESCRIZIONE NaN Infinity -Infinity 10000-01-01");
}

TEST_F(ServerWindow, AChangeOfASetWhoseCodeBreaksTheRuleIsRefusedWithTheReasonInItalian)
{
    // A set stored before the code rule, which upgrade left as it was: the
    // server's CHECK holds for new and changed rows alone.
    const auto server = testing_support::MakeTestCompany(testing_support::Engine::Server, true);
    const QString table = QStringLiteral("ALTER TABLE \"TabellaSerieSemplificata\" ");
    server->exec(table + QStringLiteral("DROP CONSTRAINT \"%1\"").arg(store::RegisterCodeConstraint()));
    server->exec("INSERT INTO \"TabellaSerieSemplificata\" (\"SspCodice\", \"SspDescrizione\") VALUES ('R1 ', 'SOSIA')");
    server->exec(table + QStringLiteral("ADD CONSTRAINT \"%1\" CHECK (%2) NOT VALID")
                             .arg(store::RegisterCodeConstraint(), store::RegisterCodeCheck()));
    WriteServerIni(server->location(), server->company());
    Start();
    key(Qt::Key_F4);
    type("r1");
    ASSERT_EQ(Lines(form->c.Lista).size(), 2);
    doubleClickLine(form->c.Lista, 1);  // "R1 "
    ASSERT_EQ(text(1), "SOSIA");
    boxes->expect(BoxAnswer::Ok);
    type("NUOVA");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    ASSERT_EQ(boxes->seen().size(), 1u);
    const QString told = boxes->seen().front().prompt;
    EXPECT_TRUE(told.startsWith(store::WriteRegisterFailed + "\nIl codice \"R1 \" è stato registrato prima della "
                                                              "regola dei codici dei registri"))
        << told.toStdString();
    EXPECT_EQ(serverColumn(*server, "TabellaSerieSemplificata", "SspDescrizione", "SspCodice", "R1 ").toString(),
              "SOSIA");
}

TEST_F(ServerWindow, AServerThatCannotBeReachedAsksAndCancelEndsTheProgram)
{
    WriteServerIni("host=/nonexistent/quenvol dbname=quenvol password=segreto99", "DEMO");
    boxes->expect(BoxAnswer::Retry);
    boxes->expect(BoxAnswer::Cancel);
    Load();
    ASSERT_EQ(boxes->seen().size(), 2u);
    const testing_support::SeenBox& box = boxes->seen().back();
    EXPECT_TRUE(box.prompt.startsWith(store::ServerUnreachableMessage + "\n")) << box.prompt.toStdString();
    EXPECT_GT(box.prompt.size(), store::ServerUnreachableMessage.size() + 1);  // the server's text
    EXPECT_FALSE(box.prompt.contains("segreto99"));
    EXPECT_EQ(box.title, store::ServerBoxTitle);
    EXPECT_EQ(endings, 1);
    EXPECT_FALSE(form->company.RegisterTableOpen);
}

TEST_F(ServerWindow, AServerStoppedWhileTheWindowIsOpenKeepsTheEditsAndASecondConfirmWrites)
{
    testing_support::PrivateServer server;
    ASSERT_FALSE(server.conninfo().isEmpty());
    ASSERT_EQ(company::server::CreateCompanySchema(server.conninfo(), "DEMO"), "");
    WriteServerIni(server.conninfo(), "DEMO");
    Start();
    lookUp("R9", BoxAnswer::Yes);
    type("SCRITTA DOPO");

    ASSERT_TRUE(server.down());
    boxes->expect(BoxAnswer::Cancel);  // the lost connection
    boxes->expect(BoxAnswer::Ok);      // the write that failed
    click(form->c.cmdD[screen::CmdD::Conferma]);
    ASSERT_EQ(boxes->seen().size(), 3u);
    EXPECT_TRUE(boxes->seen()[1].prompt.startsWith(store::ConnectionLostMessage + "\n"));
    EXPECT_TRUE(boxes->seen()[2].prompt.startsWith("ERRORE NELLA SCRITTURA DEL RECORD\n"));
    EXPECT_EQ(text(0), "R9");
    EXPECT_EQ(text(1), "SCRITTA DOPO");
    EXPECT_EQ(form->ScreenMode, screen::Mode::Inserimento);

    ASSERT_TRUE(server.up());
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(boxes->seen().size(), 3u);  // connected again without a question
    auto db = store::openServerDatabase(server.conninfo(), "DEMO");
    auto cursor = db->openTable("TabellaSerieSemplificata");
    cursor->setIndex("primaria");
    cursor->seek("=", "R9");
    ASSERT_FALSE(cursor->noMatch());
    EXPECT_EQ(cursor->field("SspDescrizione").toString(), "SCRITTA DOPO");
}

TEST_F(ServerWindow, ACompanyCodeWithAccentedLettersOpensAsInTheFile)
{
    // The suite's INI file is Windows-1252; the schema takes the code in UTF-8,
    // as the company's folder does.
    const QString code = QStringLiteral("CAFF\u00C8 %1").arg(QCoreApplication::applicationPid());
    ASSERT_EQ(company::server::CreateCompanySchema(testing_support::TestServer(), code), "");
    QFile ini(programFolder.path() + QStringLiteral("/Morvanex.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[BASE]\nDITTA=CAFF\xC8 " + QByteArray::number(QCoreApplication::applicationPid()) +
              "\n[DATABASE]\nSERVER=" + testing_support::TestServer().toUtf8() + "\n");
    ini.close();
    Start();
    EXPECT_TRUE(boxes->seen().empty()) << boxes->prompts().join('|').toStdString();
    EXPECT_TRUE(form->company.RegisterTableOpen);
    form.reset();
    EXPECT_EQ(company::server::DropCompanySchema(testing_support::TestServer(), code), "");
}

}  // namespace screen_tests

namespace screen_tests {

// A company on the server without a guard of its history (a trigger dropped,
// as a company half made by an earlier version is left) is refused before
// anything is written, with the cure; one whose guards an earlier version
// made differently (verify names them) opens.
TEST_F(ServerWindow, ACompanyMissingAGuardOfItsHistoryIsRefusedWithTheCureAndAnEarlierVersionsGuardsOpen)
{
    const auto server = testing_support::MakeTestCompany(testing_support::Engine::Server, true);
    const QString schema = store::quoted(server->company());
    server->exec(QStringLiteral("ALTER FUNCTION %1.%2() SET work_mem = '8MB'")
                     .arg(schema, store::quoted(store::HistoryTable + "_rifiuta_svuota")));
    QStringList changed;
    ASSERT_EQ(company::server::HistoryGuardProblems(server->location(), server->company(), &changed), "");
    ASSERT_EQ(changed.size(), 1);
    WriteServerIni(server->location(), server->company());
    Start();
    EXPECT_TRUE(boxes->seen().empty()) << boxes->prompts().join('|').toStdString();
    EXPECT_TRUE(form->company.RegisterTableOpen);
    form.reset();

    const QString trigger = store::RegisterTable + "_storico";
    server->exec(QStringLiteral("DROP TRIGGER %1 ON %2.%3")
                     .arg(store::quoted(trigger), schema, store::quoted(store::RegisterTable)));
    const int rows = server->count(store::RegisterTable);
    boxes->expect(BoxAnswer::Ok);
    Load();
    ASSERT_EQ(boxes->seen().size(), 1u);
    const QString prompt = boxes->seen()[0].prompt;
    EXPECT_TRUE(prompt.startsWith("LA SOCIETA' " + server->company() +
                                  " SUL SERVER E' INCOMPLETA O IL SUO STORICO NON E' PROTETTO:\n"
                                  "- manca il trigger " + trigger + " della tabella " + store::RegisterTable + "\n"))
        << prompt.toStdString();
    EXPECT_FALSE(prompt.contains("work_mem")) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains(shell::AdminCommand() + " upgrade " + shell::ShellWord("<connessione>") + " " +
                                shell::ShellWord(server->company()) + "\n"))
        << prompt.toStdString();
    EXPECT_EQ(boxes->seen()[0].code, store::BoxCode::OkCritical);
    EXPECT_EQ(endings, 1);
    EXPECT_FALSE(form->company.RegisterTableOpen);
    EXPECT_EQ(server->count(store::RegisterTable), rows);

    // Shown for real, the box closes with Escape and the program ends.
    form.reset();
    boxes.reset();
    endings = 0;
    bool closed = false;
    EscapeTheNextBox(&closed);
    Load();
    EXPECT_TRUE(closed);
    EXPECT_EQ(endings, 1);
    form.reset();
    boxes = std::make_unique<testing_support::RuntimeBoxes>();
}

}  // namespace screen_tests
