// A company with a large change history: makes it (register sets and
// 1,000,000 chained history rows, 10,000 of them for one register set), then
// times copy from the file to a server of the benchmark's own and back,
// backup of the file and of the server company, the opening of the history
// panel of that register set (its first page) on both, and its inspection
// sheet; prints each beside its
// target. Asserts nothing. Usage: large_history [ROWS]
#include "bench_server.h"
#include "company/company_backup.h"
#include "company/company_copy.h"
#include "company/company_file.h"
#include "company/company_server.h"
#include "company/pending_file.h"
#include "lookups/history_list_model.h"
#include "lookups/history_panel.h"
#include "paper/inspection_sheet.h"
#include "paper/paper_fonts.h"
#include "paper/pdf_file.h"
#include "store/history/history_chain.h"
#include "store/history/history_reader.h"
#include "store/schema/table_description.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int DefaultRows = 1000000;
constexpr int PanelRows = 10000;  // of the register set the panel and the sheet show
constexpr int Registers = 1000;
constexpr double MoveTargetS = 30, PanelTargetMs = 50, SheetTargetMs = 2000;
const QString Company = QStringLiteral("GRANDE");
const QString Shown = QStringLiteral("R000001");

[[noreturn]] void Fail(const QString& message)
{
    std::fprintf(stderr, "large_history: %s\n", message.toLocal8Bit().constData());
    std::exit(1);
}

double Ms(const std::function<void()>& once)
{
    QElapsedTimer timer;
    timer.start();
    once();
    return double(timer.nsecsElapsed()) / 1e6;
}

void Report(const char* what, double value, double target, const char* unit)
{
    std::printf("  %-44s %10.1f %s  (target < %.0f %s: %s)\n", what, value, unit, target, unit,
                value < target ? "met" : "NOT met");
    std::fflush(stdout);
}

// `rows` history rows chained as the program chains them, `PanelRows` of them
// for `Shown`, the rest spread over the other register sets; two rows a change.
void AddHistory(const QString& path, int rows)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        Fail(QStringLiteral("cannot open %1").arg(path));
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO StoricoSerieSemplificata (StoId, StoModifica, StoQuando, StoUtente, "
                       "StoPostazione, StoVersione, StoCodice, StoAzione, StoColonna, StoPrima, StoDopo, "
                       "StoRuolo, StoIndirizzo, StoImpronta) VALUES (?,?,?,?,?,?,?,?,?,?,?,NULL,NULL,?)",
                       -1, &insert, nullptr);
    const QDateTime start = QDateTime(QDate(2020, 1, 1), QTime(8, 0), Qt::UTC);
    const int every = std::max(1, rows / PanelRows);
    QString previous;
    for (int i = 0; i < rows; ++i) {
        const qlonglong id = i + 1;
        const QString code = i % every == 0 ? Shown
                                            : QStringLiteral("R%1").arg(2 + i % (Registers - 2), 6, 10, QLatin1Char('0'));
        const bool description = i % 2 == 0;
        const store::Row row{id,
                             QStringLiteral("%1").arg(i / 2 + 1, 32, 10, QLatin1Char('0')),
                             start.addSecs(i).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")),
                             QStringLiteral("operatore"),
                             QStringLiteral("postazione1"),
                             QStringLiteral("1.0.0"),
                             code,
                             QStringLiteral("variazione"),
                             description ? QStringLiteral("SspDescrizione") : QStringLiteral("SspArrCron"),
                             description ? QStringLiteral("DESCRIZIONE %1").arg(i) : QString::number(i),
                             description ? QStringLiteral("DESCRIZIONE %1").arg(i + 1) : QString::number(i + 1),
                             store::Value(),
                             store::Value()};
        const QString fingerprint = store::HistoryFingerprint(previous, row);
        sqlite3_bind_int64(insert, 1, id);
        std::vector<QByteArray> texts;
        for (int c = 1; c <= 10; ++c)
            texts.push_back(row[std::size_t(c)].toString().toUtf8());
        for (int c = 1; c <= 10; ++c)
            sqlite3_bind_text(insert, c + 1, texts[std::size_t(c - 1)].constData(), -1, SQLITE_STATIC);
        const QByteArray print = fingerprint.toLatin1();
        sqlite3_bind_text(insert, 12, print.constData(), -1, SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE)
            Fail(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_reset(insert);
        previous = fingerprint;
    }
    sqlite3_finalize(insert);
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_close(db);
}

void PanelAndSheet(const QString& where, const QString& location, const QString& folderOrServer)
{
    std::unique_ptr<store::Database> database = company::server::IsServer(location)
                                                    ? store::openServerDatabase(location, Company)
                                                    : store::openDatabase(company::copy::CompanyFilePath(folderOrServer, Company));
    // The panel as F7 opens it: the newest page read and shown; and, for
    // comparison, the whole history of the register set read at once.
    lookups::HistoryListModel model;
    std::size_t changes = 0;
    std::vector<double> times, whole;
    for (int run = 0; run < 5; ++run) {
        times.push_back(Ms([&] {
            store::HistoryPage first =
                store::ReadHistoryPage(*database, Shown, store::Value(), lookups::HistoryPanel::HistoryPageRows);
            changes = first.changes.size();
            model.open(std::move(first),
                       [&](const store::Value& below) {
                           return store::ReadHistoryPage(*database, Shown, below, lookups::HistoryPanel::HistoryPageRows);
                       },
                       QString());
        }));
        whole.push_back(Ms([&] { store::ReadHistory(*database, Shown); }));
    }
    std::sort(times.begin(), times.end());
    std::sort(whole.begin(), whole.end());
    Report(qPrintable(QStringLiteral("history panel of %1 opened (first %2 changes), %3").arg(Shown).arg(changes).arg(where)),
           times[times.size() / 2], PanelTargetMs, "ms");
    std::printf("  %-44s %10.1f ms\n",
                qPrintable(QStringLiteral("(its whole history read at once, %1)").arg(where)), whole[whole.size() / 2]);
    // Scrolling to the end: every page read as the list asks for it.
    std::size_t lines = 0;
    const double scrolled = Ms([&] {
        while (model.canFetchMore(QModelIndex()))
            model.fetchMore(QModelIndex());
        lines = std::size_t(model.rowCount());
    });
    std::printf("  %-44s %10.1f ms\n",
                qPrintable(QStringLiteral("(then scrolled to its end, %1 lines, %2)").arg(lines).arg(where)), scrolled);
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("scheda.pdf"));
    const double sheetMs = Ms([&] {
        const auto sheet = paper::ReadInspectionSheet(*database, Company, Shown);
        if (!sheet)
            Fail(QStringLiteral("%1 missing").arg(Shown));
        const QString failed = company::pending::WriteWhole(
            file, paper::RenderPdf(paper::SheetInfo(*sheet),
                                   [&](QPagedPaintDevice& device) { paper::PaintInspectionSheet(device, *sheet); }),
            true);
        if (!failed.isEmpty())
            Fail(failed);
    });
    Report(qPrintable(QStringLiteral("inspection sheet of %1, %2").arg(Shown, where)), sheetMs, SheetTargetMs, "ms");
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(PanelRows, std::atoi(argv[1])) : DefaultRows;
    if (const QString missing = paper::LoadLiberationFonts(); !missing.isEmpty())
        Fail(missing);
    QTemporaryDir folder, back, copies, backups;
    const QString path = company::copy::CompanyFilePath(folder.path(), Company);
    QElapsedTimer made;
    made.start();
    if (QString error = company::file::CreateCompanyDatabase(path); !error.isEmpty())
        Fail(error);
    if (QString error = company::file::AddGeneratedRegisters(path, Registers, QStringLiteral("R")); !error.isEmpty())
        Fail(error);
    AddHistory(path, rows);
    std::printf("Company %s: %d register sets, %d history rows (%d of %s); made in %.1f s.\n\n",
                qPrintable(Company), Registers, rows, PanelRows, qPrintable(Shown), double(made.elapsed()) / 1000);
    std::fflush(stdout);

    BenchServer server;
    const QString conninfo = server.conninfo();
    QString error;
    const auto seconds = [&](const std::function<QString()>& once) {
        QElapsedTimer timer;
        timer.start();
        error = once();
        if (!error.isEmpty())
            Fail(error);
        return double(timer.nsecsElapsed()) / 1e9;
    };
    company::backup::Backup made1, made2;
    Report("copy file to server", seconds([&] { return company::copy::CopyCompany(folder.path(), conninfo, Company, nullptr); }),
           MoveTargetS, "s");
    Report("copy server to file", seconds([&] { return company::copy::CopyCompany(conninfo, back.path(), Company, nullptr); }),
           MoveTargetS, "s");
    Report("backup of the file",
           seconds([&] { return company::backup::BackUp(folder.path(), Company, copies.path(), &made1); }), MoveTargetS, "s");
    Report("backup of the server company",
           seconds([&] { return company::backup::BackUp(conninfo, Company, backups.path(), &made2); }), MoveTargetS, "s");
    PanelAndSheet(QStringLiteral("file"), folder.path(), folder.path());
    PanelAndSheet(QStringLiteral("server"), conninfo, conninfo);
    return 0;
}
