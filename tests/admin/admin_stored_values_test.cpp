// Values the server holds that are not ordinary numbers or dates (NaN,
// Infinity, -Infinity, a year past 9999) are read back as they are, never as
// 0, and what the server's history recorded of them replays to them; on the
// file the same for the values it can hold.
#include "admin_run.h"

#include "company/starting_state.h"
#include "store/engine/engine.h"
#include "support/test_company.h"

#include <QDate>

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

INSTANTIATE_TEST_SUITE_P(File, StoredValues, testing::Values(Engine::File), testing::PrintToStringParamName());
INSTANTIATE_TEST_SUITE_P(ServerCases, StoredValues, testing::Values(Engine::Server), testing::PrintToStringParamName());
