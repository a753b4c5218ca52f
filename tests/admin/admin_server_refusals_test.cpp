// The server's refusals as an operator meets them through quenvol-admin: each
// said in Italian with what to do, libpq's text beneath, never a password, and
// libpq's own warning about a password file kept off the terminal.
#include "admin_run.h"
#include "store/postgres/libpq_on_demand.h"
#include "support/private_server.h"
#include "support/test_company.h"

#include <QFile>
#include <QTemporaryDir>
#include <QDeadlineTimer>
#include <QThread>

#include <libpq-fe.h>

namespace {

// Runs SQL as the server's superuser; true when it succeeds.
bool Superuser(const QString& conninfo, const QString& sql)
{
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    PGresult* result = PQexec(conn, sql.toUtf8().constData());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
    PQclear(result);
    PQfinish(conn);
    return ok;
}

}  // namespace

TEST(ServerAdminRefusals, EachRefusalSaysWhatIsWrongAndWhatToDo)
{
    if (testing_support::TestServer().isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    ASSERT_EQ(store::LoadLibpq(), "");
    testing_support::PrivateServer server;
    ASSERT_FALSE(server.conninfo().isEmpty());
    ASSERT_TRUE(Superuser(server.conninfo(), "CREATE ROLE anna LOGIN PASSWORD 'giusta'; CREATE ROLE bruno LOGIN"));
    // anna needs a password, bruno has no line at all, an unknown role is trusted.
    QFile hba(server.folder() + "/data/pg_hba.conf");
    ASSERT_TRUE(hba.open(QIODevice::WriteOnly | QIODevice::Truncate));
    hba.write("local all postgres trust\nlocal all anna scram-sha-256\nlocal all carlo trust\n");
    hba.close();
    ASSERT_TRUE(Superuser(server.conninfo(), "SELECT pg_reload_conf()"));
    const auto as = [&](const QString& user, const QString& more = {}) {
        return QStringLiteral("postgresql:///postgres?host=%1&user=%2%3").arg(server.folder(), user, more);
    };
    // The server reads the new rules in a moment of its own: wait until bruno is refused.
    QDeadlineTimer reloaded(30000);
    while (Superuser(as("bruno"), "SELECT 1") && !reloaded.hasExpired())
        QThread::msleep(20);
    ASSERT_FALSE(Superuser(as("bruno"), "SELECT 1"));

    QTemporaryDir home;
    const QString pgpass = home.path() + "/.pgpass";
    QFile file(pgpass);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("*:*:*:anna:giusta\n");
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    qputenv("PGPASSFILE", pgpass.toLocal8Bit());

    AdminRun run = Admin({"history", as("anna"), "DEMO"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("Il file delle password " + pgpass + " ha i permessi 644 (leggibile da altri "
                                 "utenti) e per questo non viene letto: renderlo privato con \"chmod 600 " +
                                 pgpass + "\".\n"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("fe_sendauth: no password supplied")) << run.err.toStdString();  // libpq's, beneath
    EXPECT_FALSE(run.err.contains("WARNING")) << run.err.toStdString();
    // Made private, the same file lets anna in: the refusal was the file's mode.
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    run = Admin({"history", as("anna"), "DEMO"});
    EXPECT_FALSE(run.err.contains("password")) << run.err.toStdString();

    run = Admin({"history", as("anna", "&password=sbagliata"), "DEMO"});
    EXPECT_TRUE(run.err.contains("Il server ha rifiutato la password del ruolo \"anna\"")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("sbagliata")) << run.err.toStdString();

    run = Admin({"history", as("bruno"), "DEMO"});
    EXPECT_TRUE(run.err.contains("Il server non accetta collegamenti del ruolo \"bruno\" al database \"postgres\" da "
                                 "questo computer: l'amministratore aggiunga a pg_hba.conf una riga come \"local   "
                                 "postgres bruno scram-sha-256\""))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("no pg_hba.conf entry")) << run.err.toStdString();

    run = Admin({"history", as("carlo"), "DEMO"});
    EXPECT_TRUE(run.err.contains("Il ruolo \"carlo\" non esiste sul server")) << run.err.toStdString();

    run = Admin({"history", QStringLiteral("postgresql:///nessuno?host=%1&user=postgres").arg(server.folder()), "DEMO"});
    EXPECT_TRUE(run.err.contains("Il database \"nessuno\" non esiste sul server")) << run.err.toStdString();

    run = Admin({"history", QStringLiteral("postgresql:///postgres?host=%1&user=postgres").arg(home.path()), "DEMO"});
    EXPECT_TRUE(run.err.contains("Nessun server del database risponde su questo computer (socket " + home.path()))
        << run.err.toStdString();
    // Over TCP, loopback only: a port where nothing listens is named with its address.
    run = Admin({"history", "host=127.0.0.1 port=1 dbname=postgres user=postgres", "DEMO"});
    EXPECT_TRUE(run.err.contains("Nessun server del database risponde a 127.0.0.1, porta 1:"))
        << run.err.toStdString();
    qunsetenv("PGPASSFILE");
}
