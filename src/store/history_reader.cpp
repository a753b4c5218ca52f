// Reading and showing the change history.
#include "store/history_reader.h"

#include "store/null_conversions.h"
#include "store/table_description.h"

#include <QHash>

#include <algorithm>

namespace store {

namespace {

namespace H = HistoryColumns;

// Date columns of the register table: their day numbers are shown as dates.
bool IsDateColumn(const QString& column)
{
    const TableDescription& table = RegisterTableDescription();
    const int index = table.columnIndex(column);
    return index >= 0 && table.columns[std::size_t(index)].kind == ColumnKind::Date;
}

QString CsvField(const QString& text)
{
    QString field = text;
    // A cell that begins like a formula is taken as text by a spreadsheet.
    if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()))
        field.prepend(QLatin1Char('\''));
    field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

}  // namespace

std::vector<Change> ReadHistory(Database& database, const QString& code, const QDateTime& since)
{
    const TableDescription& table = HistoryTableDescription();
    auto snapshot = code.isEmpty()
        ? database.openSnapshot(table.name)
        : database.openSnapshot(table.name, table.columnName(H::Codice), code);
    int index[H::Count];
    for (int i = 0; i < H::Count; ++i)
        index[i] = snapshot->fieldIndex(table.columnName(i));

    struct Line {
        qlonglong id;
        int change;
        ColumnChange column;
    };
    std::vector<Line> lines;
    std::vector<Change> changes;
    QHash<QString, int> changeOf;  // StoModifica -> position in `changes`
    for (; !snapshot->atEnd(); snapshot->moveNext()) {
        const QString rowCode = snapshot->field(index[H::Codice]).toString();
        // The pattern's "*" is a wildcard to the engine: keep the code itself only.
        if (!code.isEmpty() && rowCode.compare(code, Qt::CaseInsensitive) != 0)
            continue;
        const QString key = snapshot->field(index[H::Modifica]).toString();
        auto found = changeOf.constFind(key);
        int position;
        if (found == changeOf.cend()) {
            Change change;
            change.when = QDateTime::fromString(snapshot->field(index[H::Quando]).toString(), Qt::ISODateWithMs);
            change.when.setTimeSpec(Qt::UTC);
            if (since.isValid() && change.when < since)
                continue;
            change.user = snapshot->field(index[H::Utente]).toString();
            change.host = snapshot->field(index[H::Postazione]).toString();
            change.version = snapshot->field(index[H::Versione]).toString();
            change.code = rowCode;
            change.action = snapshot->field(index[H::Azione]).toString();
            position = int(changes.size());
            changes.push_back(std::move(change));
            changeOf.insert(key, position);
        } else {
            position = *found;
        }
        lines.push_back({snapshot->field(index[H::Id]).toLongLong(), position,
                         {snapshot->field(index[H::Colonna]).toString(), snapshot->field(index[H::Prima]),
                          snapshot->field(index[H::Dopo])}});
    }
    snapshot->close();

    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.id < b.id; });
    for (Line& line : lines) {
        Change& change = changes[std::size_t(line.change)];
        if (change.columns.empty())
            change.number = line.id;
        change.columns.push_back(std::move(line.column));
    }
    std::sort(changes.begin(), changes.end(),
              [](const Change& a, const Change& b) { return a.number > b.number; });
    return changes;
}

QString ShownValue(const QString& column, const Value& value)
{
    if (value.isNull())
        return QStringLiteral("Null");
    const QString text = value.toString();
    if (IsDateColumn(column)) {
        bool whole = false;
        const int day = text.toInt(&whole);
        if (whole && day > 0)
            return DateOfDay(day).toString(QStringLiteral("dd/MM/yyyy"));
    }
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString ShownTime(const QDateTime& when)
{
    return when.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

QStringList HistoryLines(const std::vector<Change>& changes)
{
    QStringList lines;
    for (const Change& change : changes) {
        lines << QStringLiteral("%1  %2  %3  %4@%5  vers. %6  %7")
                     .arg(change.number, 7)
                     .arg(ShownTime(change.when), change.action.toUpper().leftJustified(13),
                          change.user, change.host, change.version, change.code);
        for (const ColumnChange& column : change.columns)
            lines << QStringLiteral("           %1: %2 -> %3")
                         .arg(column.column.leftJustified(16), ShownValue(column.column, column.before),
                              ShownValue(column.column, column.after));
    }
    return lines;
}

QString HistoryCsv(const std::vector<Change>& changes)
{
    static const char* const heading[] = {"numero", "quando", "quando (UTC)", "utente", "postazione",
                                          "versione", "codice", "azione", "colonna", "prima", "dopo"};
    QStringList fields;
    for (const char* name : heading)
        fields << CsvField(QString::fromLatin1(name));
    QString out = fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const Change& change : changes) {
        for (const ColumnChange& column : change.columns) {
            fields = {CsvField(QString::number(change.number)),
                      CsvField(ShownTime(change.when)),
                      CsvField(change.when.toString(Qt::ISODateWithMs)),
                      CsvField(change.user),
                      CsvField(change.host),
                      CsvField(change.version),
                      CsvField(change.code),
                      CsvField(change.action),
                      CsvField(column.column),
                      CsvField(ShownValue(column.column, column.before)),
                      CsvField(ShownValue(column.column, column.after))};
            out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        }
    }
    return out;
}

}  // namespace store
