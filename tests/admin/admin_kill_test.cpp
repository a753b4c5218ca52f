// quenvol-admin backup and print killed with SIGKILL at varying points: what
// stays in the destination folder is complete files only, once the next
// command has written there.
#include "admin_run.h"

#include "support/temp_company.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using testing_support::TempCompany;

namespace {

QStringList Hidden(const QString& folder)
{
    return QDir(folder).entryList(QStringList{".*"}, QDir::Files | QDir::Hidden | QDir::System);
}

// Starts the command and kills it: at once for even rounds, otherwise as
// soon as a temporary file shows in `folder` (or when the command ends first).
void RunAndKill(const QStringList& arguments, const QString& folder, int round)
{
    QProcess process;
    process.start(qEnvironmentVariable("QUENVOL_BIN_DIR") + QStringLiteral("/quenvol-admin"), arguments);
    ASSERT_TRUE(process.waitForStarted());
    if (round % 2 == 1) {
        while (process.state() == QProcess::Running && Hidden(folder).isEmpty())
            process.waitForFinished(1);
    }
    ::kill(pid_t(process.processId()), SIGKILL);
    process.waitForFinished(60000);
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
    QTemporaryDir into;
    for (int round = 0; round < 20; ++round)
        RunAndKill({"backup", company.folder(), "DEMO", into.path()}, into.path(), round);
    // The next backup may find this second's name taken; it cleans up all the same.
    Admin({"backup", company.folder(), "DEMO", into.path()});
    EXPECT_EQ(Hidden(into.path()), QStringList());
    for (const QString& name : QDir(into.path()).entryList({"*.mdb"}, QDir::Files)) {
        QFile sum(into.filePath(name + ".sha256"));
        if (!sum.open(QIODevice::ReadOnly))
            continue;  // killed between the copy and its checksum: the copy is whole
        EXPECT_TRUE(sum.readAll().startsWith(Sha256(into.filePath(name)).toLatin1())) << name.toStdString();
    }
}

TEST(AdminKilled, PrintsKilledLeaveOnlyCompleteFilesOnceTheNextPrintRan)
{
    TempCompany company(true);
    QTemporaryDir into;
    const QString pdf = into.filePath("deposito.pdf");
    for (int round = 0; round < 20; ++round)
        RunAndKill({"print", "sheet", company.folder(), "DEMO", "R1", "--output", pdf}, into.path(), round);
    const AdminRun last = Admin({"print", "sheet", company.folder(), "DEMO", "R1", "--output", pdf});
    EXPECT_EQ(last.status, 0) << last.err.toStdString();
    EXPECT_EQ(QDir(into.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList({"deposito.pdf"}));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-") && bytes.trimmed().endsWith("%%EOF"));
}

}  // namespace
