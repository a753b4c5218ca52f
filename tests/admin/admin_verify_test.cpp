// quenvol-admin verify, seal, backup and upgrade of the chain, run as an
// office and an inspector run them, on the file and on the server: verify
// names the first row changed or removed and a history cut after its seal;
// a backup taken while a workstation writes is whole and sha256sum accepts it.
#include "admin_run.h"

#include "store/history/history_chain.h"
#include "store/history/history_event.h"
#include "store/schema/table_description.h"
#include "support/test_company.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace store;
using testing_support::Engine;
using testing_support::MakeTestCompany;
using testing_support::TestCompany;

namespace {

class AdminChain : public testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        company = MakeTestCompany(GetParam());
        if (!company)
            GTEST_SKIP() << testing_support::NoTestServer;
        db = company->open();
    }

    void record(int n)
    {
        for (int i = 0; i < n; ++i)
            RecordHistoryEvent(*db, {"R1", "stampa pagine", "ARRIVI", ++pages, pages + 1});
    }
    // The owner at work behind the program's back: the guards set aside, and
    // on the server put back (verify names a guard left disabled).
    void tamper(const QString& sql)
    {
        if (GetParam() == Engine::File)
            company->exec("DROP TRIGGER IF EXISTS StoricoSerieSemplificata_no_update; "
                          "DROP TRIGGER IF EXISTS StoricoSerieSemplificata_no_delete; " + sql);
        else
            company->exec("ALTER TABLE \"StoricoSerieSemplificata\" DISABLE TRIGGER USER; " + sql +
                          "; ALTER TABLE \"StoricoSerieSemplificata\" ENABLE TRIGGER USER");
    }
    AdminRun verify(const QStringList& more = {})
    {
        return Admin(QStringList{"verify", company->location(), company->company()} + more);
    }

    std::unique_ptr<TestCompany> company;
    std::unique_ptr<Database> db;
    int pages = 0;
};

}  // namespace

TEST_P(AdminChain, VerifyNamesTheFirstChangedRow)
{
    record(4);
    AdminRun run = verify();
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("4 righe, ultima riga 4")) << run.out.toStdString();
    tamper("UPDATE \"StoricoSerieSemplificata\" SET \"StoUtente\" = 'direttore' WHERE \"StoId\" = 2");
    run = verify();
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("alla riga 2")) << run.err.toStdString();
}

TEST_P(AdminChain, VerifyNamesTheFirstRemovedRow)
{
    record(4);
    tamper("DELETE FROM \"StoricoSerieSemplificata\" WHERE \"StoId\" = 3");
    const AdminRun run = verify();
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("manca la riga 3")) << run.err.toStdString();
}

TEST_P(AdminChain, VerifyWithTheSealFindsAHistoryCutShortAfterIt)
{
    record(3);
    QTemporaryDir dir;
    const QString seal = dir.filePath("sigillo.txt");
    AdminRun run = Admin({"seal", company->location(), company->company(), "--output", seal});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_NE(Admin({"seal", company->location(), company->company(), "--output", seal}).status, 0);
    record(2);
    run = verify({"--seal", seal});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    // The last rows go: what is left is a whole chain, but not the sealed one.
    tamper("DELETE FROM \"StoricoSerieSemplificata\" WHERE \"StoId\" >= 3");
    EXPECT_EQ(verify().status, 0);
    run = verify({"--seal", seal});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("alla riga 3")) << run.err.toStdString();
}

TEST_P(AdminChain, ABackupTakenWhileAWorkstationWritesIsWhole)
{
    record(2);
    QTemporaryDir into;
    QProcess backup;
    backup.start(qEnvironmentVariable("QUENVOL_BIN_DIR") + "/quenvol-admin",
                 {"backup", company->location(), company->company(), into.path()});
    ASSERT_TRUE(backup.waitForStarted());
    int written = 0;
    while (backup.state() != QProcess::NotRunning) {
        record(1);
        ++written;
        backup.waitForFinished(0);
    }
    backup.waitForFinished();
    ASSERT_EQ(backup.exitCode(), 0) << backup.readAllStandardError().toStdString();
    const QStringList files = QDir(into.path()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
    const QString copy = into.filePath(files.filter(".mdb").value(0).remove(".sha256"));
    EXPECT_TRUE(QFileInfo(copy).fileName().startsWith(company->company() + "_"));

    QProcess check;
    check.setWorkingDirectory(into.path());
    check.start("sha256sum", {"-c", QFileInfo(copy).fileName() + ".sha256"});
    ASSERT_TRUE(check.waitForFinished());
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();

    auto backedUp = openDatabase(copy);
    const ChainCheck chain = VerifyHistoryChain(*backedUp);
    EXPECT_TRUE(chain.whole) << chain.problem.toStdString();
    EXPECT_GE(chain.rows, 2);
    EXPECT_LE(chain.rows, 2 + written);
}

INSTANTIATE_TEST_SUITE_P(File, AdminChain, testing::Values(Engine::File), testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(ServerCases, AdminChain, testing::Values(Engine::Server),
                         testing::PrintToStringParamName());

TEST(AdminUpgrade, AFileHistoryMadeBeforeTheFingerprintsIsChainedOnceAndSaysSo)
{
    auto company = MakeTestCompany(Engine::File);
    company->exec("ALTER TABLE StoricoSerieSemplificata DROP COLUMN StoImpronta; "
                  "ALTER TABLE StoricoSerieSemplificata DROP COLUMN StoIndirizzo; "
                  "ALTER TABLE StoricoSerieSemplificata DROP COLUMN StoRuolo; "
                  "INSERT INTO StoricoSerieSemplificata (StoCodice, StoDopo) VALUES ('R1', 'A'), ('R1', 'B');");
    EXPECT_EQ(Admin({"verify", company->location(), company->company()}).status, 1);
    AdminRun run = Admin({"upgrade", company->location(), company->company()});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("StoImpronta")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("2 righe")) << run.out.toStdString();
    run = Admin({"verify", company->location(), company->company()});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(Admin({"upgrade", company->location(), company->company()}).out.contains("nulla da fare"));
}

TEST(ServerAdminUpgrade, AServerCompanyMadeBeforeIsHandedToTheServerAndChained)
{
    auto company = MakeTestCompany(Engine::Server);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString schema = "\"" + company->company() + "\"";
    const QString role = company->company().toLower() + "_vecchio";
    // As an earlier version made it: the program wrote the rows, the role could add them.
    company->exec("DROP TRIGGER \"TabellaSerieSemplificata_storico\" ON \"TabellaSerieSemplificata\"; "
                  "DROP FUNCTION \"StoricoSerieSemplificata_dal_server\"(); "
                  "ALTER TABLE \"StoricoSerieSemplificata\" DROP COLUMN \"StoImpronta\", DROP COLUMN \"StoRuolo\", "
                  "DROP COLUMN \"StoIndirizzo\"; "
                  "INSERT INTO \"StoricoSerieSemplificata\" (\"StoCodice\", \"StoDopo\") VALUES ('R1', 'A'), ('R1', 'B')");
    company->exec(QStringLiteral("CREATE ROLE %1 LOGIN; GRANT USAGE ON SCHEMA %2 TO %1; "
                                 "GRANT SELECT, INSERT ON %2.\"StoricoSerieSemplificata\" TO %1")
                      .arg(role, schema));
    const AdminRun run = Admin({"upgrade", company->location(), company->company()});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("lo scrive il server")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(role)) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("2 righe")) << run.out.toStdString();
    EXPECT_FALSE(company->scalar(QStringLiteral("SELECT has_table_privilege('%1', '%2.\"StoricoSerieSemplificata\"', "
                                                "'INSERT')").arg(role, schema)).toBool());
    EXPECT_EQ(Admin({"verify", company->location(), company->company()}).status, 0);
    company->exec(QStringLiteral("DROP OWNED BY %1; DROP ROLE %1").arg(role));
}
