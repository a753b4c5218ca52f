// Reading and writing the twenty header lines of a register set.
#include "store/registers/header_lines.h"

#include "store/history/history_writer.h"
#include "store/schema/table_description.h"
#include "store/registers/write_transaction.h"
#include "store/registers/write_conflicts.h"

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

HeaderLines ReadHeaderLines(TableCursor& header, const QString& code, bool* found)
{
    HeaderLines lines = BlankHeaderLines();
    header.setIndex(PrimaryIndex);
    header.seek(QStringLiteral("="), code);
    if (found)
        *found = !header.noMatch();
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

HeaderLines BlankHeaderLines()
{
    HeaderLines lines;
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        lines[i] = QStringLiteral(" ");
    return lines;
}

HeaderLines StoredForm(const HeaderLines& lines)
{
    HeaderLines stored;
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        stored[i] = StoredHeaderLine(lines[i]);
    return stored;
}

void PutHeaderRow(TableCursor& header, TableCursor* history, const QString& code,
                  const HeaderLines& lines)
{
    header.setIndex(PrimaryIndex);
    header.seek(QStringLiteral("="), code);
    const TableDescription& table = HeaderTableDescription();
    Row before;
    if (header.noMatch()) {
        header.addNew();
        header.setField(table.key().name, code);
    } else {
        before = ReadRow(header, table);
        header.edit();
    }
    for (int block = 0; block < HeaderColumns::Blocks; ++block)
        for (int line = 1; line <= HeaderColumns::LinesPerBlock; ++line)
            header.setField(HeaderField(block, line), StoredHeaderLine(lines[HeaderLineIndex(block, line)]));
    const Row after = ReadRow(header, table);
    header.update();
    // The change goes into the history in the same transaction.
    ChangeRecord(history, code, HistoryAction::Testata).add(table, before, after);
}

QString HeaderChangedText(const QString& code, const QStringList& differences)
{
    QString text = QStringLiteral("LE TESTATE DEL REGISTRO %1 SONO STATE MODIFICATE DA UN'ALTRA "
                                  "POSTAZIONE DOPO L'APERTURA.\n")
                       .arg(code.trimmed());
    if (!differences.isEmpty())
        text += QStringLiteral("VALORI DELL'ALTRA POSTAZIONE:\n") + DifferenceLines(differences);
    return text + HeaderOverwriteQuestion + QLatin1Char('\n') + HeaderNothingWrittenNote;
}

QString HeaderDeletedText(const QString& code)
{
    return QStringLiteral("LE TESTATE DEL REGISTRO %1 SONO STATE CANCELLATE DA UN'ALTRA "
                          "POSTAZIONE DOPO L'APERTURA.\nLE REINSERISCO CON LE RIGHE A VIDEO?\n")
               .arg(code.trimmed()) +
           HeaderNothingWrittenNote;
}

bool WriteHeader(CompanyDatabase& company, const QString& code, const HeaderLines& lines,
                 std::optional<HeaderLines>& shown, MessageBoxes& boxes)
{
    Database& database = *company.database;
    TableCursor& header = *company.HeaderCursor;
    for (;;) {
        // 1. begin; 2. read the stored row; 3. compare it with the one shown;
        // 4. add or edit the row with the lines; 5. commit.
        std::optional<HeaderLines> stored;
        Found found = Found::AsShown;
        bool done = false;
        const WriteFailure failure = RunWrite([&] {
            WriteTransaction transaction(database);
            stored = StoredHeader(header, code);
            found = Compare(shown, stored);
            if (found != Found::AsShown)
                return;  // rolled back; told below
            PutHeaderRow(header, company.HistoryCursor.get(), code, lines);
            transaction.commit();
            done = true;
        });
        // The transaction is over: the boxes below hold nothing in the file.
        if (done) {
            shown = StoredForm(lines);
            return true;
        }
        if (failure) {
            ShowWriteFailure(boxes, WriteHeaderFailed, failure);
            return false;
        }
        const QString text = found == Found::DeletedElsewhere
            ? HeaderDeletedText(code)
            : HeaderChangedText(code, HeaderDifferences(shown.value_or(BlankHeaderLines()),
                                                        stored.value_or(BlankHeaderLines())));
        if (boxes.MsgBox(text, BoxCode::YesNoExclaimNoDefault, QStringLiteral("MORVANEX - CONFERMA")) !=
            BoxAnswer::Yes)
            return false;
        shown = stored;  // the operator has seen this version
    }
}

}  // namespace store
