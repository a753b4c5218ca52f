// Reading and showing the change history.
#include "store/history/history_reader.h"

#include "store/engine/null_conversions.h"
#include "store/history/history_writer.h"
#include "store/record/register_fields.h"
#include "store/schema/table_description.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace store {

namespace {

namespace H = HistoryColumns;

// Date columns of the register table: their day numbers are shown as dates.
// The history names columns as the description spells them.
bool IsDateColumn(const QString& column)
{
    static const QSet<QString> dates = [] {
        QSet<QString> names;
        for (const ColumnDescription& c : RegisterTableDescription().columns)
            if (c.kind == ColumnKind::Date)
                names.insert(c.name);
        return names;
    }();
    return dates.contains(column);
}

// "yyyy-MM-ddTHH:mm:ss.zzzZ", as the writer stores it, read without the
// general parser (one per change: the panel reads thousands); any other form
// goes through Qt's ISO parser.
QDateTime ParseInstant(const QString& text)
{
    auto number = [&](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; ++i) {
            const QChar c = text.at(i);
            if (!c.isDigit())
                return -1;
            value = value * 10 + c.digitValue();
        }
        return value;
    };
    if (text.size() == 24 && text.at(23) == QLatin1Char('Z')) {
        const QDate date(number(0, 4), number(5, 2), number(8, 2));
        const QTime time(number(11, 2), number(14, 2), number(17, 2), number(20, 3));
        if (date.isValid() && time.isValid())
            return QDateTime(date, time, Qt::UTC);
    }
    QDateTime when = QDateTime::fromString(text, Qt::ISODateWithMs);
    return when.toUTC();
}

// A code point that Visible writes as an escape.
bool Hidden(char32_t c)
{
    if (c == U'\\' || c < 0x20 || (c >= 0x7F && c < 0xA0))
        return true;
    // Blanks that print as nothing or look like a space, and marks that
    // change nothing visible: a value holding one would look like another.
    if (c == 0x034F || c == 0x115F || c == 0x1160 || c == 0x2800 || c == 0x3164 || c == 0xFFA0 ||
        (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF))
        return true;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:      // every blank but the plain space
        return c != U' ';
    case QChar::Other_Format:         // zero-width and direction marks, which reorder or hide text
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Surrogate:      // a half of a pair, alone
        return true;
    default:
        return false;
    }
}

// The row's text in a column that a history made before may lack.
int OptionalIndex(const Snapshot& snapshot, const QString& name)
{
    try {
        return snapshot.fieldIndex(name);
    } catch (const EngineError& error) {
        if (error.number() != EngineErrorNumber::ItemNotFound)
            throw;
        return -1;
    }
}

// The action as the lists show it: a change's in capitals, an event's in
// capitals marked as an event, any other text as it was written, quoted.
QString ShownAction(const QString& action)
{
    if (HistoryAction::IsChangeAction(action))
        return action.toUpper();
    if (HistoryAction::IsEventAction(action))
        return action.toUpper() + QStringLiteral(" (evento)");
    return QStringLiteral("azione sconosciuta \"%1\"").arg(Visible(action));
}

// A cell of the CSV: the text as the listing shows it (Visible), or as given
// when it is shown already (a value: ShownValue), escaped once either way.
QString CsvField(const QString& text, bool shown = false)
{
    QString field = shown ? text : Visible(text);
    // A cell that begins like a formula is taken as text by a spreadsheet.
    if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()))
        field.prepend(QLatin1Char('\''));
    field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

}  // namespace

namespace {

// The rows of a history snapshot gathered into changes: a change is one
// transaction on one code; an event stands apart from the changes of its
// transaction.
class ChangeGathering {
public:
    ChangeGathering(Snapshot& snapshot, const QString& code, const QDateTime& since)
        : snapshot_(snapshot), code_(code), since_(since)
    {
        const TableDescription& table = HistoryTableDescription();
        for (int i = 0; i <= H::Dopo; ++i)  // the later columns: a history made before has none
            index_[i] = snapshot.fieldIndex(table.columnName(i));
        index_[H::Ruolo] = OptionalIndex(snapshot, table.columnName(H::Ruolo));
        index_[H::Indirizzo] = OptionalIndex(snapshot, table.columnName(H::Indirizzo));
    }

    // Every row of the snapshot; returns how many it read.
    int readAll()
    {
        int read = 0;
        for (; !snapshot_.atEnd(); snapshot_.moveNext(), ++read)
            add();
        snapshot_.close();
        return read;
    }

    // Leaves out the change whose rows end the reading, when no row of it
    // came before them: its older rows may lie beyond what was read. Returns
    // the lowest row number kept, or Null when everything read went.
    Value dropLastChange()
    {
        if (lines_.empty())
            return Value();
        const int last = lines_.back().change;
        std::size_t tail = lines_.size();
        while (tail > 0 && lines_[tail - 1].change == last)
            --tail;
        for (std::size_t i = 0; i < tail; ++i)
            if (lines_[i].change == last)
                tail = lines_.size();  // the change has rows further up: keep it whole
        if (tail == 0)
            return Value();
        lines_.resize(tail);
        qlonglong lowest = lines_.front().id;
        for (const Line& line : lines_)
            lowest = std::min(lowest, line.id);
        return lowest;
    }

    // The changes, newest first, each with its column changes in the order
    // they were written.
    std::vector<Change> changes()
    {
        std::sort(lines_.begin(), lines_.end(), [](const Line& a, const Line& b) { return a.id < b.id; });
        for (Line& line : lines_) {
            Change& change = changes_[std::size_t(line.change)];
            if (change.columns.empty())
                change.number = line.id;
            change.columns.push_back(std::move(line.column));
        }
        std::vector<Change> kept;
        kept.reserve(changes_.size());
        for (Change& change : changes_)
            if (!change.columns.empty())
                kept.push_back(std::move(change));
        std::sort(kept.begin(), kept.end(), [](const Change& a, const Change& b) { return a.number > b.number; });
        return kept;
    }

private:
    struct Line {
        qlonglong id;
        int change;
        ColumnChange column;
    };

    QString optional(int column) const
    {
        return index_[column] < 0 ? QString() : snapshot_.field(index_[column]).toString();
    }

    void add()
    {
        const QString rowCode = snapshot_.field(index_[H::Codice]).toString();
        // The pattern's "*" is a wildcard to the engine: keep the code itself only.
        if (!code_.isEmpty() && rowCode.compare(code_, Qt::CaseInsensitive) != 0)
            return;
        const QString action = snapshot_.field(index_[H::Azione]).toString();
        QString key = snapshot_.field(index_[H::Modifica]).toString() + QChar(0) + rowCode;
        if (!HistoryAction::IsChangeAction(action))
            key += QChar(0) + action;
        auto found = changeOf_.constFind(key);
        int position;
        if (found == changeOf_.cend()) {
            Change change;
            change.when = ParseInstant(snapshot_.field(index_[H::Quando]).toString());
            if (since_.isValid() && change.when < since_)
                return;
            change.user = snapshot_.field(index_[H::Utente]).toString();
            change.host = snapshot_.field(index_[H::Postazione]).toString();
            change.version = snapshot_.field(index_[H::Versione]).toString();
            change.role = optional(H::Ruolo);
            change.address = optional(H::Indirizzo);
            change.code = rowCode;
            change.action = action;
            position = int(changes_.size());
            changes_.push_back(std::move(change));
            changeOf_.insert(key, position);
        } else {
            position = *found;
        }
        lines_.push_back({snapshot_.field(index_[H::Id]).toLongLong(), position,
                          {snapshot_.field(index_[H::Colonna]).toString(), snapshot_.field(index_[H::Prima]),
                           snapshot_.field(index_[H::Dopo])}});
    }

    Snapshot& snapshot_;
    QString code_;
    QDateTime since_;
    int index_[H::Count];
    std::vector<Line> lines_;
    std::vector<Change> changes_;
    QHash<QString, int> changeOf_;  // StoModifica, code (and an event's action) -> position in `changes_`
};

}  // namespace

std::vector<Change> ReadHistory(Database& database, const QString& code, const QDateTime& since)
{
    const TableDescription& table = HistoryTableDescription();
    auto snapshot = code.isEmpty()
        ? database.openSnapshot(table.name)
        : database.openSnapshot(table.name, table.columnName(H::Codice), code);
    ChangeGathering gathering(*snapshot, code, since);
    gathering.readAll();
    return gathering.changes();
}

HistoryPage ReadHistoryPage(Database& database, const QString& code, const Value& below, int rows)
{
    const TableDescription& table = HistoryTableDescription();
    rows = std::max(rows, 1);
    for (int limit = rows;; limit *= 2) {
        auto snapshot = database.openNewestRows(table.name, table.columnName(H::Codice), code, below, limit);
        ChangeGathering gathering(*snapshot, code, QDateTime());
        HistoryPage page;
        if (gathering.readAll() < limit) {  // the oldest rows are in: nothing below
            page.changes = gathering.changes();
            return page;
        }
        page.below = gathering.dropLastChange();
        // One change larger than the page: read it whole with a larger page.
        if (page.below.isNull())
            continue;
        page.changes = gathering.changes();
        return page;
    }
}

QString ShownValue(const QString& column, const Value& value)
{
    if (value.isNull())
        return QStringLiteral("Null");
    const QString text = value.toString();
    if (IsDateColumn(column)) {
        bool whole = false;
        const int day = text.toInt(&whole);
        if (whole && day != 0)  // 0 is no date; a day before it is a date before 30/12/1899
            return DateOfDay(day).toString(QStringLiteral("dd/MM/yyyy"));
    }
    return QLatin1Char('"') + Visible(text) + QLatin1Char('"');
}

namespace {

// A mark that combines with the character before it: a code written
// decomposed ("A" and a combining diaeresis) looks like its composed form.
bool CombiningMark(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

// `text` with every Hidden character, and with `marks` every combining mark,
// written as a visible escape.
QString Escaped(const QString& text, bool marks)
{
    auto escaped = [marks](char32_t c) { return Hidden(c) || (marks && CombiningMark(c)); };
    qsizetype plain = 0;
    while (plain < text.size() && !escaped(text.at(plain).unicode()) && !text.at(plain).isSurrogate())
        ++plain;
    if (plain == text.size())
        return text;
    QString shown = text.left(plain);
    for (qsizetype i = plain; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        qsizetype units = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            units = 2;
        }
        if (!escaped(c)) {
            shown += text.mid(i, units);
        } else if (c == U'\\') {
            shown += QStringLiteral("\\\\");
        } else if (c == U'\n') {
            shown += QStringLiteral("\\n");
        } else if (c == U'\r') {
            shown += QStringLiteral("\\r");
        } else if (c == U'\t') {
            shown += QStringLiteral("\\t");
        } else if (c < 0x100) {
            shown += QString::asprintf("\\x%02x", unsigned(c));
        } else if (c < 0x10000) {
            shown += QString::asprintf("\\u%04x", unsigned(c));
        } else {
            shown += QString::asprintf("\\U%08x", unsigned(c));
        }
        i += units - 1;
    }
    return shown;
}

}  // namespace

QString Visible(const QString& text)
{
    return Escaped(text, false);
}

QString ShownCode(const QString& code)
{
    return QLatin1Char('"') + Escaped(code, true) + QLatin1Char('"');
}

QString ShownTime(const QDateTime& when)
{
    const QDateTime local = when.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    return QString::asprintf("%02d/%02d/%04d %02d:%02d:%02d", d.day(), d.month(), d.year(), t.hour(),
                             t.minute(), t.second());
}

QString ChangeLine(const Change& change)
{
    QString line = QString::number(change.number).rightJustified(7) + QLatin1String("  ") +
                   ShownTime(change.when) + QLatin1String("  ") + ShownAction(change.action).leftJustified(13) +
                   QLatin1String("  ");
    if (!change.role.isEmpty())
        line += QStringLiteral("ruolo %1 da %2  ").arg(Visible(change.role), Visible(change.address));
    return line + QStringLiteral("dichiarati: %1@%2 vers. %3  %4")
                      .arg(Visible(change.user), Visible(change.host), Visible(change.version), ShownCode(change.code));
}

QString ColumnLine(const ColumnChange& column)
{
    return QLatin1String("           ") + ColumnOperatorName(column.column).leftJustified(24) + QLatin1String(": ") +
           ShownValue(column.column, column.before) + QLatin1String(" -> ") +
           ShownValue(column.column, column.after);
}

QStringList HistoryLines(const std::vector<Change>& changes)
{
    QStringList lines;
    for (const Change& change : changes) {
        lines << ChangeLine(change);
        for (const ColumnChange& column : change.columns)
            lines << ColumnLine(column);
    }
    return lines;
}

QString HistoryCsv(const std::vector<Change>& changes)
{
    static const char* const heading[] = {"numero", "quando", "quando (UTC)", "ruolo", "indirizzo",
                                          "utente (dichiarato)", "postazione (dichiarata)",
                                          "versione (dichiarata)", "tipo", "codice", "azione", "campo",
                                          "colonna", "prima", "dopo"};
    QStringList fields;
    for (const char* name : heading)
        fields << CsvField(QString::fromLatin1(name));
    QString out = fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const Change& change : changes) {
        for (const ColumnChange& column : change.columns) {
            fields = {CsvField(QString::number(change.number)),
                      CsvField(ShownTime(change.when)),
                      CsvField(change.when.toString(Qt::ISODateWithMs)),
                      CsvField(change.role),
                      CsvField(change.address),
                      CsvField(change.user),
                      CsvField(change.host),
                      CsvField(change.version),
                      CsvField(HistoryAction::IsChangeAction(change.action)
                                   ? QStringLiteral("modifica")
                                   : HistoryAction::IsEventAction(change.action) ? QStringLiteral("evento")
                                                                                 : QStringLiteral("sconosciuta")),
                      CsvField(ShownCode(change.code), true),
                      CsvField(change.action),
                      CsvField(ColumnOperatorName(column.column)),
                      CsvField(column.column),
                      CsvField(ShownValue(column.column, column.before), true),
                      CsvField(ShownValue(column.column, column.after), true)};
            out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        }
    }
    return out;
}

}  // namespace store
