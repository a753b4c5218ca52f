// The change history on the office server, written by the server itself: a
// change made through any client as the workstations' role is recorded under
// that role, a history row cannot be forged, the program's own confirm leaves
// the rows the triggers write (with the workstation it declares), and the
// server's fingerprints are the ones the program computes.
#include "opened_company.h"
#include "replay_differences.h"
#include "two_sessions.h"

#include "store/history/history_chain.h"
#include "store/history/history_event.h"
#include "store/history/history_writer.h"
#include "store/schema/table_description.h"

#include <libpq-fe.h>

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>

using namespace store;
using testing_support::Engine;
using testing_support::MakeTestCompany;
using testing_support::TestCompany;

namespace {

// A role with the grants the office guide (doc/office.md) gives the workstations, dropped at the end.
class WorkstationRole {
public:
    explicit WorkstationRole(const TestCompany& company)
        : company_(company), name_(QStringLiteral("operatore_%1").arg(QCoreApplication::applicationPid()))
    {
        const QString schema = QStringLiteral("\"%1\"").arg(company.company());
        company.exec(QStringLiteral("DROP ROLE IF EXISTS %1").arg(name_));
        company.exec(QStringLiteral("CREATE ROLE %1 LOGIN").arg(name_));
        company.exec(QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schema, name_));
        company.exec(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1.\"TabellaSerieSemplificata\", "
                                    "%1.\"TestataRegistriPS\", %1.\"TabellaDocScorta\" TO %2")
                         .arg(schema, name_));
        company.exec(QStringLiteral("GRANT SELECT ON %1.\"StoricoSerieSemplificata\" TO %2").arg(schema, name_));
        company.exec(QStringLiteral("GRANT EXECUTE ON FUNCTION %1.\"StoricoSerieSemplificata_evento\""
                                    "(text, text, text, text, text) TO %2")
                         .arg(schema, name_));
        // As psql would connect: the test server's socket, this role.
        const char* keywords[] = {"dbname", "user", nullptr};
        const QByteArray server = company.location().toUtf8(), user = name_.toUtf8();
        const char* values[] = {server.constData(), user.constData(), nullptr};
        conn_ = PQconnectdbParams(keywords, values, 1);
        EXPECT_EQ(PQstatus(conn_), CONNECTION_OK) << PQerrorMessage(conn_);
        run(QStringLiteral("SET search_path TO %1").arg(schema));
    }
    ~WorkstationRole()
    {
        PQfinish(conn_);
        company_.exec(QStringLiteral("DROP OWNED BY %1").arg(name_));
        company_.exec(QStringLiteral("DROP ROLE %1").arg(name_));
    }
    const QString& name() const { return name_; }

    // Runs `sql` as the role; the server's error, empty when it ran.
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
    const TestCompany& company_;
    QString name_;
    PGconn* conn_ = nullptr;
};

QString historyValue(const TestCompany& company, const QString& column, const QString& where)
{
    return company.scalar(QStringLiteral("SELECT \"%1\" FROM \"StoricoSerieSemplificata\" WHERE %2 "
                                         "ORDER BY \"StoId\" DESC LIMIT 1")
                              .arg(column, where))
        .toString();
}

}  // namespace

TEST(ServerHistory, ForgedRowsAreRefusedToTheWorkstationsRole)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    WorkstationRole role(*company);
    EXPECT_NE(role.run("INSERT INTO \"StoricoSerieSemplificata\" (\"StoId\", \"StoQuando\", \"StoUtente\", "
                       "\"StoCodice\", \"StoAzione\") VALUES (999, '2026-01-01T00:00:00.000Z', 'direttore', "
                       "'AB01', 'variazione')"),
              "");
    EXPECT_NE(role.run("SELECT \"StoricoSerieSemplificata_aggiungi\"('AB01', 'variazione', 'SspDescrizione', "
                       "'A', 'B')"),
              "");
    // The event function records events, never a change of a row.
    EXPECT_NE(role.run("SELECT \"StoricoSerieSemplificata_evento\"('AB01', 'variazione', 'SspDescrizione', "
                       "'A', 'B')"),
              "");
    EXPECT_NE(role.run("UPDATE \"StoricoSerieSemplificata\" SET \"StoUtente\" = 'direttore'"), "");
    EXPECT_EQ(company->count(HistoryTable), 0);
}

TEST(ServerHistory, AChangeThroughAnyClientIsRecordedUnderTheRoleAndChainedAsTheProgramChains)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    WorkstationRole role(*company);
    // A value with every character the canonical line escapes, and Null.
    ASSERT_EQ(role.run("UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = E'A\\tB\\\\C\\nD\\r\xC3\xA8', "
                       "\"SspArrSerie\" = NULL WHERE \"SspCodice\" = 'AB01'"),
              "");
    ASSERT_EQ(role.run("DELETE FROM \"TabellaDocScorta\" WHERE \"Codice\" = (SELECT min(\"Codice\") "
                       "FROM \"TabellaDocScorta\")"),
              "");
    const QString described = "\"StoColonna\" = 'SspDescrizione'";
    EXPECT_EQ(historyValue(*company, "StoUtente", described), role.name());
    EXPECT_EQ(historyValue(*company, "StoRuolo", described), role.name());
    EXPECT_EQ(historyValue(*company, "StoIndirizzo", described), "socket locale");
    EXPECT_EQ(historyValue(*company, "StoAzione", described), "variazione");
    EXPECT_EQ(historyValue(*company, "StoDopo", described), QString::fromUtf8("A\tB\\C\nD\r\xC3\xA8"));
    EXPECT_EQ(company->scalar("SELECT count(*) FROM \"StoricoSerieSemplificata\" "
                              "WHERE \"StoColonna\" LIKE 'TabellaDocScorta.%' AND \"StoAzione\" = 'cancellazione'")
                  .toInt(),
              2);
    // The fingerprints the server wrote are the ones the program computes.
    auto db = company->open();
    const ChainCheck check = VerifyHistoryChain(*db);
    EXPECT_TRUE(check.whole) << check.problem.toStdString();
    EXPECT_EQ(check.rows, company->count(HistoryTable));
    EXPECT_GE(check.rows, 4);
}

TEST(ServerHistory, TheProgramsConfirmAndEventsAreWrittenByTheServerWithTheDeclaredWorkstation)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    store_tests::Session session(*company);
    OpenHistoryTable(session.db, session.boxes);
    ASSERT_TRUE(session.db.HistoryTableOpen);
    EXPECT_FALSE(session.db.HistoryCursor);  // the program writes none itself
    ScreenValues screen = session.open("AB01");
    session.record.SspDescrizione = QStringLiteral("NUOVA DESCRIZIONE");
    ASSERT_TRUE(session.confirm(RegisterToScreen(session.record)));
    const QString described = "\"StoColonna\" = 'SspDescrizione'";
    EXPECT_EQ(historyValue(*company, "StoDopo", described), "NUOVA DESCRIZIONE");
    EXPECT_EQ(company->scalar("SELECT count(DISTINCT \"StoModifica\") FROM \"StoricoSerieSemplificata\"").toInt(), 1);
    EXPECT_EQ(historyValue(*company, "StoPostazione", "true"), ThisWorkstation().host);
    EXPECT_EQ(historyValue(*company, "StoVersione", "true"), ThisWorkstation().version);
    EXPECT_EQ(historyValue(*company, "StoUtente", "true"), "postgres");

    RecordHistoryEvent(*session.db.database, {"AB01", "stampa pagine", "ARRIVI", 1, 4});
    const std::optional<HistoryAnchor> anchor = LastHistoryAnchor(*session.db.database);
    ASSERT_TRUE(anchor);
    EXPECT_EQ(anchor->rows, company->count(HistoryTable));
    EXPECT_EQ(anchor->fingerprint, historyValue(*company, "StoImpronta", "\"StoAzione\" = 'stampa pagine'"));
    EXPECT_TRUE(VerifyHistoryChain(*session.db.database).whole);
}

TEST(HistoryChain, TheCanonicalLineIsTheOneAnybodyRecomputesWithSha256sum)
{
    // The worked example of doc/history.md, recomputed there with printf | sha256sum.
    Row row{qlonglong(1), "3f2c9a0e5b7d4e1f8a6b2c4d9e0f1a2b", "2026-12-09T17:30:00.000Z", "mario", "ufficio1",
            "1.0.0", "AB01", "variazione", "SspDescrizione", "MAGAZZINO NORD", "MAGAZZINO SUD", Value(), Value()};
    const QString first = HistoryFingerprint(QString(), row);
    EXPECT_EQ(first, "a4a90805a9a8dadf38a3be3b864d6dbb95bef09e9734627362b46add7af4e0bb");
    row[HistoryColumns::Id] = qlonglong(2);
    row[HistoryColumns::Colonna] = "SspUltimoCarico";
    row[HistoryColumns::Prima] = "41";
    row[HistoryColumns::Dopo] = "42";
    EXPECT_EQ(HistoryFingerprint(first, row), "57342dba250a8ff4c488da1da8f1eabeb23db0c0f55fd028c33ca3bff0cd0247");
}

TEST(HistoryChain, TheProgramsWritesOnTheFileAreChainedAndAnEditedRowBreaksTheChain)
{
    testing_support::TempCompany company(true);
    {
        store_tests::OpenedCompany o(company);
        for (const char* description : {"PRIMA", "SECONDA"}) {
            o.show("R1");
            RegisterRecord record = *o.shown.row;
            record.SspDescrizione = description;
            ASSERT_TRUE(o.write(RegisterToScreen(record)));
        }
        const ChainCheck check = VerifyHistoryChain(*o.db.database);
        EXPECT_TRUE(check.whole) << check.problem.toStdString();
        EXPECT_EQ(check.rows, company.count(HistoryTable));
        EXPECT_EQ(check.lastFingerprint, LastHistoryAnchor(*o.db.database)->fingerprint);
    }
    company.exec("DROP TRIGGER StoricoSerieSemplificata_no_update; "
                 "UPDATE StoricoSerieSemplificata SET StoDopo = 'TERZA' WHERE StoDopo = 'SECONDA'");
    auto db = openDatabase(company.databasePath());
    EXPECT_FALSE(VerifyHistoryChain(*db).whole);
}

TEST(ServerHistory, TwoWritersAtOnceAreChainedInTheOrderOfTheRowNumbers)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const auto connect = [&] {
        PGconn* conn = PQconnectdb(company->location().toUtf8().constData());
        EXPECT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
        PQclear(PQexec(conn, QStringLiteral("SET search_path TO \"%1\"").arg(company->company()).toUtf8().constData()));
        return conn;
    };
    const auto ok = [](PGresult* result) {
        const bool done = PQresultStatus(result) == PGRES_COMMAND_OK || PQresultStatus(result) == PGRES_TUPLES_OK;
        EXPECT_TRUE(done) << PQresultErrorMessage(result);
        PQclear(result);
    };
    PGconn* first = connect();
    PGconn* second = connect();
    ok(PQexec(first, "BEGIN; UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = 'PRIMO' "
                     "WHERE \"SspCodice\" = 'R1'"));
    // The history is written as a change commits: one that commits while the
    // first is still open does not wait for it (it would fail on the lock
    // timeout) and comes first in the history.
    ok(PQexec(second, "SET lock_timeout = '60s'; BEGIN; UPDATE \"TabellaSerieSemplificata\" SET "
                      "\"SspDescrizione\" = 'SECONDO' WHERE \"SspCodice\" = 'R2'; COMMIT; RESET lock_timeout"));
    // The first's history written now, as at its commit: a third change,
    // begun later, waits for the first to commit.
    ok(PQexec(first, "SET CONSTRAINTS ALL IMMEDIATE"));
    PGresult* pid = PQexec(second, "SELECT pg_backend_pid()");
    const QByteArray secondPid = PQgetvalue(pid, 0, 0);
    PQclear(pid);
    PGresult* secondResult = nullptr;
    std::thread secondWriter([&] {
        secondResult = PQexec(second, "BEGIN; UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = "
                                      "'TERZO' WHERE \"SspCodice\" = 'R2'; COMMIT");
    });
    const auto waiting = [&] {
        return company->scalar(QStringLiteral("SELECT count(*) FROM pg_locks WHERE pid = %1 AND NOT granted")
                                   .arg(QString::fromLatin1(secondPid)))
                   .toInt() > 0;
    };
    QElapsedTimer waited;
    waited.start();
    while (!waiting() && waited.elapsed() < 30000)
        QThread::yieldCurrentThread();
    EXPECT_TRUE(waiting());
    ok(PQexec(first, "COMMIT"));
    secondWriter.join();
    ok(secondResult);
    PQfinish(first);
    PQfinish(second);
    const auto number = [&](const char* after) {
        return company->scalar(QStringLiteral("SELECT \"StoId\" FROM \"StoricoSerieSemplificata\" WHERE \"StoDopo\" = '%1'")
                                   .arg(QLatin1String(after)))
            .toInt();
    };
    EXPECT_LT(number("SECONDO"), number("PRIMO"));
    EXPECT_LT(number("PRIMO"), number("TERZO"));
    auto db = company->open();
    const ChainCheck check = VerifyHistoryChain(*db);
    EXPECT_TRUE(check.whole) << check.problem.toStdString();
}

TEST(ServerHistory, ManyWritersAtOnceLeaveAChainVerifyAcceptsWithNoRowLost)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    constexpr int Writers = 8, Changes = 15;
    for (int w = 0; w < Writers; ++w)
        company->exec(QStringLiteral("INSERT INTO \"TabellaSerieSemplificata\" (\"SspCodice\") VALUES ('P%1')").arg(w));
    const qlonglong before = company->count(HistoryTable);
    // Every writer changes its own register set's description, alone or with
    // a document type's all of them share in one transaction, and rolls some
    // changes back: each committed change is one history row per value it
    // changed.
    std::vector<std::thread> writers;
    std::atomic<int> failures{0};
    for (int w = 0; w < Writers; ++w)
        writers.emplace_back([&, w] {
            PGconn* conn = PQconnectdb(company->location().toUtf8().constData());
            const auto run = [&](const QString& sql) {
                PGresult* result = PQexec(conn, sql.toUtf8().constData());
                if (PQresultStatus(result) != PGRES_COMMAND_OK)
                    ++failures;
                PQclear(result);
            };
            run(QStringLiteral("SET search_path TO \"%1\"").arg(company->company()));
            for (int c = 0; c < Changes; ++c) {
                const QString set = QStringLiteral("UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = "
                                                   "'W%1-%2' WHERE \"SspCodice\" = 'P%1'")
                                        .arg(w)
                                        .arg(c);
                const QString shared = QStringLiteral("UPDATE \"TabellaDocScorta\" SET \"Descrizione\" = 'W%1-%2' "
                                                      "WHERE \"Codice\" = (SELECT min(\"Codice\") FROM \"TabellaDocScorta\")")
                                           .arg(w)
                                           .arg(c);
                switch (c % 3) {
                case 0: run(set); break;
                case 1: run(QStringLiteral("BEGIN; %1; %2; COMMIT").arg(set, shared)); break;
                default: run(QStringLiteral("BEGIN; %1; ROLLBACK").arg(set)); break;
                }
            }
            PQfinish(conn);
        });
    for (std::thread& t : writers)
        t.join();
    EXPECT_EQ(failures.load(), 0);
    const int committed = Writers * (5 + 5 * 2);  // per writer: 5 single changes, 5 of two rows
    EXPECT_EQ(company->count(HistoryTable), before + committed);
    auto db = company->open();
    const ChainCheck check = VerifyHistoryChain(*db);
    EXPECT_TRUE(check.whole) << check.problem.toStdString();
    EXPECT_EQ(check.rows, before + committed);
}

TEST(ServerHistory, WhatAnOperatorsSessionSetsChangesNoRecordedValue)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString amount = RegisterTableDescription().columnName(RegisterColumns::Of(0, RegisterColumns::Garanz));
    const QString date = RegisterTableDescription().columnName(RegisterColumns::Of(0, RegisterColumns::Data));
    company->exec(QStringLiteral("UPDATE \"TabellaSerieSemplificata\" SET \"%1\" = 987000.01 WHERE \"SspCodice\" = 'AB01'")
                      .arg(amount));
    WorkstationRole role(*company);
    const auto change = [&](const QString& column, const QString& value) {
        EXPECT_EQ(role.run(QStringLiteral("UPDATE \"TabellaSerieSemplificata\" SET \"%1\" = %2 WHERE \"SspCodice\" = 'AB01'")
                               .arg(column, value)),
                  "");
        const QString where = QStringLiteral("\"StoColonna\" = '%1'").arg(column);
        return std::make_pair(historyValue(*company, "StoPrima", where), historyValue(*company, "StoDopo", where));
    };
    for (const char* setting : {"SET DateStyle = 'SQL, DMY'", "SET IntervalStyle = 'sql_standard'",
                                "SET TimeZone = 'Pacific/Chatham'", "SET lc_numeric = 'C.utf8'",
                                "SET bytea_output = 'escape'", "SET extra_float_digits = -12"})
        ASSERT_EQ(role.run(setting), "") << setting;
    const qlonglong rows = company->count(HistoryTable);
    EXPECT_EQ(change(amount, "986999.99"), std::make_pair(QString("987000.01"), QString("986999.99")));
    EXPECT_EQ(company->count(HistoryTable), rows + 1);
    ASSERT_EQ(role.run("SET extra_float_digits = -14"), "");
    change(amount, "1234.9");
    EXPECT_EQ(change(amount, "987654.32"), std::make_pair(QString("1234.9"), QString("987654.32")));
    EXPECT_EQ(change(date, "'2026-12-10'").second,
              QString::number(QDate(1899, 12, 30).daysTo(QDate(2026, 12, 10))));
    // Every double as the program records it: the shortest text that reads
    // back to the same number, exponents where the server puts them.
    for (const double value : {0.1, 1.0 / 3, 0.0001, 0.00001234, -2.5e-7, 123456789012.345, 1e15, 1e15 + 0.5,
                               -1.5e300, 99999999999999.9, 0.30000000000000004})
        EXPECT_EQ(change(amount, QString::number(value, 'g', 17)).second, HistoryText(value).toString())
            << QString::number(value, 'g', 17).toStdString();
}

TEST(ServerHistory, TheEventFunctionTakesTheExactEventActionsAndNothingElse)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    WorkstationRole role(*company);
    const auto event = [&](const QString& action) {
        return role.run(QStringLiteral("SELECT \"StoricoSerieSemplificata_evento\"('AB01', %1, 'ARRIVI', '1', '2')")
                            .arg(action));
    };
    for (const QString& action : {QStringLiteral("'Variazione'"), QStringLiteral("'variazione '"),
                                  QStringLiteral("E'variazione\\u200B'"), QStringLiteral("'cancellazione '"),
                                  QStringLiteral("'inserimento'"), QStringLiteral("'Stampa pagine'"),
                                  QStringLiteral("' stampa pagine'"), QStringLiteral("E'stampa\\u00A0pagine'"),
                                  QStringLiteral("''"), QStringLiteral("NULL")})
        EXPECT_NE(event(action), "") << action.toStdString();
    EXPECT_EQ(company->count(HistoryTable), 0);
    EXPECT_EQ(event("'ristampa pagine'"), "");
    EXPECT_EQ(company->count(HistoryTable), 1);
    // The program refuses to record anything else as an event, on either engine.
    auto db = company->open();
    EXPECT_THROW(RecordHistoryEvent(*db, {"AB01", "variazione", "ARRIVI", 1, 2}), EngineError);
}

TEST(ServerHistory, WhatTheTriggersRecordReplaysToExactlyTheStoredRows)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    auto db = company->open();
    ASSERT_TRUE(RecordStartingState(*db, company->company()).recorded);
    WorkstationRole role(*company);
    for (const char* sql :
         {"UPDATE \"TabellaSerieSemplificata\" SET \"SspDescrizione\" = E'A\\tB\\fC', \"SspArrGaranz\" = 987654.32, "
          "\"SspDepData\" = DATE '2026-12-09', \"SspMagNum\" = 'X' WHERE \"SspCodice\" = 'AB01'",
          "UPDATE \"TabellaSerieSemplificata\" SET \"SspCodice\" = 'AB09' WHERE \"SspCodice\" = 'AB02'",
          "INSERT INTO \"TabellaSerieSemplificata\" (\"SspCodice\", \"SspCusGaranz\") VALUES ('N9', 0.1)",
          "DELETE FROM \"TabellaSerieSemplificata\" WHERE \"SspCodice\" IN ('R1', 'R2')",
          "UPDATE \"TestataRegistriPS\" SET \"TpsCodice\" = 'N9'",
          "DELETE FROM \"TabellaDocScorta\" WHERE \"Codice\" = 'DAU'"})
        ASSERT_EQ(role.run(sql), "") << sql;
    EXPECT_EQ(ReplayDifferences(*db), QStringList());
}
