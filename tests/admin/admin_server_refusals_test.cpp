// The server's refusals as an operator meets them through quenvol-admin: each
// said in Italian with what to do, libpq's text beneath, never a password, and
// libpq's own warning about a password file kept off the terminal.
#include "admin_run.h"
#include "company/company_server.h"
#include "store/engine/engine.h"
#include "store/postgres/libpq_on_demand.h"
#include "store/postgres/pg_conninfo.h"
#include "support/private_server.h"
#include "support/test_company.h"

#include <QFile>
#include <QTemporaryDir>
#include <QDeadlineTimer>
#include <QProcess>
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

// The private server made to answer in `language` with only the `hba` rules:
// it reads them in a moment of its own, so this waits until a connection as
// `probe` to a database no rule names is refused with `marker`.
::testing::AssertionResult AnswersWithRules(const testing_support::PrivateServer& server, const QString& language,
                                            const QByteArray& hba, const QString& probe, const QString& marker)
{
    if (!Superuser(server.conninfo(), QStringLiteral("ALTER SYSTEM SET lc_messages = '%1'").arg(language)))
        return ::testing::AssertionFailure() << "the locale " << language.toStdString()
                                             << " is missing: tools/dependencies.sh makes it";
    QFile rules(server.folder() + "/data/pg_hba.conf");
    if (!rules.open(QIODevice::WriteOnly | QIODevice::Truncate) || rules.write(hba) != hba.size())
        return ::testing::AssertionFailure() << "pg_hba.conf not written";
    rules.close();
    if (!Superuser(server.conninfo(), "SELECT pg_reload_conf()"))
        return ::testing::AssertionFailure() << "the server did not reload its rules";
    const QString conninfo = QStringLiteral("postgresql:///altro?host=%1&user=%2").arg(server.folder(), probe);
    const auto answers = [&] {
        PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
        const bool done = QString::fromUtf8(PQerrorMessage(conn)).contains(marker);
        PQfinish(conn);
        return done;
    };
    QDeadlineTimer reloaded(30000);
    while (!answers() && !reloaded.hasExpired())
        QThread::msleep(20);
    if (answers())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the server never answered with: " << marker.toStdString();
}

// A password file in `home` giving anna a wrong password, named to libpq by PGPASSFILE.
::testing::AssertionResult WrongPasswordFile(const QTemporaryDir& home)
{
    QFile file(home.path() + "/.pgpass");
    if (!file.open(QIODevice::WriteOnly) || file.write("*:*:*:anna:sbagliata\n") <= 0)
        return ::testing::AssertionFailure() << "password file not written";
    file.close();
    if (!file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        return ::testing::AssertionFailure() << "password file not made private";
    qputenv("PGPASSFILE", file.fileName().toLocal8Bit());
    return ::testing::AssertionSuccess();
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

    // A wrong password, from the file: arguments cannot hold one.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("*:*:*:anna:sbagliata\n");
    file.close();
    run = Admin({"history", as("anna"), "DEMO"});
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

// A server that takes no sessions yet (here a standby with hot_standby off,
// as one starting up or shutting down answers too): told as not ready, to be
// tried again, not blamed on the connection string.
TEST(ServerAdminRefusals, AServerNotYetTakingSessionsIsToldAsNotReady)
{
    if (testing_support::TestServer().isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    testing_support::PrivateServer primary;
    ASSERT_FALSE(primary.conninfo().isEmpty());
    testing_support::PrivateServer standby(testing_support::PrivateServer::StandbyOf{primary});
    ASSERT_FALSE(standby.conninfo().isEmpty());
    QFile settings(standby.folder() + "/data/postgresql.auto.conf");
    ASSERT_TRUE(settings.open(QIODevice::Append));
    settings.write("hot_standby = off\n");
    settings.close();
    ASSERT_TRUE(standby.down());
    ASSERT_TRUE(standby.up());
    const AdminRun run = Admin({"history", standby.conninfo(), "DEMO"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("Il server in questo momento non accetta collegamenti (si sta avviando o fermando, "
                                 "o è un server di riserva che non li accetta): riprovare tra poco"))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("controllare host=, port=, user= e dbname=")) << run.err.toStdString();
}

// The same refusals on an Italian workstation (libpq's Italian texts and the
// system's in Italian) and from a server whose messages are Italian: each is
// still told with its cure, blaming the command line where the string was
// written; a role spelt wrong is not blamed on the password file.
TEST(ServerAdminRefusals, AnItalianWorkstationAndAnItalianServerGetTheSameCures)
{
    if (testing_support::TestServer().isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    ASSERT_EQ(store::LoadLibpq(), "");
    testing_support::PrivateServer server;
    ASSERT_FALSE(server.conninfo().isEmpty());
    ASSERT_TRUE(Superuser(server.conninfo(), "CREATE ROLE anna LOGIN PASSWORD 'giusta'"));
    ASSERT_TRUE(AnswersWithRules(server, "it_IT.UTF-8",
                                 "local all postgres trust\nlocal postgres carlo trust\nlocal postgres all scram-sha-256\n",
                                 "anna", "nessuna voce in pg_hba.conf"));
    const auto as = [&](const QString& user, const QString& db = "postgres") {
        return QStringLiteral("postgresql:///%1?host=%2&user=%3").arg(db, server.folder(), user);
    };

    QTemporaryDir home;
    ASSERT_TRUE(WrongPasswordFile(home));
    qputenv("LC_ALL", "it_IT.UTF-8");
    const QString commandLine = "nella stringa di connessione sulla riga di comando";

    AdminRun run = Admin({"history", as("anna"), "DEMO"});
    EXPECT_TRUE(run.err.contains("Il server ha rifiutato la password del ruolo \"anna\": controllare user= " +
                                 commandLine))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("autenticazione con password fallita")) << run.err.toStdString();  // the server's, beneath

    run = Admin({"history", as("anan"), "DEMO"});
    EXPECT_TRUE(run.err.contains("non ha una riga per il ruolo \"anan\" e il database \"postgres\": controllare "
                                 "user= e dbname= " + commandLine))
        << run.err.toStdString();

    run = Admin({"history", as("anna", "altro"), "DEMO"});
    EXPECT_TRUE(run.err.contains("Il server non accetta collegamenti del ruolo \"anna\" al database \"altro\" da "
                                 "questo computer"))
        << run.err.toStdString();

    run = Admin({"history", as("carlo"), "DEMO"});
    EXPECT_TRUE(run.err.contains("Il ruolo \"carlo\" non esiste sul server")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("con user= " + commandLine)) << run.err.toStdString();

    run = Admin({"history", as("postgres", "nessuno"), "DEMO"});
    EXPECT_TRUE(run.err.contains("Il database \"nessuno\" non esiste sul server: controllare dbname= " + commandLine))
        << run.err.toStdString();

    run = Admin({"history", QStringLiteral("postgresql:///postgres?host=%1&user=postgres").arg(home.path()), "DEMO"});
    EXPECT_TRUE(run.err.contains("Nessun server del database risponde su questo computer (socket " + home.path()))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("non riuscita")) << run.err.toStdString();  // libpq's Italian, beneath

    run = Admin({"history", "host=127.0.0.1 port=1 dbname=postgres user=postgres", "DEMO"});
    EXPECT_TRUE(run.err.contains("Nessun server del database risponde a 127.0.0.1, porta 1:")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("host= e port= " + commandLine)) << run.err.toStdString();
    qunsetenv("LC_ALL");
    qunsetenv("PGPASSFILE");
}

// A server whose messages are in a language neither English nor Italian
// (German here): its refusals are known by their SQLSTATE and told with the
// cure, the server's own text beneath as libpq gives it, without the code or
// the server's source position; by the admin commands and by the program's
// own opening of a company alike. And a workstation in German: no server
// listening is still told with its cure.
TEST(ServerAdminRefusals, AServerInAThirdLanguageIsToldByWhatItsRefusalsAre)
{
    if (testing_support::TestServer().isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    ASSERT_EQ(store::LoadLibpq(), "");
    testing_support::PrivateServer server;
    ASSERT_FALSE(server.conninfo().isEmpty());
    ASSERT_TRUE(Superuser(server.conninfo(), "CREATE ROLE anna LOGIN PASSWORD 'giusta'; CREATE ROLE bruno LOGIN"));
    ASSERT_TRUE(AnswersWithRules(server, "de_DE.UTF-8",
                                 "local all postgres trust\nlocal postgres bruno trust\nlocal postgres carlo trust\n"
                                 "local postgres anna scram-sha-256\n",
                                 "bruno", "kein pg_hba.conf-Eintrag"));
    const auto as = [&](const QString& user, const QString& db = "postgres") {
        return QStringLiteral("postgresql:///%1?host=%2&user=%3").arg(db, server.folder(), user);
    };

    QTemporaryDir home;
    ASSERT_TRUE(WrongPasswordFile(home));
    const QString commandLine = "nella stringa di connessione sulla riga di comando";
    const auto plain = [](const AdminRun& run) {
        return !run.err.contains("28P01") && !run.err.contains("3D000") && !run.err.contains("28000") &&
               !run.err.contains(".c:");
    };

    AdminRun run = Admin({"history", as("anna"), "DEMO"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("Il server ha rifiutato la password del ruolo \"anna\": controllare user= " +
                                 commandLine))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("FATAL:  Passwort-Authentifizierung")) << run.err.toStdString();
    EXPECT_TRUE(plain(run)) << run.err.toStdString();

    run = Admin({"history", as("postgres", "nessuno"), "DEMO"});
    EXPECT_TRUE(run.err.contains("Il database \"nessuno\" non esiste sul server: controllare dbname= " + commandLine))
        << run.err.toStdString();
    EXPECT_TRUE(plain(run)) << run.err.toStdString();

    // No line of pg_hba.conf, and a role that does not exist: one code, one cure naming both.
    for (const auto& [user, db] : {std::pair<QString, QString>{"bruno", "altro"}, {"carlo", "postgres"}}) {
        run = Admin({"history", as(user, db), "DEMO"});
        EXPECT_TRUE(run.err.contains("Il server non accetta collegamenti del ruolo \"" + user + "\" al database \"" +
                                     db + "\" da questo computer: controllare user= e dbname= " + commandLine))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("CREATE ROLE " + user + " LOGIN")) << run.err.toStdString();
        EXPECT_TRUE(plain(run)) << run.err.toStdString();
    }

    // The program's own opening, as the window makes it.
    store::SetConninfoSource(store::ConninfoSource::IniServerLine);
    try {
        store::openServerDatabase(as("postgres", "nessuno"), "DEMO");
        ADD_FAILURE() << "a missing database was opened";
    } catch (const store::EngineError& error) {
        EXPECT_TRUE(error.description().startsWith(
            "Il database \"nessuno\" non esiste sul server: controllare dbname= nella riga SERVER del file INI"))
            << error.description().toStdString();
        EXPECT_FALSE(error.description().contains("3D000")) << error.description().toStdString();
    }

    // A workstation in German: libpq's own words are not read, the system's
    // text for the failed connect() and the host and port tried are.
    qputenv("LC_ALL", "de_DE.UTF-8");
    run = Admin({"history", QStringLiteral("postgresql:///postgres?host=%1&user=postgres").arg(home.path()), "DEMO"});
    EXPECT_TRUE(run.err.contains("Nessun server del database risponde su questo computer (socket " + home.path() +
                                 "/.s.PGSQL.5432): controllare che PostgreSQL sia avviato"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Verbindung zum Server")) << run.err.toStdString();  // libpq's German, beneath
    run = Admin({"history", "host=127.0.0.1 port=1 dbname=postgres user=postgres", "DEMO"});
    EXPECT_TRUE(run.err.contains("Nessun server del database risponde a 127.0.0.1, porta 1: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("host= e port= " + commandLine)) << run.err.toStdString();
    qunsetenv("LC_ALL");
    qunsetenv("PGPASSFILE");
}

TEST(AdminConnection, APortThatIsNoNumberIsToldInOurWords)
{
    QTemporaryDir nowhere;
    const AdminRun run =
        Admin({"history", QStringLiteral("host=%1 port=notaport dbname=postgres").arg(nowhere.path()), "DEMO"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("Il valore \"notaport\" di port= nella stringa di connessione sulla riga di comando "
                                 "non è un numero intero"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("notaport\" for connection option")) << run.err.toStdString();  // libpq's, beneath
}

TEST(ServerAdminCopy, ADescriptionLongerThanTheServersColumnIsToldInOurWords)
{
    const QString server = testing_support::TestServer();
    if (server.isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    QTemporaryDir folder;
    ASSERT_EQ(Admin({"init", folder.path(), "LUNGA", "--demo"}).status, 0);
    // The file takes any length; the server's column takes 30 characters.
    QProcess sqlite;
    sqlite.start("sqlite3", {folder.filePath("LUNGA/quelda.mdb"),
                             "UPDATE TabellaSerieSemplificata SET SspDescrizione = '" + QString(40, 'L') +
                                 "' WHERE rowid = (SELECT min(rowid) FROM TabellaSerieSemplificata)"});
    ASSERT_TRUE(sqlite.waitForFinished(30000));
    ASSERT_EQ(sqlite.exitCode(), 0) << sqlite.readAllStandardError().toStdString();
    company::server::DropCompanySchema(server, "LUNGA");

    const AdminRun run = Admin({"copy", folder.path(), server, "LUNGA"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("Un valore è più lungo di quanto la colonna del server può contenere"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("character varying(30)")) << run.err.toStdString();  // the server's, beneath
    company::server::DropCompanySchema(server, "LUNGA");
}

TEST(ServerAdminCopy, AConnectionLostDuringTheCopyIsToldInOurWords)
{
    if (testing_support::TestServer().isEmpty())
        GTEST_SKIP() << testing_support::NoTestServer;
    testing_support::PrivateServer server;
    ASSERT_FALSE(server.conninfo().isEmpty());
    // Every table made from now on ends the session that first writes rows into it.
    ASSERT_TRUE(Superuser(server.conninfo(), R"(
        CREATE FUNCTION public.cut_now() RETURNS trigger LANGUAGE plpgsql AS $$
        BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NULL; END $$;
        CREATE FUNCTION public.cut_on_new_tables() RETURNS event_trigger LANGUAGE plpgsql AS $$
        DECLARE made record;
        BEGIN
            FOR made IN SELECT object_identity FROM pg_event_trigger_ddl_commands()
                        WHERE command_tag = 'CREATE TABLE' LOOP
                EXECUTE format('CREATE TRIGGER cut BEFORE INSERT ON %s FOR EACH STATEMENT '
                               'EXECUTE FUNCTION public.cut_now()', made.object_identity);
            END LOOP;
        END $$;
        CREATE EVENT TRIGGER cut ON ddl_command_end EXECUTE FUNCTION public.cut_on_new_tables())"));
    QTemporaryDir folder;
    ASSERT_EQ(Admin({"init", folder.path(), "PERSA", "--demo"}).status, 0);

    const AdminRun run = Admin({"copy", folder.path(), server.conninfo(), "PERSA"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("La connessione al server si è interrotta")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("server closed the connection") || run.err.contains("terminating connection"))
        << run.err.toStdString();  // libpq's or the server's, beneath
}
