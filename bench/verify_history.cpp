// Measures quenvol-admin verify's walk on a large history: the chain of
// fingerprints and the replay of the data, at 100,000 and 1,000,000 history
// rows, on the file and on a server of the benchmark's own. The company is
// made here: generated register sets, their starting state, then changes of
// their descriptions (the data set to the last of them, so the replay agrees).
// Each verify runs in a child process of its own, so that its peak memory
// (getrusage's maxrss) and its processor time are its own. Prints figures and
// targets; asserts nothing.
#include "bench_server.h"
#include "company/company_file.h"
#include "company/company_location.h"
#include "company/history_seal.h"
#include "store/history/history_chain.h"
#include "store/history/history_replay.h"
#include "store/schema/table_description.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr double TargetSecondsPerMillion = 3.0;
constexpr double TargetMegabytes = 64.0;
constexpr int Registers = 200;
const QString CompanyCode = QStringLiteral("VERIFICA");

[[noreturn]] void Die(const QString& what)
{
    std::fprintf(stderr, "verify_history: %s\n", qPrintable(what));
    std::exit(1);
}

// The child: verifies, prints "rows seconds maxrss-kB".
int RunVerify(const QString& location)
{
    QElapsedTimer timer;
    timer.start();
    company::seal::Verdict verdict;
    try {
        auto database = company::location::OpenCompany(location, CompanyCode);
        verdict = company::seal::Verify(*database, CompanyCode);
    } catch (const store::EngineError& error) {
        Die(error.description());
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (!verdict.whole)
        Die(verdict.message + QLatin1Char(' ') + verdict.details.value(0));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("%lld %.3f %ld %.3f\n", verdict.rows, seconds, usage.ru_maxrss, cpu);
    return 0;
}

void Measure(const char* engine, const QString& location)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--verify"), location});
    if (!child.waitForFinished(600000) || child.exitCode() != 0)
        Die(QString::fromUtf8(child.readAllStandardError()));
    const QStringList figures = QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
    const qlonglong rows = figures.value(0).toLongLong();
    const double seconds = figures.value(1).toDouble();
    const double megabytes = figures.value(2).toDouble() / 1024.0;
    const double cpu = figures.value(3).toDouble();
    const double target = TargetSecondsPerMillion * double(rows) / 1e6;
    // The processor time of the verify itself (a server's work apart) says
    // what a machine shared with other work hides in the elapsed time.
    std::printf("%-6s %9lld righe: %6.2f s (%9.0f righe/s; obiettivo %.2f s: %s), CPU del processo %5.2f s, "
                "memoria di picco %5.1f MB (obiettivo < %.0f MB: %s)\n",
                engine, rows, seconds, double(rows) / seconds, target, seconds <= target ? "raggiunto" : "NON raggiunto",
                cpu, megabytes, TargetMegabytes, megabytes < TargetMegabytes ? "raggiunto" : "NON raggiunto");
    std::fflush(stdout);
}

// The register sets and their starting state.
void Seed(const QString& location)
{
    QString said;
    if (const QString error = company::file::AddGeneratedRegisters(
            company::copy::CompanyFilePath(location, CompanyCode), Registers, QStringLiteral("R"));
        !error.isEmpty())
        Die(error);
    try {
        auto database = company::location::OpenCompany(location, CompanyCode);
        store::RecordStartingState(*database, CompanyCode);
    } catch (const store::EngineError& error) {
        Die(error.description());
    }
}

// Adds history rows on the file until it has `total`, each a change of a
// description chained to the one before, then sets the descriptions so.
void GrowFile(const QString& path, qlonglong total)
{
    auto database = store::openDatabase(path);
    const store::ChainCheck chain = store::VerifyHistoryChain(*database);
    database.reset();
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        Die(QStringLiteral("apertura non riuscita"));
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO StoricoSerieSemplificata (StoId, StoModifica, StoQuando, StoUtente, StoPostazione, "
                       "StoVersione, StoCodice, StoAzione, StoColonna, StoPrima, StoDopo, StoRuolo, StoIndirizzo, "
                       "StoImpronta) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)",
                       -1, &insert, nullptr);
    QString previous = chain.lastFingerprint;
    QHash<QString, QString> last;
    for (qlonglong id = chain.lastRow + 1; id <= total; ++id) {
        const QString code = QStringLiteral("R%1").arg(id % Registers, 6, 10, QLatin1Char('0'));
        const QString after = QStringLiteral("DESCRIZIONE %1").arg(id);
        const store::Row row{id, QStringLiteral("M%1").arg(id), QStringLiteral("2026-12-01T09:00:00.000Z"),
                             QStringLiteral("mario"), QStringLiteral("UFFICIO1"), QStringLiteral("1.0.0"), code,
                             QStringLiteral("variazione"), QStringLiteral("SspDescrizione"),
                             last.value(code), after, store::Value(), store::Value()};
        previous = store::HistoryFingerprint(previous, row);
        for (int c = 0; c < int(row.size()); ++c) {
            if (row[std::size_t(c)].isNull()) {
                sqlite3_bind_null(insert, c + 1);
            } else {
                const QByteArray text = row[std::size_t(c)].toString().toUtf8();
                sqlite3_bind_text(insert, c + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            }
        }
        const QByteArray fingerprint = previous.toLatin1();
        sqlite3_bind_text(insert, 14, fingerprint.constData(), int(fingerprint.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(insert) != SQLITE_DONE)
            Die(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_reset(insert);
        last.insert(code, after);
    }
    sqlite3_finalize(insert);
    for (auto it = last.cbegin(); it != last.cend(); ++it) {
        const QByteArray sql = QStringLiteral("UPDATE TabellaSerieSemplificata SET SspDescrizione = '%1' WHERE SspCodice = '%2'")
                                   .arg(it.value(), it.key())
                                   .toUtf8();
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        Die(QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_close(db);
}

// The same on the server, by the server's own fingerprint function; the
// descriptions are then set through the triggers, which record that too.
void GrowServer(const QString& conninfo, qlonglong total)
{
    const QString schema = QStringLiteral("\"%1\"").arg(CompanyCode);
    const QString sql = QStringLiteral(
        "ALTER TABLE %1.\"StoricoSerieSemplificata\" DISABLE TRIGGER USER;\n"
        "DO $$ DECLARE prev text; i bigint; r text[]; codice text; ultimo text[] := array_fill(NULL::text, ARRAY[%3]);\n"
        "BEGIN\n"
        "  SELECT \"StoImpronta\" INTO prev FROM %1.\"StoricoSerieSemplificata\" ORDER BY \"StoId\" DESC LIMIT 1;\n"
        "  FOR i IN (SELECT coalesce(max(\"StoId\"), 0) + 1 FROM %1.\"StoricoSerieSemplificata\") .. %2 LOOP\n"
        "    codice := 'R' || lpad((i % %3)::text, 6, '0');\n"
        "    r := ARRAY[i::text, 'M' || i, '2026-12-01T09:00:00.000Z', 'mario', 'UFFICIO1', '1.0.0', codice,\n"
        "               'variazione', 'SspDescrizione', ultimo[i % %3 + 1], 'DESCRIZIONE ' || i, 'mario', '10.0.0.5'];\n"
        "    prev := %1.\"StoricoSerieSemplificata_impronta\"(prev, r);\n"
        "    INSERT INTO %1.\"StoricoSerieSemplificata\" VALUES (i, r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9],\n"
        "                                                    r[10], r[11], r[12], r[13], prev);\n"
        "    ultimo[i % %3 + 1] := 'DESCRIZIONE ' || i;\n"
        "  END LOOP;\n"
        "  PERFORM setval(pg_get_serial_sequence('%1.\"StoricoSerieSemplificata\"', 'StoId'), %2);\n"
        "  FOR i IN 1 .. %3 LOOP\n"
        "    IF ultimo[i] IS NOT NULL THEN\n"
        "      UPDATE %1.\"TabellaSerieSemplificata\" SET \"SspDescrizione\" = ultimo[i] WHERE \"SspCodice\" = 'R' || lpad((i - 1)::text, 6, '0');\n"
        "    END IF;\n"
        "  END LOOP;\n"
        "END $$;\n"
        "ALTER TABLE %1.\"StoricoSerieSemplificata\" ENABLE TRIGGER USER;")
                            .arg(schema)
                            .arg(total)
                            .arg(Registers);
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    PGresult* result = PQexec(conn, sql.toUtf8().constData());
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    const QString error = QString::fromUtf8(PQresultErrorMessage(result));
    PQclear(result);
    PQfinish(conn);
    if (!ok)
        Die(error);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--verify")
        return RunVerify(QString::fromLocal8Bit(argv[2]));
    std::printf("verify: catena delle impronte e dati rifatti dallo storico; obiettivo %.0f s per un milione di "
                "righe e meno di %.0f MB di memoria\n",
                TargetSecondsPerMillion, TargetMegabytes);
    QTemporaryDir folder;
    const QString path = company::copy::CompanyFilePath(folder.path(), CompanyCode);
    if (const QString error = company::file::CreateCompanyDatabase(path); !error.isEmpty())
        Die(error);
    Seed(folder.path());
    BenchServer server;
    if (const QString error = company::copy::CopyCompany(folder.path(), server.conninfo(), CompanyCode, nullptr);
        !error.isEmpty())
        Die(error);
    for (const qlonglong rows : {100000LL, 1000000LL}) {
        GrowFile(path, rows);
        Measure("file", folder.path());
        GrowServer(server.conninfo(), rows);
        Measure("server", server.conninfo());
    }
    return 0;
}
