// What quenvol-admin makes is for the office's account and group only, and
// nothing of a run stays in the temporary folder, even when it was killed.
#include "admin_run.h"

#include "support/scoped_environment.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

TEST(AdminPrivate, ACompanyIsMadeReadableAndWritableByItsGroupAndByNoOtherAccount)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows: the folder's permissions decide";
#else
    QTemporaryDir top;
    const QString data = top.filePath("dati");
    const AdminRun run = Admin({"init", data, "ROSSI"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const auto folder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                        QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser |
                        QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup;
    const auto file = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                      QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    EXPECT_EQ(QFileInfo(data).permissions(), folder);
    EXPECT_EQ(QFileInfo(data + "/ROSSI").permissions(), folder);
    EXPECT_EQ(QFileInfo(data + "/ROSSI/quelda.mdb").permissions(), file);
#endif
}

TEST(AdminPrivate, TheScratchFolderOfAKilledImportIsRemovedByTheNextOne)
{
    QTemporaryDir temp;
    const QByteArray path = QFile::encodeName(QDir::toNativeSeparators(temp.path()));
    const testing_support::ScopedEnvironment tmpdir("TMPDIR", path), tmp("TMP", path), tempVariable("TEMP", path);
    // As a run killed with its scratch folder made would leave it (no such process runs).
    ASSERT_TRUE(QDir().mkpath(temp.filePath("quenvol-admin-2147480000/ROSSI")));
    const AdminRun run = Admin({"import", temp.filePath("manca.mdb"), "host=" + temp.filePath("nessuno"), "ROSSI"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}
