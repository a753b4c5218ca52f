// Reading the inspection sheet of a register set and drawing it.
#include "paper/inspection_sheet.h"

#include "paper/field_labels.h"
#include "paper/page_canvas.h"
#include "paper/paper_fonts.h"
#include "store/history/history_reader.h"
#include "store/record/register_fields.h"
#include "store/record/screen_fields.h"
#include "store/record/screen_values.h"
#include "store/schema/table_description.h"

#include <algorithm>

namespace paper {

namespace {

namespace Field = store::Field;

// The registers in the screen's column order.
constexpr store::RegisterKind Columns[3] = {store::Arrivi, store::Custodia, store::Deposito};

// Draws the sheet top to bottom, starting a new page when the next piece
// would not fit above the page's foot.
class SheetWriter {
public:
    SheetWriter(PageCanvas& canvas, const QString& code) : canvas_(canvas), code_(code) { foot(); }

    void need(double height)
    {
        if (top_ + height <= bottom())
            return;
        canvas_.newPage();
        ++page_;
        top_ = 0;
        foot();
    }
    void text(double left, const QString& text, const QFont& font)
    {
        need(canvas_.lineHeight(font));
        top_ += canvas_.text(left, top_, text, font);
    }
    // Several texts on one line, each from its left edge; the one at the
    // left margin is a label, in the labels' face.
    void row(const std::vector<std::pair<double, QString>>& cells, const QFont& font)
    {
        const QFont label = Sans(9.75);
        need(std::max(canvas_.lineHeight(font), canvas_.lineHeight(label)));
        double height = 0;
        for (const auto& [left, text] : cells)
            height = std::max(height, canvas_.text(left, top_, text, left == 0 ? label : font));
        top_ += height;
    }
    void space(double height) { top_ += height; }
    void heading(const QString& text)
    {
        const QFont font = Sans(11, true);
        need(canvas_.lineHeight(font) * 3);
        space(3);
        top_ += canvas_.text(0, top_, text, font);
        canvas_.line(0, top_ + 0.5, canvas_.width(), top_ + 0.5);
        space(2);
    }
    double width() const { return canvas_.width(); }

private:
    double bottom() const { return canvas_.height() - 8; }
    void foot()
    {
        canvas_.text(QRectF(0, canvas_.height() - 5, canvas_.width(), 5), Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Scheda del registro %1 - pag. %2").arg(code_).arg(page_), Sans(7));
    }

    PageCanvas& canvas_;
    QString code_;
    double top_ = 0;
    int page_ = 1;
};

// A text cut into pieces of at most `length` characters, the later ones
// indented as the history panel indents a column's line.
QStringList Wrapped(const QString& line, int length)
{
    const int indent = 13;
    if (line.size() <= length || length <= indent + 10)
        return {line};
    QStringList pieces{line.left(length)};
    for (qsizetype at = length; at < line.size(); at += length - indent)
        pieces << QString(indent, QLatin1Char(' ')) + line.mid(at, length - indent);
    return pieces;
}

QString Joined(const QString& a, const QString& b)
{
    return (a.trimmed() + QLatin1Char(' ') + b.trimmed()).trimmed();
}

void PaintRegisters(SheetWriter& out, const InspectionSheet& sheet)
{
    const store::ScreenValues screen = store::RegisterToScreen(sheet.record);
    const QFont bold = Sans(9.75, true);
    const QFont value = Mono(10);
    const double columnWidth = (out.width() - 60) / 3;
    auto left = [&](int column) { return 60 + columnWidth * column; };

    out.row({{0, CodeLabel}, {left(0), store::ShownCode(sheet.record.SspCodice)}}, value);
    out.row({{0, ScreenLabel(Field::Description)}, {left(0), screen.Txt[Field::Description]}}, value);
    out.space(2);
    out.row({{left(0), store::RegisterName(Columns[0])}, {left(1), store::RegisterName(Columns[1])},
             {left(2), store::RegisterName(Columns[2])}},
            bold);
    // One line per field of the register columns, its label on the left.
    auto fieldRow = [&](const QString& caption, auto valueOf) {
        std::vector<std::pair<double, QString>> cells{{0, caption}};
        for (int c = 0; c < 3; ++c)
            cells.push_back({left(c), valueOf(Columns[c])});
        out.row(cells, value);
    };
    fieldRow(ScreenLabel(Field::Serie(0)), [&](int k) { return screen.Txt[Field::Serie(k)]; });
    fieldRow(ScreenLabel(Field::Cron(0)), [&](int k) { return screen.Txt[Field::Cron(k)]; });
    for (int n = 0; n < Field::WorkPositions; ++n)
        fieldRow(ScreenLabel(Field::WorkSerie(0, n)), [&](int k) {
            return Joined(screen.Txt[Field::WorkSerie(k, n)], screen.Txt[Field::WorkCron(k, n)]);
        });
    fieldRow(ScreenLabel(Field::Riga(0)), [&](int k) { return screen.Txt[Field::Riga(k)]; });
    fieldRow(ScreenLabel(Field::Garanz(0)), [&](int k) { return screen.Txt[Field::Garanz(k)]; });
    fieldRow(PeriodStartLabel, [&](int k) {
        // No date stored: the screen's picker stands at the first day of its
        // range (01/01/2000), and the sheet says both, so paper and screen agree.
        return screen.pickerDate[k].isValid() ? screen.pickerDate[k].toString(QStringLiteral("dd/MM/yyyy"))
                                              : QStringLiteral("nessuna data (a video 01/01/2000)");
    });
    fieldRow(PeriodMonthsLabel,
             [&](int k) { return screen.comboIndex[k] >= 0 ? QString::number(screen.comboIndex[k] + 1) : QString(); });
    fieldRow(ScreenLabel(Field::SiglUC), [&](int k) {
        return k == store::Custodia ? screen.Txt[Field::SiglUC]
               : k == store::Deposito ? screen.Txt[Field::SiglUD] : QString();
    });
    out.space(2);
    for (const SheetFieldLine& line : SheetSingleFields()) {
        const QString text = line.joined ? Joined(screen.Txt[line.field], screen.Txt[line.joined])
                                         : screen.Txt[line.field];
        out.row({{0, line.caption}, {left(0), text}}, value);
    }
}

void PaintHeaderLines(SheetWriter& out, PageCanvas& canvas, const InspectionSheet& sheet)
{
    const QFont caption = Sans(9.75, true);
    const QFont wide = canvas.fitted(Mono(8.25), 160, out.width());
    for (int block = 0; block < 4; ++block) {
        out.need(canvas.lineHeight(caption) + 5 * canvas.lineHeight(wide));
        out.text(0, HeaderBlockLabel(block), caption);
        for (int line = 1; line <= 5; ++line) {
            if (block == 3 && line == 5)
                out.text(0, PreAdviceSenderLabel, caption);
            out.text(0, store::WithoutTrailingBlanks(sheet.header[store::HeaderLineIndex(block, line)]), wide);
        }
        out.space(1.5);
    }
}

void PaintHistory(SheetWriter& out, PageCanvas& canvas, const InspectionSheet& sheet)
{
    const QFont font = Mono(8);
    const double charWidth = canvas.textWidth(QStringLiteral("M"), font);
    const int length = charWidth > 0 ? int(out.width() / charWidth) : 160;
    if (!sheet.historyKept) {
        out.text(0, QStringLiteral("La società non tiene lo storico delle modifiche."), Sans(9.75));
        return;
    }
    if (sheet.history.empty()) {
        out.text(0, QStringLiteral("Nessuna modifica registrata."), Sans(9.75));
        return;
    }
    for (const QString& line : store::HistoryLines(sheet.history))
        for (const QString& piece : Wrapped(line, length))
            out.text(0, piece, font);
}

}  // namespace

std::optional<InspectionSheet> ReadInspectionSheet(store::Database& database, const QString& company,
                                                   const QString& code)
{
    const auto registers = database.openTable(store::RegisterTable);
    registers->setIndex(store::PrimaryIndex);
    registers->seek(QStringLiteral("="), code);
    if (registers->noMatch())
        return std::nullopt;
    InspectionSheet sheet;
    sheet.company = company;
    sheet.printed = QDateTime::currentDateTime();
    store::LoadRegister(*registers, sheet.record);
    sheet.unshowable = store::UnshowableValues(*registers);
    const auto header = database.openTable(store::HeaderTable);
    sheet.header = store::ReadHeaderLines(*header, sheet.record.SspCodice);
    try {
        database.openTable(store::HistoryTable)->close();
    } catch (const store::EngineError& error) {
        if (error.number() != store::EngineErrorNumber::TableNotFound)
            throw;
        sheet.historyKept = false;
        return sheet;
    }
    sheet.history = store::ReadHistory(database, sheet.record.SspCodice);
    sheet.anchor = store::LastHistoryAnchor(database);
    return sheet;
}

DocumentInfo SheetInfo(const InspectionSheet& sheet)
{
    return {QStringLiteral("Scheda del registro %1 - società %2").arg(sheet.record.SspCodice, sheet.company),
            sheet.company};
}

QStringList ClosingLines(const InspectionSheet& sheet)
{
    QStringList lines{QStringLiteral("Società: %1").arg(sheet.company),
                      QStringLiteral("Stampato il %1 alle %2")
                          .arg(sheet.printed.toString(QStringLiteral("dd/MM/yyyy")),
                               sheet.printed.toString(QStringLiteral("HH:mm:ss")))};
    if (!sheet.historyKept)
        lines << QStringLiteral("Storico delle modifiche: non tenuto");
    else if (!sheet.anchor)
        lines << QStringLiteral("Storico delle modifiche: vuoto");
    else
        lines << QStringLiteral("Storico delle modifiche: ultima riga n. %1 (%2 righe), impronta: %3")
                     .arg(sheet.anchor->lastRow)
                     .arg(sheet.anchor->rows)
                     .arg(sheet.anchor->fingerprint.isEmpty() ? QStringLiteral("non tenuta")
                                                              : sheet.anchor->fingerprint);
    return lines;
}

std::vector<SheetFieldLine> SheetSingleFields(const std::vector<store::RegisterFieldRow>& fields)
{
    std::vector<SheetFieldLine> lines;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const store::RegisterFieldRow& field = fields[i];
        if (field.control != store::FieldControl::Text || field.index < Field::FirstSingle ||
            field.index == Field::SiglUC || field.index == Field::SiglUD || field.joinsPrevious)
            continue;
        const bool joined = i + 1 < fields.size() && fields[i + 1].joinsPrevious;
        lines.push_back({field.caption, field.index, joined ? fields[i + 1].index : 0});
    }
    return lines;
}

void PaintInspectionSheet(QPagedPaintDevice& device, const InspectionSheet& sheet)
{
    PageCanvas canvas(device);
    if (!canvas.active())
        return;
    // The code quoted and escaped as the history shows it: two codes that
    // look alike on paper are told apart.
    const QString code = store::ShownCode(sheet.record.SspCodice);
    SheetWriter out(canvas, code);
    out.text(0, QStringLiteral("SCHEDA DEL REGISTRO %1").arg(code), Sans(14, true));
    out.text(0, QStringLiteral("Società %1").arg(sheet.company), Sans(9.75));
    out.heading(QStringLiteral("REGISTRI"));
    PaintRegisters(out, sheet);
    if (!sheet.unshowable.isEmpty()) {
        // What is stored, where a field above shows another value (0, no date).
        out.space(2);
        out.text(0, QStringLiteral("Valori memorizzati che i campi non mostrano così come sono:"), Sans(9.75, true));
        for (const QString& line : sheet.unshowable)
            out.text(0, store::Visible(line), Mono(10));
    }
    out.heading(QStringLiteral("RIGHE DI TESTATA"));
    PaintHeaderLines(out, canvas, sheet);
    out.heading(QStringLiteral("STORICO DELLE MODIFICHE"));
    PaintHistory(out, canvas, sheet);
    out.heading(QStringLiteral("STAMPA"));
    for (const QString& line : ClosingLines(sheet))
        out.text(0, line, Sans(9.75));
}

}  // namespace paper
