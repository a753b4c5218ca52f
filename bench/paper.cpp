// Measures the printed documents: the inspection sheet of a register set with
// 1,000 history rows, and 100 numbered register pages, each read from the
// company and written as a PDF/A file (median of five). Prints the figures
// and the targets; asserts nothing.
#include "bench_median.h"
#include "company/company_file.h"
#include "company/pending_file.h"
#include "paper/inspection_sheet.h"
#include "paper/paper_fonts.h"
#include "paper/register_pages.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr double TargetMs = 2000;
constexpr int Runs = 5;

[[noreturn]] void Fail(const QString& message)
{
    std::fprintf(stderr, "paper: %s\n", message.toLocal8Bit().constData());
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (const QString missing = paper::LoadLiberationFonts(); !missing.isEmpty())
        Fail(missing);
    QTemporaryDir dir;
    const QString path = dir.filePath("DEMO/quelda.mdb");
    if (QString error = company::file::CreateCompanyDatabase(path); !error.isEmpty())
        Fail(error);
    if (QString error = company::file::AddDemonstrationData(path); !error.isEmpty())
        Fail(error);
    // 1,000 history rows of R1: 500 changes of two columns each.
    const QString fill = QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999) "
        "INSERT INTO StoricoSerieSemplificata (StoModifica, StoQuando, StoUtente, StoPostazione, StoVersione, "
        "StoCodice, StoAzione, StoColonna, StoPrima, StoDopo) "
        "SELECT printf('%032d', i / 2), strftime('%Y-%m-%dT%H:%M:%fZ', 'now', printf('-%d minutes', 1000 - i)), "
        "'operatore', 'postazione1', '1.0.0', 'R1', 'variazione', "
        "CASE WHEN i % 2 = 0 THEN 'SspDescrizione' ELSE 'SspArrCron' END, "
        "printf('VALORE %d', i), printf('VALORE %d', i + 1) FROM n");
    if (QString error = company::file::Execute(path, {fill}); !error.isEmpty())
        Fail(error);
    const auto database = store::openDatabase(path);

    const QString sheetFile = dir.filePath("scheda.pdf");
    const double sheetMs = MedianMs(Runs, [&] {
        const auto sheet = paper::ReadInspectionSheet(*database, "DEMO", "R1");
        if (!sheet)
            Fail("R1 missing");
        const QString failed = company::pending::WriteWhole(
            sheetFile, paper::RenderPdf(paper::SheetInfo(*sheet),
                                        [&](QPagedPaintDevice& device) { paper::PaintInspectionSheet(device, *sheet); }),
            true);
        if (!failed.isEmpty())
            Fail(failed);
    });
    const QString pagesFile = dir.filePath("pagine.pdf");
    const double pagesMs = MedianMs(Runs, [&] {
        const auto pages = paper::ReadRegisterPages(*database, "DEMO", "R1", paper::PageRegister::Arrivi, 1, 100);
        if (!pages)
            Fail("R1 missing");
        const QString failed = company::pending::WriteWhole(
            pagesFile, paper::RenderPdf(paper::PagesInfo(*pages),
                                        [&](QPagedPaintDevice& device) { paper::PaintRegisterPages(device, *pages); }),
            true);
        if (!failed.isEmpty())
            Fail(failed);
    });
    std::printf("sheet of R1 with 1,000 history rows: %.1f ms, %lld bytes (target < %.0f ms)\n", sheetMs,
                QFileInfo(sheetFile).size(), TargetMs);
    std::printf("100 pages of ARRIVI: %.1f ms, %lld bytes (target < %.0f ms)\n", pagesMs,
                QFileInfo(pagesFile).size(), TargetMs);
    return 0;
}
