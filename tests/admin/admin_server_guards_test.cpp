// The server's history as the office's owner and operators meet it through
// quenvol-admin: a schema renamed and restored by copy keeps recording into
// its own history; nobody empties a table with TRUNCATE; verify names a
// missing, disabled or changed trigger or function, beside the data it let
// differ, and upgrade puts it back saying so; grant gives the operators their rights and an abandoned
// transaction no longer holds the others up; the guard ends an operator who
// holds the others up, busy or idle, and rolls back her prepared transaction.
#include "admin_run.h"
#include "company/starting_state.h"

#include "store/schema/table_description.h"
#include "support/test_company.h"

#include <libpq-fe.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace store;
using testing_support::Engine;
using testing_support::MakeServerCompanyInItsOwnDatabase;
using testing_support::MakeTestCompany;
using testing_support::TestCompany;

namespace {

// A connection of its own to the test server, as `user` (the server's
// default user when empty); runs SQL and says what the server answered.
class Session {
public:
    explicit Session(const TestCompany& company, const QString& user = QString())
    {
        const char* keywords[] = {"dbname", user.isEmpty() ? nullptr : "user", nullptr};
        const QByteArray server = company.location().toUtf8(), name = user.toUtf8();
        const char* values[] = {server.constData(), name.constData(), nullptr};
        conn_ = PQconnectdbParams(keywords, values, 1);
        EXPECT_EQ(PQstatus(conn_), CONNECTION_OK) << PQerrorMessage(conn_);
        run(QStringLiteral("SET search_path TO \"%1\"").arg(company.company()));
    }
    ~Session() { PQfinish(conn_); }
    // The server's error, empty when the statement ran.
    QString run(const QString& sql)
    {
        PGresult* result = PQexec(conn_, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        const QString error = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK
            ? QString()
            : QString::fromUtf8(PQresultErrorMessage(result));
        PQclear(result);
        return error;
    }

private:
    PGconn* conn_ = nullptr;
};

// `condition` true within `ms` milliseconds (checked again and again).
bool Within(int ms, const std::function<bool()>& condition)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > ms)
            return false;
        QThread::msleep(50);
    }
    return true;
}

// The office guard watching a company's database with a limit of one
// second, stopped when the test ends.
class RunningGuard {
public:
    explicit RunningGuard(const TestCompany& company)
    {
        process_.start(qEnvironmentVariable("QUENVOL_BIN_DIR") + QStringLiteral("/quenvol-admin"),
                       {"guard", company.location(), "--limit", "1"});
    }
    ~RunningGuard()
    {
        process_.kill();
        process_.waitForFinished();
    }
    bool started() { return process_.waitForStarted(); }
    // Whether it writes `text` within 30 s; said() holds all it wrote.
    bool says(const QString& text)
    {
        return Within(30000, [&] {
            said_ += QString::fromUtf8(process_.readAllStandardOutput());
            process_.waitForReadyRead(100);
            return said_.contains(text);
        });
    }
    const QString& said() const { return said_; }

private:
    QProcess process_;
    QString said_;
};

}  // namespace

TEST(ServerAdminGuards, ARenamedSchemaRestoredByCopyKeepsRecordingIntoItsOwnHistory)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    QString started;  // the demonstration rows, as init --demo records them
    ASSERT_EQ(company::starting_state::Record(company->location(), company->company(), &started), "");
    const QString name = company->company(), old = name + QStringLiteral("_vecchia");
    QTemporaryDir copies;
    ASSERT_EQ(Admin({"copy", company->location(), copies.path(), name}).status, 0);
    company->exec(QStringLiteral("DROP SCHEMA IF EXISTS \"%1\" CASCADE; ALTER SCHEMA \"%2\" RENAME TO \"%1\"")
                      .arg(old, name));
    const AdminRun restored = Admin({"copy", copies.path(), company->location(), name});
    ASSERT_EQ(restored.status, 0) << restored.err.toStdString();
    const auto rows = [&](const QString& schema, const QString& where) {
        return company->scalar(QStringLiteral("SELECT count(*) FROM \"%1\".\"StoricoSerieSemplificata\" WHERE %2")
                                   .arg(schema, where))
            .toInt();
    };
    const int before = rows(name, "true");
    company->exec(QStringLiteral("UPDATE \"%1\".\"TabellaSerieSemplificata\" SET \"SspDescrizione\" = 'VECCHIA' "
                                 "WHERE \"SspCodice\" = 'AB01'; "
                                 "SELECT \"%1\".\"StoricoSerieSemplificata_evento\"('AB01', 'stampa pagine', "
                                 "'ARRIVI', '1', '2')")
                      .arg(old));
    EXPECT_EQ(rows(old, "\"StoDopo\" = 'VECCHIA'"), 1);
    EXPECT_EQ(rows(old, "\"StoAzione\" = 'stampa pagine'"), 1);
    EXPECT_EQ(rows(name, "true"), before);
    company->exec(QStringLiteral("UPDATE \"%1\".\"TabellaSerieSemplificata\" SET \"SspDescrizione\" = 'NUOVA' "
                                 "WHERE \"SspCodice\" = 'AB01'")
                      .arg(name));
    EXPECT_EQ(rows(name, "\"StoDopo\" = 'NUOVA'"), 1);
    EXPECT_EQ(rows(old, "\"StoDopo\" = 'NUOVA'"), 0);
    EXPECT_EQ(Admin({"verify", company->location(), old}).status, 0);
    EXPECT_EQ(Admin({"verify", company->location(), name}).status, 0);
    company->exec(QStringLiteral("DROP SCHEMA \"%1\" CASCADE").arg(old));
}

TEST(ServerAdminGuards, NoTruncateAndATriggerSetAsideIsFoundByVerifyAndPutBackByUpgrade)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    QString started;  // the demonstration rows, as init --demo records them
    ASSERT_EQ(company::starting_state::Record(company->location(), company->company(), &started), "");
    Session owner(*company);
    for (const TableDescription* table : SharedTables())
        EXPECT_NE(owner.run(QStringLiteral("TRUNCATE \"%1\" CASCADE").arg(table->name)), "") << table->name.toStdString();
    EXPECT_GT(company->count(RegisterTable), 0);
    ASSERT_EQ(owner.run("ALTER TABLE \"TabellaSerieSemplificata\" DISABLE TRIGGER \"TabellaSerieSemplificata_storico\"; "
                        "DROP TRIGGER \"TabellaDocScorta_no_svuota\" ON \"TabellaDocScorta\"; "
                        "ALTER TABLE \"StoricoSerieSemplificata\" DISABLE TRIGGER \"StoricoSerieSemplificata_no_modifica\"; "
                        "CREATE OR REPLACE FUNCTION \"StoricoSerieSemplificata_TestataRegistriPS\"() RETURNS trigger "
                        "LANGUAGE plpgsql AS $$ BEGIN RETURN NULL; END $$"),
              "");
    AdminRun run = Admin({"verify", company->location(), company->company()});
    EXPECT_EQ(run.status, 1);
    for (const char* told : {"TabellaSerieSemplificata_storico della tabella TabellaSerieSemplificata è disattivato",
                             "manca il trigger TabellaDocScorta_no_svuota",
                             "StoricoSerieSemplificata_no_modifica della tabella StoricoSerieSemplificata è disattivato",
                             "la funzione StoricoSerieSemplificata_TestataRegistriPS è stata cambiata"})
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(told))) << run.err.toStdString();
    run = Admin({"upgrade", company->location(), company->company()});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("riattivato il trigger TabellaSerieSemplificata_storico")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("ricreato il trigger TabellaDocScorta_no_svuota")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("ricreata la funzione StoricoSerieSemplificata_TestataRegistriPS")) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("nulla da fare")) << run.out.toStdString();
    EXPECT_EQ(Admin({"verify", company->location(), company->company()}).status, 0);
    EXPECT_NE(owner.run("TRUNCATE \"TabellaDocScorta\""), "");
    EXPECT_TRUE(Admin({"upgrade", company->location(), company->company()}).out.contains("nulla da fare"));
}

TEST(ServerAdminGuards, VerifyTellsADataDifferenceAndTheTriggerSetAsideThatLetItThrough)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    QString started;
    ASSERT_EQ(company::starting_state::Record(company->location(), company->company(), &started), "");
    Session owner(*company);
    ASSERT_EQ(owner.run("ALTER TABLE \"TabellaSerieSemplificata\" DISABLE TRIGGER \"TabellaSerieSemplificata_storico\"; "
                        "UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = 'FUORI STORICO'"),
              "");
    const AdminRun run = Admin({"verify", company->location(), company->company()});
    EXPECT_EQ(run.status, 1);
    for (const char* told : {"i dati non sono quelli che lo storico dà", "\"FUORI STORICO\", dallo storico",
                             "TabellaSerieSemplificata_storico della tabella TabellaSerieSemplificata è disattivato"})
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(told))) << run.err.toStdString();
}

// An owner who may not set other roles' limits is told so, and how, in
// Italian, before anything is granted.
TEST(ServerAdminGuards, GrantByARoleThatMayNotAlterRolesSaysWhoCan)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    const QString group = "gruppo_" + suffix, owner = "titolare_" + suffix;
    company->exec(QStringLiteral("DROP ROLE IF EXISTS %1; DROP ROLE IF EXISTS %2; CREATE ROLE %1 NOLOGIN; "
                                 "CREATE ROLE %2 LOGIN")
                      .arg(group, owner));
    QString asOwner = company->location();
    asOwner.replace(QStringLiteral("user=postgres"), QStringLiteral("user=") + owner);
    ASSERT_NE(asOwner, company->location());
    const AdminRun run = Admin({"grant", asOwner, company->company(), group});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("serve un superutente o un ruolo con CREATEROLE")) << run.err.toStdString();
    EXPECT_FALSE(company->scalar(QStringLiteral("SELECT has_schema_privilege('%1', '%2', 'USAGE')")
                                     .arg(group, company->company()))
                     .toBool());
    company->exec(QStringLiteral("DROP ROLE %1; DROP ROLE %2").arg(group, owner));
}

TEST(ServerAdminGuards, GrantGivesTheOperatorsTheirRightsAndAnAbandonedTransactionHoldsNobodyUp)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    const QString group = "operatori_" + suffix, anna = "anna_" + suffix, bruno = "bruno_" + suffix;
    AdminRun run = Admin({"grant", company->location(), company->company(), group});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("non esiste")) << run.err.toStdString();
    company->exec(QStringLiteral("DROP ROLE IF EXISTS %2; DROP ROLE IF EXISTS %3; DROP ROLE IF EXISTS %1; "
                                 "CREATE ROLE %1 NOLOGIN; CREATE ROLE %2 LOGIN IN ROLE %1; CREATE ROLE %3 LOGIN IN ROLE %1")
                      .arg(group, anna, bruno));
    run = Admin({"grant", company->location(), company->company(), group});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(anna) && run.out.contains(bruno)) << run.out.toStdString();
    {
        // What the workstations need, and nothing more.
        const QString schema = "\"" + company->company() + "\"";
        const auto may = [&](const QString& check) {
            return company->scalar("SELECT " + check.arg(anna, schema)).toBool();
        };
        EXPECT_TRUE(may("has_table_privilege('%1', '%2.\"TabellaDocScorta\"', 'SELECT, INSERT, UPDATE, DELETE')"));
        EXPECT_TRUE(may("has_table_privilege('%1', '%2.\"StoricoSerieSemplificata\"', 'SELECT')"));
        EXPECT_FALSE(may("has_table_privilege('%1', '%2.\"StoricoSerieSemplificata\"', 'INSERT')"));
        EXPECT_FALSE(may("has_table_privilege('%1', '%2.\"TabellaSerieSemplificata\"', 'TRUNCATE')"));
        EXPECT_FALSE(company->scalar(QStringLiteral("SELECT has_schema_privilege('%1', '%2', 'CREATE')")
                                         .arg(anna, company->company()))
                         .toBool());
        EXPECT_TRUE(may("has_function_privilege('%1', '%2.\"StoricoSerieSemplificata_evento\""
                        "(text, text, text, text, text)', 'EXECUTE')"));

        // Anna records an event in a transaction and leaves it open: the
        // event waits for her commit, so the history's lock is not hers and
        // Bruno's change goes through; Anna's transaction is ended by the
        // server.
        Session annaSession(*company, anna), brunoSession(*company, bruno);
        ASSERT_EQ(annaSession.run("BEGIN; SELECT \"StoricoSerieSemplificata_evento\"('AB01', 'stampa pagine', "
                                  "'ARRIVI', '1', '2')"),
                  "");
        const QString annaPid = company->scalar(QStringLiteral("SELECT pid FROM pg_stat_activity WHERE usename = '%1'")
                                                    .arg(anna)).toString();
        std::atomic<bool> answered{false};
        QString brunoError;
        std::thread writer([&] {
            brunoError = brunoSession.run("UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = 'BRUNO' "
                                          "WHERE \"SspCodice\" = 'AB01'");
            answered = true;
        });
        EXPECT_TRUE(Within(60000, [&] { return answered.load(); }));
        if (!answered)  // not to be held here as well
            company->exec(QStringLiteral("SELECT pg_cancel_backend(pid) FROM pg_stat_activity WHERE usename = '%1'")
                              .arg(bruno));
        writer.join();
        EXPECT_EQ(brunoError, "");
        EXPECT_TRUE(Within(90000, [&] {
            return company->scalar("SELECT count(*) FROM pg_stat_activity WHERE pid = " + annaPid).toInt() == 0;
        }));
    }
    company->exec(QStringLiteral("DROP OWNED BY %1, %2, %3; DROP ROLE %2; DROP ROLE %3; DROP ROLE %1")
                      .arg(group, anna, bruno));
}

TEST(ServerAdminGuards, TheGuardEndsAnOperatorWhoHoldsALockWithHerOwnLimitsAtZero)
{
    auto company = MakeServerCompanyInItsOwnDatabase(true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    const QString group = "guardati_" + suffix, anna = "anna_g_" + suffix, bruno = "bruno_g_" + suffix;
    company->exec(QStringLiteral("DROP ROLE IF EXISTS %2; DROP ROLE IF EXISTS %3; DROP ROLE IF EXISTS %1; "
                                 "CREATE ROLE %1 NOLOGIN; CREATE ROLE %2 LOGIN IN ROLE %1; CREATE ROLE %3 LOGIN IN ROLE %1")
                      .arg(group, anna, bruno));
    ASSERT_EQ(Admin({"grant", company->location(), company->company(), group}).status, 0);
    // Their limits in this database set to none, as each may set her own.
    const QString database = company->scalar("SELECT current_database()").toString();
    company->exec(QStringLiteral("ALTER ROLE %1 IN DATABASE %3 SET idle_in_transaction_session_timeout = 0; "
                                 "ALTER ROLE %1 IN DATABASE %3 SET lock_timeout = 0; "
                                 "ALTER ROLE %2 IN DATABASE %3 SET lock_timeout = 0")
                      .arg(anna, bruno, database));
    RunningGuard guard(*company);
    ASSERT_TRUE(guard.started());
    {
        Session annaSession(*company, anna), brunoSession(*company, bruno);
        ASSERT_EQ(annaSession.run("BEGIN; LOCK TABLE \"TabellaSerieSemplificata\" IN ACCESS EXCLUSIVE MODE"), "");
        std::atomic<bool> answered{false};
        QString brunoError;
        std::thread writer([&] {
            brunoError = brunoSession.run("UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = 'BRUNO' "
                                          "WHERE \"SspCodice\" = 'AB01'");
            answered = true;
        });
        EXPECT_TRUE(Within(60000, [&] { return answered.load(); }));
        if (!answered)  // not to be held here as well
            company->exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE usename = '%1'")
                              .arg(anna));
        writer.join();
        EXPECT_EQ(brunoError, "");
        EXPECT_EQ(company->scalar("SELECT \"SspDescrizione\" FROM \"TabellaSerieSemplificata\" WHERE \"SspCodice\" = "
                                  "'AB01'")
                      .toString(),
                  "BRUNO");
    }
    EXPECT_TRUE(guard.says("terminata la sessione di " + anna)) << guard.said().toStdString();
    const QString& said = guard.said();
    EXPECT_TRUE(said.contains("TabellaSerieSemplificata (AccessExclusiveLock)")) << said.toStdString();
    EXPECT_FALSE(said.contains(bruno)) << said.toStdString();
    company->exec(QStringLiteral("DROP OWNED BY %1, %2, %3; DROP ROLE %2; DROP ROLE %3; DROP ROLE %1")
                      .arg(group, anna, bruno));
}

TEST(ServerAdminGuards, TheGuardEndsABusyOperatorWhoseWaitersGiveUpFirstAndRollsBackHerPreparedTransaction)
{
    auto company = MakeServerCompanyInItsOwnDatabase(true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    const QString group = "occupati_" + suffix, anna = "anna_o_" + suffix, bruno = "bruno_o_" + suffix;
    company->exec(QStringLiteral("DROP ROLE IF EXISTS %2; DROP ROLE IF EXISTS %3; DROP ROLE IF EXISTS %1; "
                                 "CREATE ROLE %1 NOLOGIN; CREATE ROLE %2 LOGIN IN ROLE %1; CREATE ROLE %3 LOGIN IN ROLE %1")
                      .arg(group, anna, bruno));
    ASSERT_EQ(Admin({"grant", company->location(), company->company(), group}).status, 0);
    RunningGuard guard(*company);
    ASSERT_TRUE(guard.started());
    const QString lock = "BEGIN; SET lock_timeout = 0; SET statement_timeout = 0; "
                         "LOCK TABLE \"TabellaSerieSemplificata\" IN ACCESS EXCLUSIVE MODE";
    // Bruno gives up each wait after a fraction of the limit, as the
    // program does after its own lock timeout, and tries again.
    const auto brunoWrites = [&](const QString& description) {
        Session brunoSession(*company, bruno);
        brunoSession.run("SET lock_timeout = '300ms'");
        return Within(60000, [&] {
            return brunoSession.run("UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = '" + description +
                                    "' WHERE \"SspCodice\" = 'AB01'")
                .isEmpty();
        });
    };
    {
        // Anna is busy (a statement that runs on), never idle.
        Session annaSession(*company, anna);
        ASSERT_EQ(annaSession.run(lock), "");
        std::thread busy([&] { annaSession.run("SELECT pg_sleep(120)"); });
        const bool written = brunoWrites("DOPO ANNA");
        if (!written)  // not to be held here as well
            company->exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE usename = '%1'")
                              .arg(anna));
        busy.join();
        EXPECT_TRUE(written);
    }
    {
        // Anna prepares her transaction and leaves: no session holds it.
        Session annaSession(*company, anna);
        ASSERT_EQ(annaSession.run(lock + "; PREPARE TRANSACTION 'di anna'"), "");
    }
    const bool written = brunoWrites("DOPO LA PREPARATA");
    if (!written)
        company->exec("ROLLBACK PREPARED 'di anna'");
    EXPECT_TRUE(written);
    EXPECT_TRUE(guard.says("annullata la transazione preparata 'di anna' di " + anna)) << guard.said().toStdString();
    const QString& said = guard.said();
    EXPECT_TRUE(said.contains("terminata la sessione di " + anna + " da socket locale: teneva " +
                              company->company() + ".TabellaSerieSemplificata (AccessExclusiveLock); faceva attendere"))
        << said.toStdString();
    EXPECT_FALSE(said.contains(bruno)) << said.toStdString();
    company->exec(QStringLiteral("DROP OWNED BY %1, %2, %3; DROP ROLE %2; DROP ROLE %3; DROP ROLE %1")
                      .arg(group, anna, bruno));
}

TEST(ServerAdminGuards, TheGuardEndsWhoHoldsTheOthersUpNotAnOperatorWhoOnlyWaitsInTheChain)
{
    auto company = MakeServerCompanyInItsOwnDatabase(true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    const QString group = "catena_" + suffix, anna = "anna_c_" + suffix, bruno = "bruno_c_" + suffix,
                  carla = "carla_c_" + suffix;
    company->exec(QStringLiteral("DROP ROLE IF EXISTS %2; DROP ROLE IF EXISTS %3; DROP ROLE IF EXISTS %4; "
                                 "DROP ROLE IF EXISTS %1; CREATE ROLE %1 NOLOGIN; CREATE ROLE %2 LOGIN IN ROLE %1; "
                                 "CREATE ROLE %3 LOGIN IN ROLE %1; CREATE ROLE %4 LOGIN IN ROLE %1")
                      .arg(group, anna, bruno, carla));
    ASSERT_EQ(Admin({"grant", company->location(), company->company(), group}).status, 0);
    RunningGuard guard(*company);
    ASSERT_TRUE(guard.started());
    const QString change = "UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = '%1' WHERE \"SspCodice\" = '%2'";
    {
        // Anna holds AB01 and leaves her transaction open; Bruno, holding
        // AB02, waits for AB01; Carla waits for AB02.
        Session annaSession(*company, anna), brunoSession(*company, bruno), carlaSession(*company, carla);
        ASSERT_EQ(annaSession.run("SET idle_in_transaction_session_timeout = 0; BEGIN; " + change.arg("ANNA", "AB01")), "");
        std::atomic<bool> brunoDone{false}, carlaDone{false};
        QString brunoError, carlaError;
        std::thread brunoWrites([&] {
            brunoError = brunoSession.run("SET lock_timeout = 0; BEGIN; " + change.arg("BRUNO", "AB02") + "; " +
                                          change.arg("BRUNO", "AB01") + "; COMMIT");
            brunoDone = true;
        });
        ASSERT_TRUE(Within(30000, [&] {
            return company->scalar(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE usename = '%1' "
                                                  "AND wait_event_type = 'Lock'").arg(bruno)).toInt() == 1;
        }));
        std::thread carlaWrites([&] {
            carlaError = carlaSession.run("SET lock_timeout = 0; " + change.arg("CARLA", "AB02"));
            carlaDone = true;
        });
        const bool answered = Within(60000, [&] { return brunoDone.load() && carlaDone.load(); });
        if (!answered)  // not to be held here as well
            company->exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE usename IN "
                                         "('%1', '%2', '%3')").arg(anna, bruno, carla));
        brunoWrites.join();
        carlaWrites.join();
        EXPECT_TRUE(answered);
        EXPECT_EQ(brunoError, "");
        EXPECT_EQ(carlaError, "");
    }
    EXPECT_EQ(company->scalar("SELECT \"SspDescrizione\" FROM \"TabellaSerieSemplificata\" WHERE \"SspCodice\" = 'AB01'")
                  .toString(),
              "BRUNO");
    EXPECT_TRUE(guard.says("terminata la sessione di " + anna)) << guard.said().toStdString();
    const QString& said = guard.said();
    EXPECT_FALSE(said.contains(bruno)) << said.toStdString();
    EXPECT_FALSE(said.contains(carla)) << said.toStdString();
    company->exec(QStringLiteral("DROP OWNED BY %1, %2, %3, %4; DROP ROLE %2; DROP ROLE %3; DROP ROLE %4; DROP ROLE %1")
                      .arg(group, anna, bruno, carla));
}
