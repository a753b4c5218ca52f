// quenvol-admin backup and print killed with SIGKILL at each stage of
// building their file (before the temporary file, while it is written, between
// the write and the rename, after the rename): the kill leaves the temporary
// file behind where it landed in the middle, and what stays in the folder
// once the next command has written there is complete files only.
#include "admin_run.h"

#include "company/company_server.h"

#include "store/history/history_chain.h"
#include "store/engine/engine.h"
#include "store/schema/table_description.h"
#include "support/scoped_environment.h"
#include "support/temp_company.h"
#include "support/test_company.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

using testing_support::TempCompany;

namespace {

QStringList Hidden(const QString& folder)
{
    return QDir(folder).entryList(QStringList{".*"}, QDir::Files | QDir::Hidden | QDir::System);
}

const char* const Stages[] = {"prima", "in_scrittura", "scritta", "rinominata"};
constexpr int Rounds = 20;

// Whether a kill at this stage finds the temporary file made and not renamed.
bool Midway(int round)
{
    return round % 4 == 1 || round % 4 == 2;
}

// Starts the command, asked to stop at the stage of this round, and kills it
// there. False when the command ended without getting there.
bool RunAndKillAt(const QStringList& arguments, int round, const QString& mark)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUENVOL_TEST_STOP_AT"), QString::fromLatin1(Stages[round % 4]));
    environment.insert(QStringLiteral("QUENVOL_TEST_STOP_MARK"), mark);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("QUENVOL_BIN_DIR") + QStringLiteral("/quenvol-admin"), arguments);
    if (!process.waitForStarted())
        return false;
    while (process.state() == QProcess::Running && !QFile::exists(mark))
        process.waitForFinished(5);
    const bool reached = QFile::exists(mark);
    // A command that has already ended has no id left: kill(0) would take
    // the whole process group, the test runner with it.
    if (process.processId() > 0)
        ::kill(pid_t(process.processId()), SIGKILL);
    process.waitForFinished(60000);
    QFile::remove(mark);
    return reached;
}

QString Sha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
}

TEST(AdminKilled, BackupsKilledLeaveOnlyCompleteCopiesOnceTheNextBackupRan)
{
    TempCompany company(true);
    QTemporaryDir work;
    const QString mark = work.filePath("fermo");
    // A folder for each round: a backup's name is taken for the second it was made in.
    for (int round = 0; round < Rounds; ++round) {
        const QString into = work.filePath(QString::number(round));
        ASSERT_TRUE(QDir().mkpath(into));
        ASSERT_TRUE(RunAndKillAt({"backup", company.folder(), "DEMO", into}, round, mark)) << Stages[round % 4];
        if (Midway(round)) {
            EXPECT_FALSE(Hidden(into).isEmpty()) << "killed " << Stages[round % 4] << " without a temporary file";
        }
    }
    for (int round = 0; round < Rounds; ++round) {
        const QString into = work.filePath(QString::number(round));
        const AdminRun next = Admin({"backup", company.folder(), "DEMO", into});
        EXPECT_TRUE(Hidden(into).isEmpty()) << Hidden(into).join(' ').toStdString() << next.err.toStdString();
        for (const QString& name : QDir(into).entryList({"*.mdb"}, QDir::Files)) {
            const QString copy = QDir(into).filePath(name);
            QFile sum(copy + ".sha256");
            // Killed between the two renames or not, the next backup gave
            // every copy its checksum.
            EXPECT_TRUE(sum.open(QIODevice::ReadOnly)) << name.toStdString();
            EXPECT_TRUE(sum.readAll().startsWith(Sha256(copy).toLatin1())) << name.toStdString();
            // Killed between the copy and its checksum or not: the copy opens,
            // holds the register sets and its history's chain is whole.
            auto db = store::openDatabase(copy);
            EXPECT_FALSE(db->openSnapshot(store::RegisterTable)->atEnd()) << name.toStdString();
            const store::ChainCheck chain = store::VerifyHistoryChain(*db);
            EXPECT_TRUE(chain.whole) << name.toStdString() << ": " << chain.problem.toStdString();
        }
    }
}

TEST(AdminKilled, PrintsKilledLeaveOnlyCompleteFilesOnceTheNextPrintRan)
{
    TempCompany company(true);
    QTemporaryDir into, work, temp;
    // As from a cron job: no runtime folder named, the temporary folder one
    // this test can look into afterwards.
    std::optional<testing_support::ScopedEnvironment> runtime(std::in_place, "XDG_RUNTIME_DIR", std::nullopt);
    std::optional<testing_support::ScopedEnvironment> tempFolder(std::in_place, "TMPDIR",
                                                                 QFile::encodeName(temp.path()));
    const QString pdf = into.filePath("deposito.pdf");
    for (int round = 0; round < Rounds; ++round) {
        ASSERT_TRUE(RunAndKillAt({"print", "sheet", company.folder(), "DEMO", "R1", "--output", pdf}, round,
                                 work.filePath("fermo")))
            << Stages[round % 4];
        if (Midway(round)) {
            EXPECT_FALSE(Hidden(into.path()).isEmpty()) << "killed " << Stages[round % 4] << " without a temporary file";
        }
        if (round % 4 == 3) {
            EXPECT_TRUE(QFile::exists(pdf));
        }
    }
    const AdminRun last = Admin({"print", "sheet", company.folder(), "DEMO", "R1", "--output", pdf});
    runtime.reset();
    tempFolder.reset();
    EXPECT_EQ(last.status, 0) << last.err.toStdString();
    EXPECT_EQ(QDir(into.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList({"deposito.pdf"}));
    // The killed runs left no runtime folders of their own: all used the one.
    EXPECT_LE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 1)
        << QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).join(' ').toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-") && bytes.trimmed().endsWith("%%EOF"));
}

// A company copied to the server, or made there with its demonstration data,
// killed while its rows go over or just before they are committed: nothing of
// it is left on the server, and the same command run again makes it whole.
TEST(ServerAdminKilled, ACompanyKilledWhileMadeOnTheServerLeavesNothingAndTheRetryMakesItWhole)
{
    const QString server = qEnvironmentVariable("QUENVOL_TEST_PG");
    if (server.isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    QTemporaryDir work;
    const QString mark = work.filePath("fermo"), code = QStringLiteral("UCCISA%1").arg(QCoreApplication::applicationPid());
    ASSERT_EQ(Admin({"init", work.path(), code, "--demo"}).status, 0);
    const QList<QStringList> commands{{"copy", work.path(), server, code}, {"init", "--server", server, code, "--demo"}};
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command[0].toStdString());
        company::server::DropCompanySchema(server, code);
        for (const int round : {1, 2}) {  // while the rows go over; before the commit
            ASSERT_TRUE(RunAndKillAt(command, round, mark)) << Stages[round];
            QString error;
            EXPECT_FALSE(company::server::SchemaExists(server, code, &error)) << Stages[round];
            EXPECT_EQ(error, "");
        }
        const AdminRun retry = Admin(command);
        EXPECT_EQ(retry.status, 0) << retry.err.toStdString();
        const AdminRun verify = Admin({"verify", server, code});
        EXPECT_EQ(verify.status, 0) << verify.err.toStdString();
    }
    company::server::DropCompanySchema(server, code);
}

}  // namespace
