// Reading what the numbered register pages carry and drawing them.
#include "paper/register_pages.h"

#include "paper/page_canvas.h"
#include "paper/paper_fonts.h"
#include "store/registers/header_lines.h"
#include "store/record/register_record.h"
#include "store/schema/table_description.h"

#include <algorithm>

namespace paper {

namespace {

// The longest header line: 160 characters, 80 for the pre-advice.
int LineLength(PageRegister reg) { return reg == PageRegister::Preavviso ? 80 : 160; }
// The size the header panel shows them in, made smaller when they would not fit.
double LinePoints(PageRegister reg) { return reg == PageRegister::Preavviso ? 11.25 : 8.25; }

// The register whose series the pages carry, when it has one.
std::optional<store::RegisterKind> SeriesRegister(PageRegister reg)
{
    switch (reg) {
    case PageRegister::Arrivi:
        return store::Arrivi;
    case PageRegister::Custodia:
        return store::Custodia;
    case PageRegister::Deposito:
        return store::Deposito;
    case PageRegister::Preavviso:
        break;
    }
    return std::nullopt;
}

constexpr double StampWidth = 80;
constexpr double StampHeight = 40;

}  // namespace

std::optional<RegisterPages> ReadRegisterPages(store::Database& database, const QString& company,
                                               const QString& code, PageRegister reg, int first, int last)
{
    const auto registers = database.openTable(store::RegisterTable);
    registers->setIndex(store::PrimaryIndex);
    registers->seek(QStringLiteral("="), code);
    if (registers->noMatch())
        return std::nullopt;
    store::RegisterRecord record;
    store::LoadRegister(*registers, record);

    RegisterPages pages;
    pages.company = company;
    pages.code = record.SspCodice;
    pages.reg = reg;
    pages.first = first;
    pages.last = last;
    pages.printed = QDate::currentDate();
    if (const auto kind = SeriesRegister(reg))
        pages.series = record.Registers[*kind].Serie.trimmed();
    const auto header = database.openTable(store::HeaderTable);
    const store::HeaderLines lines = store::ReadHeaderLines(*header, code);
    for (int line = 1; line <= 5; ++line)
        pages.lines[line - 1] = store::WithoutTrailingBlanks(lines[store::HeaderLineIndex(int(reg), line)]);
    return pages;
}

QString EmptyHeaderProblem(const RegisterPages& pages)
{
    for (const QString& line : pages.lines)
        if (!line.trimmed().isEmpty())
            return {};
    const QString block = pages.reg == PageRegister::Preavviso ? QStringLiteral("Intestazione Preavviso")
                                                               : RegisterName(pages.reg);
    return QStringLiteral("le cinque righe di testata del registro %1 di %2 sono vuote: le pagine non direbbero "
                          "di chi sono. Scrivere la ditta, la sede e l'autorizzazione nelle righe del riquadro "
                          "%3 del pannello delle testate (pulsante TESTATE della schermata) e confermarle")
        .arg(RegisterName(pages.reg), pages.code, block);
}

DocumentInfo PagesInfo(const RegisterPages& pages)
{
    const QString range = pages.first == pages.last ? QStringLiteral("Pagina %1").arg(pages.first)
                                                    : QStringLiteral("Pagine %1-%2").arg(pages.first).arg(pages.last);
    return {QStringLiteral("%1 del registro %2 di %3 - società %4")
                .arg(range, RegisterName(pages.reg), pages.code, pages.company),
            pages.company};
}

void PaintRegisterPages(QPagedPaintDevice& device, const RegisterPages& pages)
{
    PageCanvas canvas(device);
    if (!canvas.active())
        return;
    const double width = canvas.width();
    const QFont heading = Sans(10, true);
    const QFont number = Sans(16, true);
    const QFont reprint = Sans(14, true);
    const QFont small = Sans(9);  // the stamp box's label, readable on the stamped page
    const QFont whose = Sans(9);
    const QFont lineFont = canvas.fitted(Mono(LinePoints(pages.reg)), LineLength(pages.reg), width);
    QString title = QStringLiteral("Registro %1").arg(RegisterName(pages.reg));
    if (!pages.series.isEmpty())
        title += QStringLiteral("   Serie %1").arg(pages.series);
    title += QStringLiteral("   Codice %1").arg(pages.code);

    const QString printedOn = pages.printed.toString(QStringLiteral("dd/MM/yyyy"));
    for (int page = pages.first; page <= pages.last; ++page) {
        if (page != pages.first)
            canvas.newPage();
        canvas.text(0, 1.5, title, heading);
        if (std::binary_search(pages.reprinted.begin(), pages.reprinted.end(), page))
            canvas.text(QRectF(0, 0, width, 9), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("RISTAMPA"), reprint);
        const QString pageNumber = QStringLiteral("Pag. %1").arg(page);
        canvas.text(QRectF(0, 0, width, 9), Qt::AlignRight | Qt::AlignTop, pageNumber, number);
        // Whose the page is and when it was printed, beside its number.
        const double beside = width - canvas.textWidth(pageNumber, number) - 4;
        canvas.text(QRectF(0, 0, beside, 8), Qt::AlignRight | Qt::AlignBottom,
                    QStringLiteral("Società %1 - stampata il %2").arg(pages.company, printedOn), whose);
        canvas.line(0, 10, width, 10);
        double top = 12;
        for (const QString& line : pages.lines)
            top += canvas.text(0, top, line, lineFont);
        canvas.line(0, top + 1.5, width, top + 1.5);

        const QRectF stamp(width - StampWidth, canvas.height() - StampHeight, StampWidth, StampHeight);
        canvas.frame(stamp);
        canvas.text(stamp.adjusted(2, 1.5, -2, -1), Qt::AlignHCenter | Qt::AlignTop,
                    QStringLiteral("Timbro dell'ufficio doganale"), small);
    }
}

}  // namespace paper
