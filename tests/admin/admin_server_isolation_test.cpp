// Changes recorded whatever isolation the server gives a transaction by
// default: the program's sessions run read committed and go through; another
// client's transaction that took its snapshot before a change committed
// fails with the standard serialization failure, never a duplicate key; the
// chain stays whole.
#include "admin_run.h"

#include "company/company_server.h"
#include "store/engine/engine.h"
#include "support/test_company.h"

#include <libpq-fe.h>

#include <QCoreApplication>

#include <gtest/gtest.h>

using testing_support::Engine;
using testing_support::MakeTestCompany;

namespace {

// A libpq session of its own; the SQLSTATE of the last failure, empty when
// the statement ran.
class Client {
public:
    explicit Client(const QString& conninfo) : conn_(PQconnectdb(conninfo.toUtf8().constData()))
    {
        EXPECT_EQ(PQstatus(conn_), CONNECTION_OK) << PQerrorMessage(conn_);
    }
    ~Client() { PQfinish(conn_); }
    QString run(const QString& sql)
    {
        PGresult* result = PQexec(conn_, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        QString state;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            state = QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE));
            message = QString::fromUtf8(PQresultErrorMessage(result));
        }
        PQclear(result);
        return state;
    }
    QString message;

private:
    PGconn* conn_;
};

}  // namespace

TEST(ServerIsolation, UnderARepeatableReadDefaultTheProgramWritesAndAnOlderSnapshotFailsAsASerializationFailure)
{
    auto company = MakeTestCompany(Engine::Server);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const testing_support::ServerDatabaseOfItsOwn database(
        company->location(), QStringLiteral("quenvol_isolamento_%1").arg(QCoreApplication::applicationPid()));
    const QString conninfo = database.conninfo();
    company->exec("ALTER DATABASE " + database.name() + " SET default_transaction_isolation = 'repeatable read'");
    ASSERT_EQ(company::server::CreateCompanySchema(conninfo, "RR", true), "");
    Client setup(conninfo);
    ASSERT_EQ(setup.run("INSERT INTO \"RR\".\"TabellaSerieSemplificata\" (\"SspCodice\", \"SspDescrizione\") "
                        "VALUES ('A1', 'PRIMA'), ('B1', 'PRIMA'), ('C1', 'PRIMA')"),
              "");
    const QString change = "UPDATE \"RR\".\"TabellaSerieSemplificata\" SET \"SspDescrizione\" = '%1' "
                           "WHERE \"SspCodice\" = '%2'";
    {
        // The program reads, another operator's change commits, the
        // program writes: its commit sees that change's history row.
        auto program = store::openServerDatabase(conninfo, "RR", 3000);
        program->beginTrans();
        auto registers = program->openTable("TabellaSerieSemplificata");
        registers->setIndex("primaria");
        registers->seek("=", "A1");
        ASSERT_FALSE(registers->noMatch());
        Client other(conninfo);
        ASSERT_EQ(other.run(change.arg("ALTRO", "B1")), "") << other.message.toStdString();
        registers->edit();
        registers->setField("SspDescrizione", "PROGRAMMA");
        registers->update();
        EXPECT_NO_THROW(program->commitTrans());
    }
    {
        // A client left to the default: its snapshot is older than the
        // other's commit.
        Client late(conninfo), other(conninfo);
        ASSERT_EQ(late.run("BEGIN; SELECT count(*) FROM \"RR\".\"TabellaSerieSemplificata\""), "");
        ASSERT_EQ(other.run(change.arg("ANCORA", "B1")), "");
        ASSERT_EQ(late.run(change.arg("TARDI", "C1")), "");
        EXPECT_EQ(late.run("COMMIT"), "40001") << late.message.toStdString();
        EXPECT_FALSE(late.message.contains("duplicate key")) << late.message.toStdString();
    }
    const AdminRun run = Admin({"verify", conninfo, "RR"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
}
