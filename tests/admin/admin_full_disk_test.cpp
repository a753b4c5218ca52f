// quenvol-admin init and copy on a full disk (a small tmpfs), and the
// temporary files a killed run leaves: no company file stays behind, and the
// same command succeeds once there is room. Linux only (tmpfs, process ids).
#ifndef _WIN32
#include "admin_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

int RunProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// What a folder holds, hidden files included.
QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

class AdminFullDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch_.isValid());
        disk_ = scratch_.filePath("disco");
        ASSERT_TRUE(QDir().mkpath(disk_));
        // A company file with its tables takes about 40 KB: 16 KB cannot hold it.
        if (RunProgram("mount", {"-t", "tmpfs", "-o", "size=16k", "tmpfs", disk_}) != 0)
            GTEST_SKIP() << "mounting a tmpfs was refused (the test needs the privileges CI runs with)";
        mounted_ = true;
    }
    void TearDown() override
    {
        if (mounted_)
            RunProgram("umount", {disk_});
    }
    void makeRoom() { ASSERT_EQ(RunProgram("mount", {"-o", "remount,size=4m", disk_}), 0); }

    QTemporaryDir scratch_;
    QString disk_;
    bool mounted_ = false;
};

TEST_F(AdminFullDisk, InitLeavesNoCompanyAndSucceedsOnceThereIsRoom)
{
    const AdminRun full = Admin({"init", disk_, "ACME", "--demo"});
    EXPECT_EQ(full.status, 1);
    EXPECT_TRUE(full.err.contains("Il disco è pieno")) << full.err.toStdString();
    EXPECT_EQ(Entries(disk_), QStringList());

    makeRoom();
    const AdminRun retry = Admin({"init", disk_, "ACME", "--demo"});
    EXPECT_EQ(retry.status, 0) << retry.err.toStdString();
    EXPECT_EQ(Entries(disk_ + "/ACME"), QStringList({"quelda.mdb"}));
}

TEST_F(AdminFullDisk, CopyLeavesNoCompanyAndSucceedsOnceThereIsRoom)
{
    const QString source = scratch_.filePath("origine");
    ASSERT_EQ(Admin({"init", source, "ACME", "--demo"}).status, 0);
    ASSERT_TRUE(QDir().mkpath(disk_ + "/ACME"));  // a folder made earlier stays, empty

    const AdminRun full = Admin({"copy", source, disk_, "ACME"});
    EXPECT_EQ(full.status, 1);
    EXPECT_TRUE(full.err.contains("Il disco è pieno")) << full.err.toStdString();
    EXPECT_EQ(Entries(disk_ + "/ACME"), QStringList());

    makeRoom();
    const AdminRun retry = Admin({"copy", source, disk_, "ACME"});
    EXPECT_EQ(retry.status, 0) << retry.err.toStdString();
    EXPECT_EQ(Entries(disk_ + "/ACME"), QStringList({"quelda.mdb"}));
}

// A disk mounted read-only: the folder that cannot be made, or the file that
// cannot be made in a folder already there, is told with the cause.
TEST_F(AdminFullDisk, AReadOnlyDiskIsNamedAsTheCauseOfAFolderOrFileNotMade)
{
    ASSERT_TRUE(QDir().mkpath(disk_ + "/ACME"));
    ASSERT_EQ(RunProgram("mount", {"-o", "remount,ro", disk_}), 0);
    AdminRun run = Admin({"init", disk_, "BETA"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("impossibile creare la cartella " + disk_ + "/BETA: il disco è in sola lettura"))
        << run.err.toStdString();
    run = Admin({"init", disk_, "ACME"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("il disco è in sola lettura")) << run.err.toStdString();
}

// Every file a command writes goes through a temporary name: on a disk with
// no room left none stays, the failure names the file and says the disk is
// full, and the same command succeeds once there is room.
TEST_F(AdminFullDisk, BackupSealAndPrintNameTheirFileSayTheDiskIsFullAndLeaveNothing)
{
    const QString source = scratch_.filePath("origine");
    ASSERT_EQ(Admin({"init", source, "ACME", "--demo"}).status, 0);
    ASSERT_EQ(Admin({"upgrade", source, "ACME"}).status, 0);
    {
        QFile filler(disk_ + "/riempimento");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    const QString seal = disk_ + "/sigillo.txt";
    const QString pdf = disk_ + "/deposito.pdf";
    const QStringList commands[] = {
        {"backup", source, "ACME", disk_},
        {"seal", source, "ACME", "--output", seal},
        {"print", "pages", source, "ACME", "R1", "DEPOSITO", "1", "2", "--output", pdf},
    };
    for (const QStringList& command : commands) {
        const AdminRun full = Admin(command);
        EXPECT_EQ(full.status, 1) << command[0].toStdString();
        EXPECT_TRUE(full.err.contains(disk_) && full.err.contains("disco pieno")) << full.err.toStdString();
        EXPECT_EQ(Entries(disk_), QStringList({"riempimento"}));
    }

    makeRoom();
    for (const QStringList& command : commands) {
        const AdminRun retry = Admin(command);
        EXPECT_EQ(retry.status, 0) << retry.err.toStdString();
    }
    EXPECT_EQ(Entries(disk_).size(), 5);  // the filler, the backup, its .sha256, the seal, the print
}

// The temporary files of a run that was killed (its process is gone) are
// removed by the next run; those of a running process are left alone.
TEST(AdminStaleFiles, TheNextRunRemovesWhatADeadRunLeft)
{
    QTemporaryDir data;
    const QString folder = data.filePath("ACME");
    ASSERT_TRUE(QDir().mkpath(folder));
    QProcess ended;
    ended.start("true", {});
    ASSERT_TRUE(ended.waitForStarted());
    const QString deadPid = QString::number(ended.processId());
    ASSERT_TRUE(ended.waitForFinished());
    char name[256] = {};
    ASSERT_EQ(gethostname(name, sizeof name - 1), 0);
    const QString host = QString::fromLocal8Bit(name);
    const QString alive = QStringLiteral(".quelda.mdb.tmp-%1-1").arg(host);  // process 1 runs
    for (const QString& name : {".quelda.mdb.tmp-" + host + "-" + deadPid,
                                ".quelda.mdb.tmp-" + host + "-" + deadPid + "-journal",
                                ".quelda.mdb.import-" + deadPid, alive}) {
        QFile file(folder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("incompleto");
    }

    const AdminRun run = Admin({"init", data.path(), "ACME"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(Entries(folder), QStringList({alive, "quelda.mdb"}));
}

}  // namespace
#endif
