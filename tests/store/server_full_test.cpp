// A server with no connection left for the workstation: the refusal is told
// in Italian and counts as an unreachable server, the kind that is retried.
#include "store/engine/engine.h"
#include "support/test_company.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::Engine;
using testing_support::MakeTestCompany;

TEST(ServerNoFreeConnection, TheRefusalIsToldInItalianAsAnUnreachableServer)
{
    auto company = MakeTestCompany(Engine::Server);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    // A role allowed no connection is refused as a full server is (SQLSTATE 53300).
    company->exec("DROP ROLE IF EXISTS quenvol_senza_posto; CREATE ROLE quenvol_senza_posto LOGIN CONNECTION LIMIT 0");
    QString conninfo = company->location();
    ASSERT_TRUE(conninfo.contains("user=postgres")) << conninfo.toStdString();
    conninfo.replace("user=postgres", "user=quenvol_senza_posto");
    try {
        openServerDatabase(conninfo, company->company());
        ADD_FAILURE() << "the connection was made";
    } catch (const EngineError& refused) {
        EXPECT_EQ(refused.number(), EngineErrorNumber::ServerUnreachable);
        EXPECT_TRUE(refused.description().startsWith("Il server ha già tutte le connessioni occupate"))
            << refused.description().toStdString();
    }
    company->exec("DROP ROLE quenvol_senza_posto");
}
