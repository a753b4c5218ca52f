// Values the server holds that are not ordinary numbers or dates (NaN,
// Infinity, -Infinity, a year past 9999) are read back as they are, never as
// 0, and what the server's history recorded of them replays to them; on the
// file the same for the values it can hold.
#include "admin_run.h"
#include "pdf_reader.h"

#include "company/company_server.h"
#include "company/starting_state.h"
#include "store/engine/engine.h"
#include "support/test_company.h"

#include <libpq-fe.h>

#include <QCoreApplication>
#include <QDate>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using testing_support::Engine;
using testing_support::MakeTestCompany;

namespace {

class StoredValues : public testing::TestWithParam<Engine> {};

}  // namespace

TEST_P(StoredValues, NotANumberInfinitiesAndAYearPast9999ReadBackAsStoredAndReplay)
{
    auto company = MakeTestCompany(GetParam(), true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const bool server = GetParam() == Engine::Server;
    QString started;
    ASSERT_EQ(company::starting_state::Record(company->location(), company->company(), &started), "");
    const qlonglong year10000 = QDate(1899, 12, 30).daysTo(QDate(10000, 1, 1));
    if (server)  // the owner behind the program, recorded by the server's triggers
        company->exec("UPDATE \"TabellaSerieSemplificata\" SET \"SspArrGaranz\" = 'NaN', \"SspCusGaranz\" = "
                      "'Infinity', \"SspDepGaranz\" = '-Infinity', \"SspArrData\" = '10000-01-01' "
                      "WHERE \"SspCodice\" = 'AB01'");
    else  // the file holds no NaN (SQLite keeps it as Null)
        company->exec(QStringLiteral("UPDATE TabellaSerieSemplificata SET SspCusGaranz = 9e999, SspDepGaranz = "
                                     "-9e999, SspArrData = %1 WHERE SspCodice = 'AB01'")
                          .arg(year10000));
    auto db = company->open();
    auto registers = db->openTable("TabellaSerieSemplificata");
    registers->setIndex("primaria");
    registers->seek("=", "AB01");
    ASSERT_FALSE(registers->noMatch());
    if (server) {
        EXPECT_TRUE(std::isnan(registers->field("SspArrGaranz").toDouble()));
    }
    EXPECT_EQ(registers->field("SspCusGaranz").toDouble(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(registers->field("SspDepGaranz").toDouble(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(registers->field("SspArrData").toLongLong(), year10000);
    if (server) {
        // Written back through the program, the year comes back the same.
        db->beginTrans();
        registers->edit();
        registers->setField("SspCusData", year10000 + 1);
        registers->update();
        db->commitTrans();
        EXPECT_EQ(company->scalar("SELECT \"SspCusData\"::text FROM \"TabellaSerieSemplificata\" WHERE "
                                  "\"SspCodice\" = 'AB01'")
                      .toString(),
                  "10000-01-02");
        const AdminRun run = Admin({"verify", company->location(), company->company()});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
    }
}

TEST_P(StoredValues, TheSheetNamesNotANumberTheInfinitiesAndTheDateAsStored)
{
    auto company = MakeTestCompany(GetParam(), true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const bool server = GetParam() == Engine::Server;
    if (server)
        company->exec("UPDATE \"TabellaSerieSemplificata\" SET \"SspArrGaranz\" = 'NaN', \"SspCusGaranz\" = "
                      "'Infinity', \"SspDepGaranz\" = '-Infinity', \"SspArrData\" = '10000-01-01' "
                      "WHERE \"SspCodice\" = 'AB01'");
    else
        company->exec(QStringLiteral("UPDATE TabellaSerieSemplificata SET SspCusGaranz = "
                                     "9e999, SspDepGaranz = -9e999, SspArrData = %1 WHERE SspCodice = 'AB01'")
                          .arg(QDate(1899, 12, 30).daysTo(QDate(10000, 1, 1))));
    const QTemporaryDir folder;
    const QString out = folder.filePath("scheda.pdf");
    const AdminRun run = Admin({"print", "sheet", company->location(), company->company(), "AB01", "--output", out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString text = PdfText(out);
    const QString guarantees = text.split('\n').filter("Garanzia").value(0).simplified();
    EXPECT_TRUE(guarantees.endsWith(server ? "NaN +Infinito -Infinito" : " +Infinito -Infinito")) << text.toStdString();
    EXPECT_TRUE(text.contains("01/01/10000")) << text.toStdString();
}

TEST(ServerStoredValues, NumbersReadBackWholeWhateverDigitsTheServerWritesByDefault)
{
    // A database whose sessions write floating-point numbers with 15 digits
    // (extra_float_digits = 0), as a role or a database may be set: 0.1 + 0.2
    // would read as 0.3 and the largest double as a number past it, so 0.
    auto company = MakeTestCompany(Engine::Server);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const testing_support::ServerDatabaseOfItsOwn database(
        company->location(), QStringLiteral("quenvol_cifre_%1").arg(QCoreApplication::applicationPid()));
    const QString conninfo = database.conninfo();
    company->exec("ALTER DATABASE " + database.name() + " SET extra_float_digits = 0");
    ASSERT_EQ(company::server::CreateCompanySchema(conninfo, "EF", true), "");
    PGconn* owner = PQconnectdb(conninfo.toUtf8().constData());
    PGresult* inserted = PQexec(owner, "INSERT INTO \"EF\".\"TabellaSerieSemplificata\" (\"SspCodice\", "
                                       "\"SspArrGaranz\", \"SspCusGaranz\") VALUES ('A1', 0.1::float8 + 0.2::float8, "
                                       "1.7976931348623157e308)");
    EXPECT_EQ(PQresultStatus(inserted), PGRES_COMMAND_OK) << PQerrorMessage(owner);
    PQclear(inserted);
    PQfinish(owner);
    {
        auto db = store::openServerDatabase(conninfo, "EF");
        auto registers = db->openTable("TabellaSerieSemplificata");
        registers->setIndex("primaria");
        registers->seek("=", "A1");
        ASSERT_FALSE(registers->noMatch());
        EXPECT_EQ(registers->field("SspArrGaranz").toDouble(), 0.1 + 0.2);
        EXPECT_EQ(registers->field("SspCusGaranz").toDouble(), std::numeric_limits<double>::max());
    }
    const AdminRun run = Admin({"verify", conninfo, "EF"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
}

TEST(StoredValuesOnTheSheet, AmountsPastTheFieldShowExactlyAndADateBefore1899AsItsDate)
{
    // 1e308 has more figures than a field, the smallest double rounds to
    // 0.00, and day -709591 is 15 March 44 BC (not "no date", which is 0).
    auto company = MakeTestCompany(Engine::File, true);
    company->exec("UPDATE TabellaSerieSemplificata SET SspCusGaranz = 1e308, SspDepGaranz = 4.9e-324, "
                  "SspCusData = -709591 WHERE SspCodice = 'AB01'");
    const QTemporaryDir folder;
    const QString out = folder.filePath("scheda.pdf");
    const AdminRun run = Admin({"print", "sheet", company->location(), company->company(), "AB01", "--output", out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString text = PdfText(out);
    const QString guarantees = text.split('\n').filter("Garanzia").value(0).simplified();
    EXPECT_TRUE(guarantees.endsWith(" 1e+308 5e-324")) << text.toStdString();
    const QString periods = text.split('\n').filter("Periodi").value(0).simplified();
    EXPECT_TRUE(periods.contains(" 15/03/-0044 ")) << text.toStdString();
}

TEST(StoredValuesOnTheSheet, ValuesItsFieldsCannotShowAreListedAsStored)
{
    // A text in a number column (an infinite date, a number written as a
    // word): the record holds 0 for it, the sheet says what is stored.
    auto company = MakeTestCompany(Engine::File, true);
    company->exec("UPDATE TabellaSerieSemplificata SET SspArrCron = 'N/D', SspCusData = 'infinity' "
                  "WHERE SspCodice = 'AB01'");
    const QTemporaryDir folder;
    const QString out = folder.filePath("scheda.pdf");
    const AdminRun run = Admin({"print", "sheet", company->location(), company->company(), "AB01", "--output", out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString text = PdfText(out);
    EXPECT_TRUE(text.contains("ARRIVI ULT. CRONOL.: \"N/D\"")) << text.toStdString();
    EXPECT_TRUE(text.contains("CUSTODIA PERIODO DAL: \"infinity\"")) << text.toStdString();
}

TEST(ServerStoredValues, TheListingShowsADateBefore1899AsItsDate)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    company->exec("UPDATE \"TabellaSerieSemplificata\" SET \"SspCusData\" = '0044-03-15 BC', \"SspDepData\" = "
                  "'1850-01-01' WHERE \"SspCodice\" = 'AB01'");
    const AdminRun run = Admin({"history", company->location(), company->company(), "AB01"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QRegularExpression("CUSTODIA PERIODO DAL +: \\S+ -> 15/03/-0044\n")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QRegularExpression("DEPOSITO PERIODO DAL +: \\S+ -> 01/01/1850\n")))
        << run.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(File, StoredValues, testing::Values(Engine::File), testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(ServerCases, StoredValues, testing::Values(Engine::Server), testing::PrintToStringParamName());
