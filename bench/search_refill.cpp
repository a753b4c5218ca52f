// Measures one refill of the register search list in the real window against
// the same prefix query run bare on SQLite, on companies of 10,000 and 100,000
// register sets, and prints the medians, their ratio and the targets. The
// refill is what a keystroke waits for: the list filled and painted with its
// first lines; the rest of a long list is read between the operator's events,
// and the time until every row is in the list is printed beside it.
// Run it on an idle machine; it prints figures and asserts nothing.
#include "bench_timing.h"
#include "company/company_file.h"
#include "lookups/search_list_model.h"
#include "runtime/form_runtime.h"
#include "screen/startup.h"
#include "shell/platform.h"

#include <sqlite3.h>

#include <QAbstractItemModel>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// The targets the figures are judged by.
constexpr double OneCharacterTargetMs = 100.0;  // one-character refill at 100,000
constexpr double RatioTarget = 1.5;             // refill over bare query, every size

// The query the list runs, bare: prepared, bound, every row stepped and the
// columns of the line read. Returns the number of rows.
int bareQuery(sqlite3* db, const QByteArray& pattern)
{
    static const char* const sql =
        "SELECT * FROM TabellaSerieSemplificata WHERE SspCodice LIKE ?1 ORDER BY SspCodice";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "query: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    sqlite3_bind_text(stmt, 1, pattern.constData(), int(pattern.size()), SQLITE_STATIC);
    // The columns the line is built from.
    static const char* const names[] = {"SspCodice",   "SspDescrizione",  "SspArrSerie", "SspArrCron",
                                        "SspCusSerie", "SspCusCron",      "SspDepSerie", "SspDepCron",
                                        "SspUltimoCarico", "SspUltimoScarico", "SspMagNum", "SspMagCin"};
    constexpr int used = int(std::size(names));
    int columns[used] = {};
    for (int n = 0; n < used; ++n)
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            if (qstricmp(sqlite3_column_name(stmt, i), names[n]) == 0)
                columns[n] = i;
    int rows = 0;
    volatile std::size_t sink = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int n = 0; n < used; ++n) {
            const int type = sqlite3_column_type(stmt, columns[n]);
            if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
                sink = sink + std::size_t(sqlite3_column_int64(stmt, columns[n]));
            else if (type == SQLITE_TEXT)
                sink = sink + std::size_t(sqlite3_column_bytes(stmt, columns[n])) +
                       std::size_t(sqlite3_column_text(stmt, columns[n])[0]);
        }
        ++rows;
    }
    sqlite3_finalize(stmt);
    return rows;
}

struct Figures {
    QString filter;
    int rows = 0;
    double refillMs = 0;
    double wholeMs = 0;  // until every row is in the list
    double bareMs = 0;
};

std::vector<Figures> measure(int count, int runs)
{
    QTemporaryDir data;
    QTemporaryDir programFolder;
    const QString path = data.path() + QStringLiteral("/DEMO/quelda.mdb");
    QString error = company::file::CreateCompanyDatabase(path);
    if (error.isEmpty())
        error = company::file::AddGeneratedRegisters(path, count, QStringLiteral("R"));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "seeding: %s\n", qPrintable(error));
        std::exit(1);
    }
    QFile ini(programFolder.path() + QStringLiteral("/Morvanex.ini"));
    if (!ini.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(ini.fileName()));
        std::exit(1);
    }
    ini.write(QStringLiteral("[BASE]\nDITTA=DEMO\n[PATH]\nDIRINI=%1/\n").arg(data.path()).toUtf8());
    ini.close();
    shell::SetProgramFolderForTesting(programFolder.path());

    std::vector<Figures> out;
    {
        screen::Startup form;
        form.Form_Load();
        form.Show();
        QCoreApplication::processEvents();
        if (form.ended() || !form.company.RegisterTableOpen) {
            std::fprintf(stderr, "the window did not start on the seeded company\n");
            std::exit(1);
        }
        // The panel open, in code mode, as the operator has it while typing.
        form.SkipExitCheck = true;
        form.searchPanel().OpenSearchPanel();
        QCoreApplication::processEvents();
        QListView* list = form.c.Lista;
        const auto* model = dynamic_cast<const lookups::SearchListModel*>(list->model());
        if (!model) {
            std::fprintf(stderr, "the list has no search model\n");
            std::exit(1);
        }

        sqlite3* db = nullptr;
        // Opened as the program opens its own (one thread, no connection mutex).
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                        nullptr);

        // Generated codes are "R" and six digits: each of these filters
        // matches many rows ("R00" matches 10,000 at either size).
        for (const QString& filter : {QString(), QStringLiteral("R"), QStringLiteral("R0"),
                                     QStringLiteral("R00")}) {
            Figures f;
            f.filter = filter;
            form.searchPanel().SearchField = 1;
            const QByteArray pattern = (filter + QLatin1Char('%')).toUtf8();
            std::tie(f.refillMs, f.bareMs) = AlternatingMediansMs(
                runs,
                [&] {
                    form.searchPanel().FillSearchList(filter);
                    QCoreApplication::processEvents();
                    list->viewport()->repaint();
                },
                [&] { bareQuery(db, pattern); });
            std::tie(f.wholeMs, std::ignore) = AlternatingMediansMs(
                runs,
                [&] {
                    form.searchPanel().FillSearchList(filter);
                    QCoreApplication::processEvents();
                    while (model->reading())
                        QCoreApplication::processEvents();
                    list->viewport()->repaint();
                },
                [] {});
            f.rows = list->model()->rowCount();
            if (bareQuery(db, pattern) != f.rows)
                std::fprintf(stderr, "warning: the list shows %d rows, the bare query %d\n", f.rows,
                             bareQuery(db, pattern));
            out.push_back(f);
        }
        sqlite3_close_v2(db);
    }
    shell::SetProgramFolderForTesting(QString());
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    PrepareWindowBench(home);
    runtime::RuntimeApplication app(argc, argv);

    std::printf("Search list refill: FillSearchList plus the list laid out and painted,\n"
                "against the bare SQLite query (prepare, bind, step every row, read the\n"
                "columns of the line). Median of several runs, milliseconds.\n"
                "refill: until the list shows its first lines (what a keystroke waits for);\n"
                "whole: until every row is in the list (read between the operator's events).\n"
                "Codes are R000000, R000001, ...: every filter below matches many rows.\n\n");
    std::printf("%9s  %-8s %8s  %10s  %8s  %6s  %9s  %6s\n", "registers", "filter", "rows",
                "refill ms", "bare ms", "ratio", "whole ms", "ratio");
    bool met = true;
    for (const int count : {10000, 100000}) {
        const int runs = count <= 10000 ? 41 : 11;
        for (const Figures& f : measure(count, runs)) {
            const double ratio = f.bareMs > 0 ? f.refillMs / f.bareMs : 0;
            std::printf("%9d  %-8s %8d  %10.2f  %8.2f  %6.2f  %9.2f  %6.2f\n", count,
                        qPrintable(f.filter.isEmpty() ? QStringLiteral("\"\"") : '"' + f.filter + '"'),
                        f.rows, f.refillMs, f.bareMs, ratio, f.wholeMs,
                        f.bareMs > 0 ? f.wholeMs / f.bareMs : 0);
            if (ratio > RatioTarget)
                met = false;
            if (count == 100000 && f.filter.size() == 1 && f.refillMs >= OneCharacterTargetMs)
                met = false;
        }
    }
    std::printf("\nTargets (refill): one-character refill at 100,000 under %.0f ms; ratio at most "
                "%.1f at every size: %s\n",
                OneCharacterTargetMs, RatioTarget, met ? "met" : "NOT met");
    return 0;
}
