// Reading and writing the twenty header lines of a register set.
#include "store/header_lines.h"

#include "store/history_writer.h"
#include "store/table_description.h"
#include "store/skipped_failures.h"

namespace store {

QString WithoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

QString StoredHeaderLine(const QString& text)
{
    return WithoutTrailingBlanks(text) + QLatin1Char(' ');
}

HeaderLines ReadHeaderLines(TableCursor& header, const QString& code)
{
    HeaderLines lines;
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        lines[i] = QStringLiteral(" ");
    header.setIndex(PrimaryIndex);
    header.seek(QStringLiteral("="), code);
    if (header.noMatch())
        return lines;
    for (int block = 0; block < HeaderColumns::Blocks; ++block) {
        for (int line = 1; line <= HeaderColumns::LinesPerBlock; ++line) {
            try {
                const Value value = header.field(HeaderField(block, line));
                if (!value.isNull())
                    lines[HeaderLineIndex(block, line)] = value.toString();
            } catch (const EngineError&) {
                // A line that cannot be read keeps its blank; the others still show.
            }
        }
    }
    return lines;
}

bool WriteHeader(CompanyDatabase& company, const QString& code, const HeaderLines& lines,
                 MessageBoxes& boxes)
{
    SkippedFailures failures;
    TableCursor& header = *company.HeaderCursor;
    failures.run([&] { company.database->beginTrans(); });
    failures.run([&] { header.setIndex(PrimaryIndex); });
    failures.run([&] { header.seek(QStringLiteral("="), code); });
    const TableDescription& table = HeaderTableDescription();
    Row before, after;
    failures.run([&] {
        if (header.noMatch()) {
            header.addNew();
            header.setField(table.key().name, code);
        } else {
            before = ReadRow(header, table);
            header.edit();
        }
    });
    for (int block = 0; block < HeaderColumns::Blocks; ++block)
        for (int line = 1; line <= HeaderColumns::LinesPerBlock; ++line)
            failures.run([&] {
                header.setField(HeaderField(block, line),
                                StoredHeaderLine(lines[HeaderLineIndex(block, line)]));
            });
    failures.run([&] { after = ReadRow(header, table); });
    failures.run([&] { header.update(); });
    if (failures.lastError() == 0)
        failures.run([&] {
            ChangeRecord(company.HistoryCursor.get(), code, HistoryAction::Testata).add(table, before, after);
        });
    return FinishWrite(*company.database, failures, WriteHeaderFailed, boxes);
}

}  // namespace store
