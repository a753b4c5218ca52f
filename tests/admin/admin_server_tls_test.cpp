// quenvol-admin against the office server over TLS on a workstation that
// speaks Italian: libpq's Italian texts are recognised as its English ones,
// and the cure names the command line, where the string was written.
#include "admin_run.h"
#include "support/tls_server.h"

#include <gtest/gtest.h>

using testing_support::NoTlsServer;
using testing_support::TlsServer;

TEST(ServerAdminTls, ARefusalInLibpqsItalianIsToldWithItsCureForTheCommandLine)
{
    const TlsServer server;
    if (!server.ready())
        GTEST_SKIP() << NoTlsServer;
    const QByteArray locale = qgetenv("LC_ALL");
    qputenv("LC_ALL", "it_IT.UTF-8");
    const QString missing = server.rootCertificate() + ".manca";
    const AdminRun run =
        Admin({"verify", server.conninfo(QStringLiteral("sslmode=verify-full sslrootcert='%1'").arg(missing)), "DEMO"});
    qputenv("LC_ALL", locale);
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.err.contains("Il certificato dell'autorità dell'ufficio \"" + missing + "\" non c'è"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("sslrootcert= nella stringa di connessione sulla riga di comando"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("del certificato radice non esiste")) << run.err.toStdString();  // libpq's, beneath
}
