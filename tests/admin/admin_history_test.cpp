// quenvol-admin upgrade and history, run as the office runs them: upgrade adds
// the history to a company made before it and touches nothing else; history
// prints what the program recorded, and CSV a spreadsheet reads whole.
#include "admin_run.h"
#include "company/company_file.h"

#include "store/opened_company.h"
#include "store/schema/table_description.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using testing_support::TempCompany;

TEST(AdminHistory, UpgradeAddsTheHistoryToAnOldCompanyAndNothingElse)
{
    TempCompany company(true);
    company.exec("DROP TABLE StoricoSerieSemplificata");  // as a company made before it
    const QString schema = "SELECT group_concat(sql, ';') FROM (SELECT sql FROM sqlite_master "
                           "WHERE tbl_name NOT IN ('StoricoSerieSemplificata', 'sqlite_sequence') ORDER BY name)";
    const QVariant schemaBefore = company.scalar(schema);
    const int registers = company.count(store::RegisterTable);

    AdminRun run = Admin({"history", company.folder(), company.company()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("upgrade")) << run.err.toStdString();

    run = Admin({"upgrade", company.folder(), company.company()});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    // The rows from before the history are its starting state, and nothing else is written.
    EXPECT_TRUE(run.out.contains("stato iniziale")) << run.out.toStdString();
    EXPECT_EQ(company.scalar("SELECT count(*) FROM StoricoSerieSemplificata WHERE StoAzione <> 'stato iniziale'"), 0);
    EXPECT_EQ(Admin({"verify", company.folder(), company.company()}).status, 0);
    EXPECT_EQ(company.count(store::RegisterTable), registers);
    EXPECT_EQ(company.scalar(schema), schemaBefore);
    // Like a new company's, the added history takes rows and refuses to lose them.
    company.exec("INSERT INTO StoricoSerieSemplificata (StoCodice) VALUES ('R1')");
    EXPECT_NE(company::file::Execute(company.databasePath(), {"DELETE FROM StoricoSerieSemplificata"}), "");

    run = Admin({"upgrade", company.folder(), company.company()});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains("nulla da fare")) << run.out.toStdString();
    EXPECT_EQ(Admin({"upgrade", company.folder(), "NESSUNA"}).status, 1);
}

TEST(AdminHistory, PrintsTheRecordedChangesAndCsvQuotesCommasAndQuotes)
{
    TempCompany company(true);
    {
        store_tests::OpenedCompany o(company);
        for (const QString& code : {QString("R1"), QString("R2")}) {
            o.show(code);
            store::RegisterRecord record = *o.shown.row;
            record.SspDescrizione = "MAG, \"NORD\"";
            ASSERT_TRUE(o.write(store::RegisterToScreen(record)));
        }
    }
    AdminRun run = Admin({"history", company.folder(), company.company(), "r1"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("VARIAZIONE")) << run.out.toStdString();
    // The column named as the screen names its field.
    EXPECT_TRUE(run.out.contains(" DESCRIZIONE             : \"MAGAZZINO NORD\" -> \"MAG, \"NORD\"\""))
        << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("MAGAZZINO SUD"));

    run = Admin({"history", company.folder(), company.company(), "--csv"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split("\r\n");
    EXPECT_TRUE(lines[0].startsWith("\xEF\xBB\xBF\"numero\",") || lines[0].startsWith(QChar(0xFEFF)));
    // Newest first: R2's change before R1's; each field quoted, quotes doubled
    // (the code shown quoted, as the listing shows it);
    // the field's name beside the table's column name.
    const QStringList descriptions = lines.filter("\"SspDescrizione\"");
    ASSERT_EQ(descriptions.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(descriptions[0].endsWith(",\"\"\"R2\"\"\",\"variazione\",\"DESCRIZIONE\",\"SspDescrizione\","
                                         "\"\"\"MAGAZZINO SUD\"\"\",\"\"\"MAG, \"\"NORD\"\"\"\"\""))
        << descriptions[0].toStdString();
    EXPECT_TRUE(descriptions[1].contains(",\"\"\"R1\"\"\","));

    EXPECT_EQ(Admin({"history", company.folder(), company.company(), "--since", "01/01/2999"}).out, "");
    EXPECT_EQ(Admin({"history", company.folder(), company.company(), "--since", "31/02/2026"}).status, 1);
}
