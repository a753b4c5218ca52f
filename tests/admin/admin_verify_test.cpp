// quenvol-admin verify, seal, backup and upgrade of the chain, run as an
// office and an inspector run them, on the file and on the server: verify
// names the first row changed or removed and a history cut after its seal;
// a backup taken while a workstation writes is whole and sha256sum accepts it;
// the data replayed from the history; a seal dated by a time-stamping
// authority run with openssl on loopback.
#include "admin_run.h"
#include "time_authority.h"

#include "../shell/test_programs.h"
#include "company/starting_state.h"
#include "store/history/history_chain.h"
#include "store/history/history_event.h"
#include "store/history/history_writer.h"
#include "store/schema/schema.h"
#include "store/schema/table_description.h"
#include "support/test_company.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

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
        // The server records an event only for a register set that is there:
        // R1 is added first, through its triggers, and the rows that records
        // come before the events.
        if (GetParam() == Engine::Server)
            company->exec("INSERT INTO \"TabellaSerieSemplificata\" (\"SspCodice\") VALUES ('R1')");
        base = company->count(HistoryTable);
        db = company->open();
    }
    // The number of the history's row `n` counted from the first event.
    QString row(int n) const { return QString::number(base + n); }

    void record(int n)
    {
        for (int i = 0; i < n; ++i)
            RecordHistoryEvent(*db, {"R1", "stampa pagine", "ARRIVI", ++pages, pages + 1});
    }
    // The owner at work behind the program's back: the guards set aside, and
    // put back (verify names a guard left dropped or disabled).
    void tamper(const QString& sql)
    {
        if (GetParam() == Engine::File) {
            QStringList guards;
            for (const QString& statement : CreateStatements(HistoryTableDescription()))
                if (statement.startsWith("CREATE TRIGGER"))
                    guards << statement;
            company->exec("DROP TRIGGER IF EXISTS StoricoSerieSemplificata_no_update; "
                          "DROP TRIGGER IF EXISTS StoricoSerieSemplificata_no_delete; " + sql + "; " +
                          guards.join("; "));
        }
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
    int base = 0;  // the rows before the first event
};

}  // namespace

TEST_P(AdminChain, VerifyNamesTheFirstChangedRow)
{
    record(4);
    AdminRun run = verify();
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(row(4) + " righe, ultima riga " + row(4))) << run.out.toStdString();
    tamper("UPDATE \"StoricoSerieSemplificata\" SET \"StoUtente\" = 'direttore' WHERE \"StoId\" = " + row(2));
    run = verify();
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("alla riga " + row(2))) << run.err.toStdString();
}

TEST_P(AdminChain, VerifyNamesTheFirstRemovedRow)
{
    record(4);
    tamper("DELETE FROM \"StoricoSerieSemplificata\" WHERE \"StoId\" = " + row(3));
    const AdminRun run = verify();
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("manca la riga " + row(3))) << run.err.toStdString();
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
    tamper("DELETE FROM \"StoricoSerieSemplificata\" WHERE \"StoId\" >= " + row(3));
    EXPECT_EQ(verify().status, 0);
    run = verify({"--seal", seal});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("alla riga " + row(3))) << run.err.toStdString();
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

TEST_P(AdminChain, VerifyListsWhereTheDataIsNotWhatTheHistoryGives)
{
    auto demo = MakeTestCompany(GetParam(), true);
    // Rows put in with no history of them: verify says so until they are the starting state.
    EXPECT_EQ(Admin({"verify", demo->location(), demo->company()}).status, 1);
    QString said;
    ASSERT_EQ(company::starting_state::Record(demo->location(), demo->company(), &said), "");
    EXPECT_TRUE(said.contains("5 registri")) << said.toStdString();
    AdminRun run = Admin({"verify", demo->location(), demo->company()});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString change = "UPDATE \"TabellaSerieSemplificata\" SET \"SspArrGaranz\" = 986999.99 WHERE \"SspCodice\" = 'AB01'; "
                           "DELETE FROM \"TabellaSerieSemplificata\" WHERE \"SspCodice\" = 'DEP7'";
    if (GetParam() == Engine::File)
        demo->exec(change);
    else  // the owner, with the triggers set aside
        demo->exec("ALTER TABLE \"TabellaSerieSemplificata\" DISABLE TRIGGER USER; " + change +
                   "; ALTER TABLE \"TabellaSerieSemplificata\" ENABLE TRIGGER USER");
    run = Admin({"verify", demo->location(), demo->company()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("\"AB01\" SspArrGaranz: \"986999.99\", dallo storico \"1234.5\"")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("\"DEP7\" SspDescrizione: (nessuna riga), dallo storico \"INTERPORTO EST\""))
        << run.err.toStdString();
}

TEST(AdminVerifyShown, ADifferenceNamesDatesAsDatesAndTellsLookAlikeCodesApart)
{
    auto demo = MakeTestCompany(Engine::File, true);
    QString said;
    ASSERT_EQ(company::starting_state::Record(demo->location(), demo->company(), &said), "");
    // Behind the program: a date past 9999, and a set whose code is "ÄB"
    // written decomposed, stored before the code rule.
    demo->exec("UPDATE TabellaSerieSemplificata SET SspArrData = 2958466 WHERE SspCodice = 'AB01'");
    demo->exec("DROP TRIGGER \"TabellaSerieSemplificata_codice_nuovo\"");
    demo->exec("INSERT INTO TabellaSerieSemplificata (SspCodice, SspDescrizione) VALUES (char(65, 776, 66), 'SOSIA')");
    const AdminRun run = Admin({"verify", demo->location(), demo->company()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("\"AB01\" SspArrData: 01/01/10000, dallo storico 15/09/2003")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("\"A\\u0308B\" SspDescrizione: \"SOSIA\", dallo storico (nessuna riga)"))
        << run.err.toStdString();
}

TEST_P(AdminChain, VerifyFindsAGapThatTheRowsAfterItWereRechainedOver)
{
    record(3);
    // Row 2 goes and row 3 is chained again to row 1: every fingerprint agrees, the numbers do not.
    Row third;
    {
        auto rows = db->openSnapshot(HistoryTable);
        for (; !rows->atEnd(); rows->moveNext())
            if (rows->field("StoId").toLongLong() == base + 3)
                for (int c = 0; c < HistoryColumns::Impronta; ++c)
                    third.push_back(rows->field(HistoryTableDescription().columnName(c)));
    }
    const QString fingerprint = HistoryFingerprint(*HistoryRowFingerprint(*db, base + 1), third);
    tamper("DELETE FROM \"StoricoSerieSemplificata\" WHERE \"StoId\" = " + row(2) +
           "; UPDATE \"StoricoSerieSemplificata\" SET \"StoImpronta\" = '" + fingerprint + "' WHERE \"StoId\" = " +
           row(3));
    const AdminRun run = verify();
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("manca la riga " + row(2))) << run.err.toStdString();
}

TEST_P(AdminChain, ASealWithoutATimeStampIsDatedByTheOfficeAloneAndItsRowCountIsChecked)
{
    record(2);
    QTemporaryDir dir;
    const QString seal = dir.filePath("sigillo.txt");
    ASSERT_EQ(Admin({"seal", company->location(), company->company(), "--output", seal}).status, 0);
    AdminRun run = verify({"--seal", seal});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("data dichiarata dal sigillo")) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("confermato")) << run.out.toStdString();
    QFile file(seal);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray edited = file.readAll().replace("righe: " + row(2).toUtf8(), "righe: " + row(1).toUtf8());
    file.resize(0);
    file.write(edited);
    file.close();
    run = verify({"--seal", seal});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("il sigillo conta " + row(1) + " righe")) << run.err.toStdString();
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

TEST(AdminSealTimeStamp, TheAuthoritysTimeDatesTheSealAndAnyOtherTokenIsRefused)
{
    auto company = MakeTestCompany(Engine::File);
    auto db = company->open();
    RecordHistoryEvent(*db, {"R1", "stampa pagine", "ARRIVI", 1, 2});
    QTemporaryDir dir;
    const QString ourCa = dir.filePath("nostra/ca.pem"), otherCa = dir.filePath("altra/ca.pem");
    Authority ours(MakeAuthority(dir.filePath("nostra"))), other(MakeAuthority(dir.filePath("altra")));
    const auto seal = [&](const QString& name, const QStringList& more) {
        const QString file = dir.filePath(name);
        const AdminRun run = Admin(QStringList{"seal", company->location(), company->company(), "--output", file} + more);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        return file;
    };
    const auto verify = [&](const QString& file, const QString& ca) {
        return Admin({"verify", company->location(), company->company(), "--seal", file, "--tsa-ca", ca});
    };
    const QString stamped = seal("sigillo.txt", {"--tsa", ours.url(), "--tsa-ca", ourCa});
    AdminRun run = verify(stamped, ourCa);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("datato dall'autorità di marca temporale")) << run.out.toStdString();

    // Signed by an authority the CA file does not vouch for.
    EXPECT_EQ(verify(stamped, otherCa).status, 1);
    run = verify(seal("altra.txt", {"--tsa", other.url()}), ourCa);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("non è firmata")) << run.err.toStdString();

    // The token of another seal, and a seal edited after it was stamped.
    QFile first(stamped);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    const QByteArray text = first.readAll();
    const QByteArray token = text.mid(text.indexOf("marca temporale: "));
    RecordHistoryEvent(*db, {"R1", "stampa pagine", "ARRIVI", 3, 4});
    const QString later = seal("dopo.txt", {});
    QFile moved(later);
    ASSERT_TRUE(moved.open(QIODevice::Append));
    moved.write(token);
    moved.close();
    run = verify(later, ourCa);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("non è di questo sigillo")) << run.err.toStdString();
    QFile edited(dir.filePath("modificato.txt"));
    ASSERT_TRUE(edited.open(QIODevice::WriteOnly));
    edited.write(QByteArray(text).replace("righe: 1", "righe: 2"));
    edited.close();
    EXPECT_EQ(verify(edited.fileName(), ourCa).status, 1);
}

TEST(AdminSealForm, ASealWhoseRowCountOrFingerprintCannotBeAHistorysIsRefusedBeforeAnythingElse)
{
    auto company = MakeTestCompany(Engine::File);
    QTemporaryDir dir;
    const QString seal = dir.filePath("sigillo.txt");
    const QString fingerprint(64, QLatin1Char('a'));
    for (const auto& [lastRow, rows, print] : std::vector<std::tuple<QString, QString, QString>>{
             {"-7", "0", "nessuna"}, {"-7", "1", fingerprint}, {"3", "4", fingerprint}, {"3", "0", fingerprint},
             {"3", "3", fingerprint.left(63)}, {"3", "3", fingerprint.left(63) + "g"}}) {
        QFile file(seal);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QStringLiteral("SIGILLO DELLO STORICO DELLE MODIFICHE - QUENVOL\nsocieta: %1\nultima riga: %2\n"
                                  "righe: %3\nimpronta: %4\n")
                       .arg(company->company(), lastRow, rows, print)
                       .toUtf8());
        file.close();
        const AdminRun run = Admin({"verify", company->location(), company->company(), "--seal", seal});
        EXPECT_EQ(run.status, 1) << lastRow.toStdString() << " " << rows.toStdString();
        EXPECT_TRUE(run.err.contains("il sigillo non è valido")) << run.err.toStdString();
        EXPECT_FALSE(run.out.contains("corrisponde")) << run.out.toStdString();
    }
}

TEST(AdminSealForm, ASealWithALineNotItsOwnRepeatedOrMalformedIsRefusedBeforeAnythingElse)
{
    auto company = MakeTestCompany(Engine::File);
    QTemporaryDir dir;
    const QString seal = dir.filePath("sigillo.txt");
    ASSERT_EQ(Admin({"seal", company->location(), company->company(), "--output", seal}).status, 0);
    QFile made(seal);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    const QByteArray text = made.readAll();
    made.close();
    const QByteArray lastRow = text.mid(text.indexOf("ultima riga: ")).split('\n').first();
    const QByteArray date = text.mid(text.indexOf("data e ora (UTC): ")).split('\n').first();
    for (const auto& [edited, expected] : std::vector<std::pair<QByteArray, const char*>>{
             {text + "nota: controllato\n", "la riga 'nota: controllato' non è di un sigillo"},
             {text + lastRow + "\n", "la riga \"ultima riga\" è ripetuta"},
             {QByteArray(text).replace(lastRow, lastRow + "abc"), "l'ultima riga deve essere un numero intero"},
             {QByteArray(text).replace(date, "data e ora (UTC): ieri"), "la data e ora deve essere nella forma"},
             {QByteArray(text).replace(date + "\n", ""), "il sigillo è incompleto: manca la data e ora"}}) {
        SCOPED_TRACE(expected);
        QFile file(seal);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(edited);
        file.close();
        const AdminRun run = Admin({"verify", company->location(), company->company(), "--seal", seal});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(expected))) << run.err.toStdString();
        EXPECT_FALSE(run.out.contains("corrisponde")) << run.out.toStdString();
    }
}
