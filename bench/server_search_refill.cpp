// Measures one refill of the register search list in the real window on a
// company on the office server (10,000 register sets) against the same query
// run bare through libpq, and prints the medians, their ratio and the target.
// It starts a server of its own; run it on an idle machine. It asserts nothing.
#include "bench_timing.h"
#include "bench_server.h"
#include "lookups/search_list_model.h"
#include "runtime/form_runtime.h"
#include "screen/startup.h"
#include "shell/platform.h"

#include <libpq-fe.h>

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>

#include <algorithm>
#include <functional>
#include <iterator>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr double RatioTarget = 2.0;  // refill over bare query
constexpr int Registers = 10000;

// The query the list runs, bare: sent with its bound pattern, every row
// received, and the columns of the line read. Returns the number of rows.
int bareQuery(PGconn* conn, const QByteArray& pattern)
{
    static const char* const sql =
        "SELECT * FROM \"DEMO\".\"TabellaSerieSemplificata\" "
        "WHERE lower((\"SspCodice\")::text COLLATE \"C\") LIKE lower($1::text COLLATE \"C\") ESCAPE '\\' "
        "ORDER BY lower((\"SspCodice\")::text COLLATE \"C\")";
    const char* values[] = {pattern.constData()};
    PGresult* result = PQexecParams(conn, sql, 1, nullptr, values, nullptr, nullptr, 0);
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "query: %s\n", PQresultErrorMessage(result));
        std::exit(1);
    }
    static const char* const names[] = {"SspCodice",   "SspDescrizione",  "SspArrSerie", "SspArrCron",
                                        "SspCusSerie", "SspCusCron",      "SspDepSerie", "SspDepCron",
                                        "SspUltimoCarico", "SspUltimoScarico", "SspMagNum", "SspMagCin"};
    constexpr int used = int(std::size(names));
    int columns[used] = {};
    for (int n = 0; n < used; ++n)
        columns[n] = PQfnumber(result, (QByteArray("\"") + names[n] + "\"").constData());
    const int rows = PQntuples(result);
    volatile std::size_t sink = 0;
    for (int row = 0; row < rows; ++row)
        for (int n = 0; n < used; ++n)
            if (!PQgetisnull(result, row, columns[n]))
                sink = sink + std::size_t(PQgetlength(result, row, columns[n])) +
                       std::size_t(PQgetvalue(result, row, columns[n])[0]);
    PQclear(result);
    return rows;
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    PrepareWindowBench(home);
    runtime::RuntimeApplication app(argc, argv);

    BenchServer server;
    QTemporaryDir data;
    QTemporaryDir programFolder;
    server.seed(data.path(), QStringLiteral("DEMO"), Registers);
    QFile ini(programFolder.path() + QStringLiteral("/Morvanex.ini"));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write(QStringLiteral("[BASE]\nDITTA=DEMO\n[PATH]\nDIRINI=%1/\n[DATABASE]\nSERVER=%2\n")
                  .arg(data.path(), server.conninfo())
                  .toUtf8());
    ini.close();
    shell::SetProgramFolderForTesting(programFolder.path());

    std::printf("Search list refill on the office server (PostgreSQL, local socket):\n"
                "FillSearchList plus the list laid out and painted, against the same\n"
                "query bare through libpq (sent, received, the line's columns read).\n"
                "Median of 41 runs, milliseconds; %d register sets R000000, R000001, ...\n\n",
                Registers);
    std::printf("%-8s %8s  %10s  %8s  %6s\n", "filter", "rows", "refill ms", "bare ms", "ratio");
    bool met = true;
    {
        screen::Startup form;
        form.Form_Load();
        form.Show();
        QCoreApplication::processEvents();
        if (form.ended() || !form.company.RegisterTableOpen) {
            std::fprintf(stderr, "the window did not start on the server's company\n");
            return 1;
        }
        form.SkipExitCheck = true;
        form.searchPanel().OpenSearchPanel();
        QCoreApplication::processEvents();
        QListView* list = form.c.Lista;
        PGconn* conn = PQconnectdb(server.conninfo().toUtf8().constData());
        for (const QString& filter : {QString(), QStringLiteral("R"), QStringLiteral("R0"), QStringLiteral("R00")}) {
            form.searchPanel().SearchField = 1;
            const QByteArray pattern = (filter + QLatin1Char('%')).toUtf8();
            double refillMs = 0;
            double bareMs = 0;
            std::tie(refillMs, bareMs) = AlternatingMediansMs(
                41,
                [&] {
                    form.searchPanel().FillSearchList(filter);
                    QCoreApplication::processEvents();
                    list->viewport()->repaint();
                },
                [&] { bareQuery(conn, pattern); });
            // The list takes the rows after the first ones between events:
            // every row is in it before the count is compared.
            if (const auto* model = dynamic_cast<const lookups::SearchListModel*>(list->model()))
                while (model->reading())
                    QCoreApplication::processEvents();
            const int rows = list->model()->rowCount();
            if (bareQuery(conn, pattern) != rows)
                std::fprintf(stderr, "warning: the list shows %d rows, the bare query %d\n", rows,
                             bareQuery(conn, pattern));
            const double ratio = bareMs > 0 ? refillMs / bareMs : 0;
            if (ratio >= RatioTarget)
                met = false;
            std::printf("%-8s %8d  %10.2f  %8.2f  %6.2f\n",
                        qPrintable(filter.isEmpty() ? QStringLiteral("\"\"") : '"' + filter + '"'), rows,
                        refillMs, bareMs, ratio);
        }
        PQfinish(conn);
    }
    shell::SetProgramFolderForTesting(QString());
    std::printf("\nTarget: ratio under %.0f: %s\n", RatioTarget, met ? "met" : "NOT met");
    return 0;
}
