// Company codes with the characters SQL gives a meaning to, taken through
// every command that reaches the server, and a lookup as the window makes it.
#include "admin_run.h"

#include "company/company_location.h"
#include "company/company_server.h"
#include "store/schema/table_description.h"
#include "support/test_company.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void Expect(const AdminRun& run, const char* what)
{
    EXPECT_EQ(run.status, 0) << what << ": " << run.err.toStdString();
}

TEST(ServerAdminCodes, QuotesSemicolonsPercentSignsAndAccentsWorkThroughEveryCommand)
{
    const QString server = qEnvironmentVariable("QUENVOL_TEST_PG");
    if (server.isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    QTemporaryDir folder;
    const QString backups = folder.filePath("copie");
    for (const QString& code : {QStringLiteral("A'B"), QStringLiteral("C\"D"), QStringLiteral("E;F"),
                               QStringLiteral("G%H"), QStringLiteral("ÀÈÌ òù")}) {
        SCOPED_TRACE(code.toStdString());
        company::server::DropCompanySchema(server, code);
        Expect(Admin({"init", "--server", server, code, "--demo"}), "init --demo");
        Expect(Admin({"upgrade", server, code}), "upgrade");
        Expect(Admin({"verify", server, code}), "verify");
        Expect(Admin({"backup", server, code, backups}), "backup");
        Expect(Admin({"copy", server, folder.path(), code}), "copy to a folder");
        Expect(Admin({"verify", folder.path(), code}), "verify of the copy");
        ASSERT_EQ(company::server::DropCompanySchema(server, code), "");
        Expect(Admin({"copy", folder.path(), server, code}), "copy to the server");
        Expect(Admin({"verify", server, code}), "verify after the copy back");
        try {
            // The window's lookup: the register codes that begin with R.
            auto database = company::location::OpenCompany(server, code);
            auto rows = database->openSnapshot(store::RegisterTable, QStringLiteral("SspCodice"), QStringLiteral("R*"));
            int found = 0;
            for (; !rows->atEnd(); rows->moveNext())
                ++found;
            EXPECT_GT(found, 0);
        } catch (const store::EngineError& error) {
            ADD_FAILURE() << error.description().toStdString();
        }
        company::server::DropCompanySchema(server, code);
    }
    EXPECT_EQ(QDir(backups).entryList(QDir::Files).size(), 10);  // five copies, each with its .sha256
}

}  // namespace
