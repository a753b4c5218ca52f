// A register set's code keeps one rule everywhere: no blank at either end, no
// control or invisible character, composed form (NFC). The server's CHECK and
// the file's triggers refuse a code breaking it, whoever writes; upgrade adds
// the rule to a company made before it and lists the codes already breaking
// it, shown escaped, without changing them.
#include "admin_run.h"

#include "company/company_server.h"
#include "store/engine/engine.h"
#include "store/schema/register_code.h"
#include "support/test_company.h"

#include <libpq-fe.h>

#include <QTemporaryDir>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using testing_support::Engine;
using testing_support::MakeTestCompany;

namespace {

class RegisterCode : public testing::TestWithParam<Engine> {};

}  // namespace

TEST_P(RegisterCode, ACodeBreakingTheRuleIsRefusedAndUpgradeListsTheOnesStoredBefore)
{
    auto company = MakeTestCompany(GetParam());
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const bool server = GetParam() == Engine::Server;
    const QString filler = server ? "chr(12644)" : "char(12644)";
    const QString insert = "INSERT INTO \"TabellaSerieSemplificata\" (\"SspCodice\") VALUES (%1)";
    QStringList refused{"'AB01 '", "' AB01'", "'AB01' || " + filler, "'A' || " + (server ? QString("chr(9)") : "char(9)")};
    if (server)
        refused << "normalize('ÄB', NFD)";
    for (const QString& code : refused) {
        SCOPED_TRACE(code.toStdString());
        EXPECT_NONFATAL_FAILURE(company->exec(insert.arg(code)), "");
    }
    company->exec(insert.arg("'ÄB'"));
    // The program's own rule, the composed form included.
    EXPECT_EQ(store::RegisterCodeProblem(QString::fromUtf8("ÄB")), "");
    EXPECT_NE(store::RegisterCodeProblem(QString::fromUtf8("ÄB").normalized(QString::NormalizationForm_D)), "");
    EXPECT_NE(store::RegisterCodeProblem(QString::fromUtf8("AB01\u3164")), "");

    // A company made before the rule, holding a code that breaks it.
    if (server)
        company->exec("ALTER TABLE \"TabellaSerieSemplificata\" DROP CONSTRAINT \"TabellaSerieSemplificata_codice_ammesso\"");
    else
        company->exec("DROP TRIGGER \"TabellaSerieSemplificata_codice_nuovo\"; "
                      "DROP TRIGGER \"TabellaSerieSemplificata_codice_cambiato\"");
    company->exec(insert.arg("'AB01' || " + filler));
    AdminRun run = Admin({"upgrade", company->location(), company->company()});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("lasciati come sono): \"AB01\\u3164\"")) << run.out.toStdString();
    EXPECT_EQ(company->scalar("SELECT count(*) FROM \"TabellaSerieSemplificata\"").toInt(), 2);
    EXPECT_NONFATAL_FAILURE(company->exec(insert.arg("'AB02 '")), "");
    if (!server) {
        // The program's write lists every column, the code kept as it was:
        // a set stored before the rule stays changeable.
        company->exec("UPDATE \"TabellaSerieSemplificata\" SET \"SspCodice\" = \"SspCodice\", "
                      "\"SspDescrizione\" = 'CAMBIATA' WHERE \"SspCodice\" = 'AB01' || " + filler);
        EXPECT_EQ(company->scalar("SELECT count(*) FROM \"TabellaSerieSemplificata\" "
                                  "WHERE \"SspDescrizione\" = 'CAMBIATA'").toInt(), 1);
        EXPECT_NONFATAL_FAILURE(company->exec("UPDATE \"TabellaSerieSemplificata\" SET \"SspCodice\" = 'AB03 ' "
                                              "WHERE \"SspCodice\" = 'ÄB'"), "");
    }
    run = Admin({"upgrade", company->location(), company->company()});
    EXPECT_FALSE(run.out.contains("lasciati come sono")) << run.out.toStdString();
}

TEST(ServerRegisterCode, ACompanyHoldingCodesStoredBeforeTheRuleIsCopiedBothWaysAndBackedUpAsItIs)
{
    const QString server = qEnvironmentVariable("QUENVOL_TEST_PG");
    if (server.isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    // A file company from before the rule, holding a code that breaks it.
    auto file = MakeTestCompany(Engine::File, true);
    file->exec("DROP TRIGGER \"TabellaSerieSemplificata_codice_nuovo\"");
    file->exec("INSERT INTO TabellaSerieSemplificata (SspCodice, SspDescrizione) VALUES ('AB01 ', 'SOSIA')");
    const QString code = file->company();
    company::server::DropCompanySchema(server, code);
    AdminRun run = Admin({"copy", file->location(), server, code});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QTemporaryDir folder;
    run = Admin({"copy", server, folder.path(), code});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    run = Admin({"backup", server, code, folder.filePath("copie")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    // The server's copy keeps the set, and the rule for new codes.
    PGconn* conn = PQconnectdb(server.toUtf8().constData());
    const QByteArray table = "\"" + code.toUtf8() + "\".\"TabellaSerieSemplificata\"";
    PGresult* kept = PQexec(conn, "SELECT \"SspDescrizione\" FROM " + table + " WHERE \"SspCodice\" = 'AB01 '");
    EXPECT_EQ(PQntuples(kept), 1) << PQerrorMessage(conn);
    PQclear(kept);
    PGresult* refused = PQexec(conn, "INSERT INTO " + table + " (\"SspCodice\") VALUES ('AB02 ')");
    EXPECT_EQ(PQresultStatus(refused), PGRES_FATAL_ERROR);
    PQclear(refused);
    PQfinish(conn);
    // The file's copy too.
    auto copied = store::openDatabase(folder.filePath(code + "/quelda.mdb"));
    auto registers = copied->openTable("TabellaSerieSemplificata");
    registers->addNew();
    registers->setField("SspCodice", "AB02 ");
    EXPECT_THROW(registers->update(), store::EngineError);
    company::server::DropCompanySchema(server, code);
}

INSTANTIATE_TEST_SUITE_P(File, RegisterCode, testing::Values(Engine::File), testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(ServerCases, RegisterCode, testing::Values(Engine::Server), testing::PrintToStringParamName());
