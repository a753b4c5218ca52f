// quenvol-admin print, run as the office runs it, the files read back with
// poppler-utils: numbered register pages (refused when printed before, marked
// when reprinted, each print in the history) and the inspection sheet.
#include "admin_run.h"
#include "pdf_reader.h"

#include "paper/page_prints.h"
#include "store/engine/null_conversions.h"
#include "store/opened_company.h"
#include "store/schema/table_description.h"
#include "support/temp_company.h"

#include <QDate>
#include <QFile>

#include <gtest/gtest.h>

using testing_support::TempCompany;

namespace {

// The history rows of prints: "action column before after", oldest first.
QStringList PrintRows(const TempCompany& company)
{
    QStringList rows;
    const int count = company.scalar("SELECT count(*) FROM StoricoSerieSemplificata "
                                     "WHERE StoAzione LIKE '%stampa pagine'").toInt();
    for (int i = 0; i < count; ++i)
        rows << company
                    .scalar(QStringLiteral("SELECT StoAzione || ' ' || StoColonna || ' ' || StoPrima || ' ' || StoDopo "
                                           "FROM StoricoSerieSemplificata WHERE StoAzione LIKE '%stampa pagine' "
                                           "ORDER BY StoId LIMIT 1 OFFSET %1").arg(i))
                    .toString();
    return rows;
}

}  // namespace

TEST(AdminPrint, WrongRequestsAreRefusedAndWriteNothing)
{
    TempCompany company(true);
    const QString out = company.folder() + "/pagine.pdf";
    const QString place = company.folder();
    EXPECT_EQ(Admin({"print", "pages", place, "DEMO", "R1", "ARRIVI", "1", "2"}).status, 2);  // no --output
    AdminRun run = Admin({"print", "pages", place, "DEMO", "R1", "MAGAZZINO", "1", "2", "--output", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("ARRIVI|DEPOSITO|CUSTODIA|PREAVVISO")) << run.err.toStdString();
    run = Admin({"print", "pages", place, "DEMO", "R1", "ARRIVI", "5", "2", "--output", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("viene prima")) << run.err.toStdString();
    run = Admin({"print", "pages", place, "DEMO", "NOSUCH", "ARRIVI", "1", "2", "--output", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("inesistente")) << run.err.toStdString();
    EXPECT_EQ(Admin({"print", "sheet", place, "DEMO", "NOSUCH", "--output", out}).status, 1);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_TRUE(PrintRows(company).isEmpty());

    // Without a history the print could not be recorded: refused, naming upgrade.
    company.exec("DROP TABLE StoricoSerieSemplificata");
    run = Admin({"print", "pages", place, "DEMO", "R1", "ARRIVI", "1", "2", "--output", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("upgrade")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

TEST(AdminPrint, PagesCarryTheirNumberAndHeaderAndAnOverlapIsRefusedUnlessReprinted)
{
    TempCompany company(true);
    const QString out = company.folder() + "/deposito.pdf";
    AdminRun run = Admin({"print", "pages", company.folder(), "DEMO", "r1", "DEPOSITO", "7", "9", "--output", out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    EXPECT_EQ(PdfInfo(out, "Pages"), "3");
    EXPECT_EQ(PdfInfo(out, "Title"), "Pagine 7-9 del registro DEPOSITO di R1 - società DEMO");
    EXPECT_TRUE(PdfInfo(out, "Creator").contains("DEMO"));
    const QString meta = PdfMetadata(out);
    EXPECT_TRUE(meta.contains("pdfaid:part>1<") || meta.contains("pdfaid:part=\"1\"")) << meta.toStdString();
    EXPECT_TRUE(meta.contains("pdfaid:conformance>B<") || meta.contains("pdfaid:conformance=\"B\""));
    const QStringList fonts = PdfFonts(out);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts) {
        EXPECT_TRUE(font.contains("Liberation")) << font.toStdString();
        EXPECT_TRUE(Embedded(font))
            << "not embedded: " << font.toStdString();
    }
    for (int page = 1; page <= 3; ++page) {
        const QString text = PdfText(out, page);
        EXPECT_TRUE(text.contains(QStringLiteral("Pag. %1").arg(page + 6))) << text.toStdString();
        EXPECT_TRUE(text.contains("Serie D")) << text.toStdString();  // DEPOSITO's series of R1
        EXPECT_TRUE(text.contains("Codice R1"));
        EXPECT_TRUE(text.contains(QString::fromUtf8("Società DEMO - stampata il ") +
                                  QDate::currentDate().toString("dd/MM/yyyy")))
            << text.toStdString();
        EXPECT_FALSE(text.contains("RISTAMPA"));
        qsizetype at = -1;
        for (int line = 1; line <= 5; ++line) {
            const qsizetype next = text.indexOf(QStringLiteral("INTESTAZIONE D RIGA %1").arg(line));
            EXPECT_GT(next, at) << "line " << line << " out of order: " << text.toStdString();
            at = next;
        }
    }
    ASSERT_EQ(PrintRows(company), QStringList{"stampa pagine DEPOSITO 7 9"});

    // Page 9 again: refused, naming the earlier print; the file stays as it was.
    const QByteArray printed = [&] { QFile f(out); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    run = Admin({"print", "pages", company.folder(), "DEMO", "R1", "DEPOSITO", "9", "10", "--output", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("pagine 7-9 stampate il")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("--reprint"));
    QFile again(out);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), printed);
    EXPECT_EQ(PrintRows(company).size(), 1);
    // Another register's pages are numbered on their own.
    ASSERT_EQ(Admin({"print", "pages", company.folder(), "DEMO", "R1", "PREAVVISO", "9", "9", "--output",
                     company.folder() + "/p.pdf"}).status, 0);
    EXPECT_FALSE(PdfText(company.folder() + "/p.pdf").contains("Serie"));

    run = Admin({"print", "pages", company.folder(), "DEMO", "R1", "DEPOSITO", "9", "10", "--output", out, "--reprint"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(PdfInfo(out, "Pages"), "2");
    EXPECT_TRUE(PdfText(out, 1).contains("RISTAMPA"));   // page 9, printed before
    EXPECT_FALSE(PdfText(out, 2).contains("RISTAMPA"));  // page 10, new
    EXPECT_EQ(PrintRows(company), (QStringList{"stampa pagine DEPOSITO 7 9", "stampa pagine PREAVVISO 9 9",
                                               "ristampa pagine DEPOSITO 9 10"}));
}

// R2 has no header row: its pages would say nothing of whose they are.
TEST(AdminPrint, PagesWithEveryHeaderLineEmptyAreRefusedUnlessAskedFor)
{
    TempCompany company(true);
    const QString out = company.folder() + "/custodia.pdf";
    AdminRun run = Admin({"print", "pages", company.folder(), "DEMO", "R2", "CUSTODIA", "1", "2", "--output", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QString::fromUtf8("le cinque righe di testata del registro CUSTODIA di R2 sono "
                                                   "vuote: le pagine non direbbero di chi sono. Scrivere la ditta, "
                                                   "la sede e l'autorizzazione nelle righe del riquadro CUSTODIA")))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("--senza-testata"));
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_TRUE(PrintRows(company).isEmpty());

    // As root from sudo, without XDG_RUNTIME_DIR: nothing but the command's own words.
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    run = Admin({"print", "pages", company.folder(), "DEMO", "R2", "CUSTODIA", "1", "2", "--output", out,
                 "--senza-testata"});
    if (!runtimeDir.isEmpty())
        qputenv("XDG_RUNTIME_DIR", runtimeDir);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(PdfText(out, 1).contains(QString::fromUtf8("Società DEMO")));
    EXPECT_EQ(PrintRows(company), QStringList{"stampa pagine CUSTODIA 1 2"});
}

// R2's CUSTODIA has no date: the screen's picker shows its first day.
TEST(AdminPrint, TheSheetSaysADateOfZeroIsNoDateAsTheScreenShowsIt)
{
    TempCompany company(true);
    const QString out = company.folder() + "/scheda.pdf";
    ASSERT_EQ(Admin({"print", "sheet", company.folder(), "DEMO", "R2", "--output", out}).status, 0);
    EXPECT_TRUE(PdfText(out).contains("nessuna data (a video 01/01/2000)")) << PdfText(out).toStdString();
}

TEST(AdminPrint, PagesPrintedElsewhereWhileTheyWereBeingPrintedAreNotRecordedOver)
{
    TempCompany company(true);
    const auto database = store::openDatabase(company.databasePath());
    const auto known = paper::EarlierPrints(*database, "R1", paper::PageRegister::Arrivi);
    paper::RecordPagePrint(*database, "R1", paper::PageRegister::Arrivi, 1, 5, false);  // another workstation
    EXPECT_THROW(paper::RecordPagePrint(*database, "R1", paper::PageRegister::Arrivi, 5, 6, false, known),
                 paper::PrintedMeanwhile);
    EXPECT_EQ(PrintRows(company), QStringList{"stampa pagine ARRIVI 1 5"});
    paper::RecordPagePrint(*database, "R1", paper::PageRegister::Arrivi, 6, 7, false, known);
    EXPECT_EQ(PrintRows(company).size(), 2);
}

TEST(AdminPrint, TheSheetShowsEveryFieldTheHeaderTheHistoryAndItsAnchor)
{
    TempCompany company(true);
    {
        store_tests::OpenedCompany o(company);
        o.show("R1");
        store::RegisterRecord record = *o.shown.row;
        record.SspDescrizione = "MAGAZZINO OVEST";
        ASSERT_TRUE(o.write(store::RegisterToScreen(record)));
    }
    const QString out = company.folder() + "/scheda.pdf";
    const AdminRun run = Admin({"print", "sheet", company.folder(), "DEMO", "R1", "--output", out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(PdfInfo(out, "Title"), "Scheda del registro R1 - società DEMO");
    EXPECT_TRUE(PdfMetadata(out).contains("pdfaid"));
    const QString text = PdfText(out);
    for (const char* expected : {"Descrizione", "MAGAZZINO OVEST", "ARRIVI", "CUSTODIA", "DEPOSITO", "Ult. Cronol.",
                                 "Docum. 1", "DAU 33", "Garanzia", "Sigla per uscita", "Magazzino",
                                 "Autorizzazione Cod. meccanogr.", "4567 K", "Preavviso trasmesso da",
                                 "INTESTAZIONE P RIGA 5", "VARIAZIONE", "\"MAGAZZINO NORD\" -> \"MAGAZZINO OVEST\"",
                                 "Società: DEMO", "Stampato il"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(store::FormatAmount(150000))) << "ARRIVI's guarantee as the screen shows it";
    const int lastRow = company.scalar("SELECT max(StoId) FROM StoricoSerieSemplificata").toInt();
    EXPECT_TRUE(text.contains(QStringLiteral("ultima riga n. %1").arg(lastRow))) << text.toStdString();
    for (const QString& font : PdfFonts(out))
        EXPECT_TRUE(Embedded(font))
            << font.toStdString();
}
