// quenvol-admin backup and copy pass on only a whole company: a file that is
// no company is refused and leaves nothing, one that cannot be read is told
// as damaged with its cure; two backups in one second each
// get their own copy with its SHA-256; a history altered behind the
// program's back is copied only when the owner says so.
#include "admin_run.h"

#include "company/company_file.h"
#include "support/temp_company.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using testing_support::TempCompany;

TEST(AdminBackupWhole, AnEmptyFileOrAnotherProgramsDatabaseIsRefusedAndLeavesNothing)
{
    TempCompany empty, other;
    {
        QFile file(empty.databasePath());
        ASSERT_TRUE(file.resize(0));
    }
    other.exec("DROP TABLE StoricoSerieSemplificata; DROP TABLE TabellaSerieSemplificata; "
               "DROP TABLE TestataRegistriPS; DROP TABLE TabellaDocScorta; CREATE TABLE foo(x)");
    for (const TempCompany* company : {&empty, &other}) {
        const QString copies = company->folder() + "/copie";
        const AdminRun run = Admin({"backup", company->folder(), "DEMO", copies});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains("non è una società di Quenvol (manca la tabella TabellaSerieSemplificata)"))
            << run.err.toStdString();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(QDir(copies).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
}

TEST(AdminDamaged, AFileThatCannotBeReadIsToldAsDamagedWithTheCure)
{
    TempCompany company(true);
    {
        QFile file(company.databasePath());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.write("NON E' UN DATABASE SQLITE");
    }
    QTemporaryDir to;
    const QList<QStringList> commands{{"verify", company.folder(), "DEMO"},
                                      {"backup", company.folder(), "DEMO", to.filePath("copie")},
                                      {"copy", company.folder(), to.path(), "DEMO"},
                                      {"upgrade", company.folder(), "DEMO"}};
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command[0].toStdString());
        const AdminRun run = Admin(command);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains("è danneggiato (file is not a database)")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("quenvol-admin verify " + QDir::toNativeSeparators(company.folder()) + " DEMO"))
            << run.err.toStdString();
    }
}

TEST(AdminBackupWhole, BackupsOneAfterTheOtherEachHaveTheirOwnCopyAndChecksum)
{
    TempCompany company(true);
    const QString copies = company.folder() + "/copie";
    for (int i = 0; i < 3; ++i) {
        const AdminRun run = Admin({"backup", company.folder(), "DEMO", copies});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
    }
    const QStringList made = QDir(copies).entryList({"DEMO_*.mdb"}, QDir::Files);
    EXPECT_EQ(made.size(), 3) << made.join(' ').toStdString();
    for (const QString& name : made)
        EXPECT_TRUE(QFile::exists(copies + "/" + name + ".sha256")) << name.toStdString();
}

TEST(AdminCopyAltered, AHistoryAlteredBehindTheProgramsBackIsCopiedOnlyWhenAskedFor)
{
    QTemporaryDir from, to;
    ASSERT_EQ(Admin({"init", from.path(), "DEMO", "--demo"}).status, 0);
    const QString file = from.filePath("DEMO/quelda.mdb");
    ASSERT_EQ(company::file::Execute(file, {"DROP TRIGGER StoricoSerieSemplificata_no_update"}), "");
    ASSERT_EQ(company::file::Execute(file, {"UPDATE StoricoSerieSemplificata SET StoUtente = 'direttore' WHERE StoId = 1"}),
              "");
    AdminRun run = Admin({"copy", from.path(), to.path(), "DEMO"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("storico delle modifiche è alterato alla riga 1")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("--anche-se-alterata")) << run.err.toStdString();
    EXPECT_EQ(QDir(to.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());

    run = Admin({"copy", from.path(), to.path(), "DEMO", "--anche-se-alterata"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("attenzione: lo storico delle modifiche è alterato alla riga 1"))
        << run.out.toStdString();
    EXPECT_TRUE(QFile::exists(to.filePath("DEMO/quelda.mdb")));
}
