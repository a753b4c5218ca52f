// A company on the server is whole or refused: one half made by an earlier
// version (its tables without the history's guards) is neither copied nor
// backed up as if whole, both name the cure, and after it both work.
#include "admin_run.h"

#include "company/company_server.h"
#include "support/test_company.h"

#include <QDir>
#include <QTemporaryDir>

TEST(ServerAdminWhole, ACompanyWithoutItsGuardsIsRefusedByCopyAndBackupUntilUpgraded)
{
    const QString server = qEnvironmentVariable("QUENVOL_TEST_PG");
    if (server.isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString code = QStringLiteral("SENZAGUARDIE");
    company::server::DropCompanySchema(server, code);
    ASSERT_EQ(company::server::CreateCompanySchema(server, code, false), "");
    QTemporaryDir folder;
    const QList<QStringList> commands{{"copy", server, folder.path(), code},
                                      {"backup", server, code, folder.filePath("copie")}};
    for (const QStringList& command : commands) {
        SCOPED_TRACE(command[0].toStdString());
        const AdminRun run = Admin(command);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains("la società " + code + " sul server è incompleta o il suo storico non è protetto"))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("eseguire prima quenvol-admin upgrade")) << run.err.toStdString();
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    const AdminRun upgrade = Admin({"upgrade", server, code});
    ASSERT_EQ(upgrade.status, 0) << upgrade.err.toStdString();
    for (const QStringList& command : commands) {
        const AdminRun run = Admin(command);
        EXPECT_EQ(run.status, 0) << command[0].toStdString() << ": " << run.err.toStdString();
    }
    company::server::DropCompanySchema(server, code);
}
