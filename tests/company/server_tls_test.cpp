// The office server over TLS: a workstation set up as the office guide says
// (sslmode=verify-full, the office CA in sslrootcert) opens its company; a
// certificate for another name, one the CA did not sign, a CA file that is
// not there and a server without TLS are refused in Italian, with the cure.
#include "company/company_server.h"
#include "support/test_company.h"
#include "support/tls_server.h"

#include <gtest/gtest.h>

using testing_support::ErrorNumberOf;
using testing_support::NoTlsServer;
using testing_support::TlsServer;

namespace {

// What opening a company through `conninfo` says when it fails.
std::string Refusal(const QString& conninfo)
{
    try {
        store::openServerDatabase(conninfo, QStringLiteral("TLS"));
    } catch (const store::EngineError& error) {
        return error.description().toStdString();
    }
    return "(aperta)";
}

}  // namespace

TEST(ServerTls, ACertificateForAnotherNameIsRefusedWithTheNameToWrite)
{
    const TlsServer server;
    if (!server.ready())
        GTEST_SKIP() << NoTlsServer;
    const QString byAddress = server.conninfo().replace(QStringLiteral("host=localhost hostaddr="),
                                                        QStringLiteral("host="));
    const std::string text = Refusal(byAddress);
    EXPECT_NE(text.find("Il certificato del server è intestato a \"localhost\""), std::string::npos) << text;
    EXPECT_NE(text.find("non a \"127.0.0.1\""), std::string::npos) << text;
}

TEST(ServerTls, ACertificateTheOfficeAuthorityDidNotSignIsRefused)
{
    const TlsServer server;
    if (!server.ready())
        GTEST_SKIP() << NoTlsServer;
    const std::string text = Refusal(server.conninfo(
        QStringLiteral("sslmode=verify-full sslrootcert='%1'").arg(server.otherRootCertificate())));
    EXPECT_NE(text.find("non è firmato dall'autorità che questo computer conosce"), std::string::npos) << text;
}

TEST(ServerTls, AMissingAuthorityFileIsNamed)
{
    const TlsServer server;
    if (!server.ready())
        GTEST_SKIP() << NoTlsServer;
    const QString missing = server.rootCertificate() + QStringLiteral(".manca");
    const std::string text = Refusal(server.conninfo(QStringLiteral("sslmode=verify-full sslrootcert='%1'").arg(missing)));
    EXPECT_NE(text.find("Il certificato dell'autorità dell'ufficio \"" + missing.toStdString() + "\" non c'è"),
              std::string::npos)
        << text;
}

TEST(ServerTls, AServerWithoutTlsIsRefusedWhenTheWorkstationRequiresIt)
{
    const TlsServer server;
    if (!server.ready())
        GTEST_SKIP() << NoTlsServer;
    ASSERT_TRUE(server.setTls(false));
    const std::string text = Refusal(server.conninfo(QStringLiteral("sslmode=require")));
    EXPECT_TRUE(server.setTls(true));
    EXPECT_NE(text.find("Il server non accetta collegamenti cifrati (TLS)"), std::string::npos) << text;
    EXPECT_NE(text.find("ssl = on"), std::string::npos) << text;
}

TEST(ServerTls, AWorkstationThatChecksTheCertificateOpensItsCompany)
{
    const TlsServer server;
    if (!server.ready())
        GTEST_SKIP() << NoTlsServer;
    for (const QString& settings : {QString(), QStringLiteral("sslmode=require")}) {
        const QString conninfo = server.conninfo(settings);
        ASSERT_EQ(company::server::CreateCompanySchema(conninfo, QStringLiteral("TLS")), QString());
        EXPECT_EQ(ErrorNumberOf([&] { store::openServerDatabase(conninfo, QStringLiteral("TLS")); }), 0)
            << settings.toStdString();
        EXPECT_EQ(company::server::DropCompanySchema(conninfo, QStringLiteral("TLS")), QString());
    }
}
