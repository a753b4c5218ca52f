// quenvol-admin backup --keep N as a nightly job runs it: the older copies of
// the company go with their SHA-256 files, the copy just made always stays,
// and other companies' copies are left alone.
#include "admin_run.h"
#include "support/temp_company.h"

#include <QDir>
#include <QFile>

namespace {

// A copy of `from` under `name` in `folder`, with a SHA-256 file that matches
// it or not.
void PlaceCopy(const QString& from, const QString& folder, const QString& name, const QByteArray& sum)
{
    ASSERT_TRUE(QFile::copy(from, folder + "/" + name));
    QFile checksum(folder + "/" + name + ".sha256");
    ASSERT_TRUE(checksum.open(QIODevice::WriteOnly));
    checksum.write(sum + "  " + name.toUtf8() + "\n");
}

}  // namespace

TEST(AdminBackup, KeepLeavesTheNewestCopiesAndNeverTheOneJustMade)
{
    testing_support::TempCompany company(true);
    const QString folder = company.folder() + "/copie";
    AdminRun run = Admin({"backup", company.folder(), "DEMO", folder, "--keep", "0"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("--keep vuole un numero di copie da 1 in su")) << run.err.toStdString();
    EXPECT_FALSE(QDir(folder).exists());

    run = Admin({"backup", company.folder(), "DEMO", folder});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QDir copies(folder);
    const QStringList first = copies.entryList({"DEMO_*.mdb"});
    ASSERT_EQ(first.size(), 1);
    QFile sumFile(folder + "/" + first[0] + ".sha256");
    ASSERT_TRUE(sumFile.open(QIODevice::ReadOnly));
    const QByteArray sum = sumFile.readAll().left(64);
    const QString made = folder + "/" + first[0];
    PlaceCopy(made, folder, "DEMO_2000-01-01_000000.mdb", sum);
    PlaceCopy(made, folder, "DEMO_2000-01-02_000000.mdb", sum);
    PlaceCopy(made, folder, "ALTRA_2000-01-01_000000.mdb", sum);
    // A copy dated in the future (a clock set wrong) whose file no longer matches.
    PlaceCopy(made, folder, "DEMO_2099-01-01_000000.mdb", QByteArray(64, '0'));
    ASSERT_TRUE(QFile::remove(made));
    ASSERT_TRUE(QFile::remove(made + ".sha256"));

    run = Admin({"backup", company.folder(), "DEMO", folder, "--keep", "1"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList left = copies.entryList({"*.mdb"}, QDir::Files, QDir::Name);
    ASSERT_EQ(left.size(), 3) << left.join(' ').toStdString();
    EXPECT_EQ(left[0], "ALTRA_2000-01-01_000000.mdb");
    EXPECT_TRUE(left[1].startsWith("DEMO_20") && left[1] != "DEMO_2099-01-01_000000.mdb");  // the one just made
    EXPECT_EQ(left[2], "DEMO_2099-01-01_000000.mdb");
    EXPECT_TRUE(run.out.contains("tolta la copia vecchia " + folder + "/DEMO_2000-01-01_000000.mdb"))
        << run.out.toStdString();
    EXPECT_FALSE(QFile::exists(folder + "/DEMO_2000-01-02_000000.mdb.sha256"));
    EXPECT_TRUE(QFile::exists(folder + "/" + left[1] + ".sha256"));
}
