// The import of the three tables from a Jet database: column matching by
// name, the conversion of each Jet value to the stored type with its checks,
// and the one write transaction.
#include "jet/jet_import.h"

#include "store/engine/null_conversions.h"
#include "store/history/history_reader.h"
#include "store/schema/register_code.h"
#include "store/schema/table_description.h"

#include <QDate>
#include <QHash>

#include <cmath>
#include <limits>
#include <optional>

namespace jet::import {

namespace {

// The range of the window's date pickers: a stored date outside it could
// not be shown or kept by the program. 0 stands for no date.
const QDate FirstDate(2000, 1, 1);
const QDate LastDate(2099, 12, 31);

using Target = store::ColumnDescription;
using Kind = store::ColumnKind;

QString numberText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// The day of a Jet date as dd/MM/yyyy; a number too large for any calendar
// (only a damaged file holds one) as the number itself.
QString dateText(double days)
{
    const double day = std::trunc(days);
    if (!(std::abs(day) < 4e6))
        return numberText(days);
    return store::DayZero.addDays(qint64(day)).toString(QStringLiteral("dd/MM/yyyy"));
}

// Ten-thousandths as a decimal text without trailing zeros: 123400 -> "12.34".
QString currencyText(qint64 tenThousandths)
{
    const bool negative = tenThousandths < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    QString text = QString::number(magnitude / 10000);
    if (const quint64 fraction = magnitude % 10000) {
        QString digits = QStringLiteral("%1").arg(fraction, 4, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

// The conversion of one Jet value to a destination column. A value that
// cannot be stored sets `reason` and gives Null.
class Converter {
public:
    store::Value convert(const jet::Value& value, const Target& target, QString* reason) const
    {
        if (value.isNull())
            return {};
        switch (target.kind) {
        case Kind::Text:
        case Kind::FixedText: return toText(value, target, reason);
        case Kind::Long:
        case Kind::Counter: return toWhole(value, target, std::numeric_limits<qint32>::min(),
                                           std::numeric_limits<qint32>::max(), reason);
        case Kind::Integer: return toWhole(value, target, std::numeric_limits<qint16>::min(),
                                           std::numeric_limits<qint16>::max(), reason);
        case Kind::Double: return toDouble(value, target, reason);
        case Kind::Date: return toDate(value, target, reason);
        }
        return {};
    }

private:
    static store::Value fail(QString* reason, const QString& text)
    {
        *reason = text;
        return {};
    }

    static store::Value toText(const jet::Value& value, const Target& target, QString* reason)
    {
        QString text;
        switch (value.kind) {
        case jet::Value::Kind::Text: text = value.text; break;
        case jet::Value::Kind::Boolean: text = value.integer ? QStringLiteral("-1") : QStringLiteral("0"); break;
        case jet::Value::Kind::Integer: text = QString::number(value.integer); break;
        case jet::Value::Kind::Currency: text = currencyText(value.integer); break;
        case jet::Value::Kind::Real:
            if (!std::isfinite(value.real))
                return fail(reason, QStringLiteral("%1: numero non valido").arg(target.name));
            text = numberText(value.real);
            break;
        case jet::Value::Kind::Date: text = dateText(value.real); break;
        default:
            return fail(reason, QStringLiteral("%1: un dato binario non può diventare testo").arg(target.name));
        }
        if (text.size() > target.length)
            return fail(reason, QStringLiteral("%1: testo di %2 caratteri, la colonna ne contiene al massimo %3")
                                    .arg(target.name)
                                    .arg(text.size())
                                    .arg(target.length));
        return text;
    }

    // The value as a number, when it is one; `whole` tells whether it has no
    // fraction. Texts are read as written in the file (a dot or a comma
    // before the decimals); a blank text is Null.
    static bool numeric(const jet::Value& value, double* number, bool* blank)
    {
        *blank = false;
        switch (value.kind) {
        case jet::Value::Kind::Boolean: *number = value.integer ? -1 : 0; return true;
        case jet::Value::Kind::Integer: *number = double(value.integer); return true;
        case jet::Value::Kind::Currency: *number = double(value.integer) / 10000.0; return true;
        case jet::Value::Kind::Real:
        case jet::Value::Kind::Date: *number = value.real; return std::isfinite(value.real);
        case jet::Value::Kind::Text: {
            QString text = value.text.trimmed();
            if (text.isEmpty()) {
                *blank = true;
                return false;
            }
            text.replace(QLatin1Char(','), QLatin1Char('.'));
            bool ok = false;
            *number = text.toDouble(&ok);
            return ok && std::isfinite(*number);
        }
        default: return false;
        }
    }

    static QString shown(const jet::Value& value)
    {
        switch (value.kind) {
        case jet::Value::Kind::Text: return QLatin1Char('\'') + value.text + QLatin1Char('\'');
        case jet::Value::Kind::Currency: return currencyText(value.integer);
        case jet::Value::Kind::Date: return dateText(value.real);
        case jet::Value::Kind::Integer:
        case jet::Value::Kind::Boolean: return QString::number(value.integer);
        default: return numberText(value.real);
        }
    }

    static store::Value toWhole(const jet::Value& value, const Target& target, qint64 low, qint64 high,
                                QString* reason)
    {
        if (value.kind == jet::Value::Kind::Integer || value.kind == jet::Value::Kind::Boolean) {
            const qint64 number = value.kind == jet::Value::Kind::Boolean ? -value.integer : value.integer;
            if (number < low || number > high)
                return outOfRange(target, QString::number(number), low, high, reason);
            return qlonglong(number);
        }
        const std::optional<double> read = numberIn(value, target, reason);
        if (!read)
            return {};
        double number = *read;
        if (value.kind == jet::Value::Kind::Date)
            number = std::trunc(number);
        if (number != std::trunc(number))
            return fail(reason, QStringLiteral("%1: %2 non è un numero intero").arg(target.name, shown(value)));
        if (number < double(low) || number > double(high))
            return outOfRange(target, shown(value), low, high, reason);
        return qlonglong(number);
    }

    static store::Value outOfRange(const Target& target, const QString& number, qint64 low, qint64 high,
                                   QString* reason)
    {
        return fail(reason, QStringLiteral("%1: il numero %2 è fuori dall'intervallo della colonna (%3 - %4)")
                                .arg(target.name, number)
                                .arg(low)
                                .arg(high));
    }

    static store::Value toDouble(const jet::Value& value, const Target& target, QString* reason)
    {
        const std::optional<double> read = numberIn(value, target, reason);
        if (!read)
            return {};
        return *read;
    }

    // The number a value holds; nothing when it is blank (the column stays
    // Null) or holds no number (`reason` then says so).
    static std::optional<double> numberIn(const jet::Value& value, const Target& target, QString* reason)
    {
        double number = 0;
        bool blank = false;
        if (numeric(value, &number, &blank))
            return number;
        if (!blank)
            fail(reason, QStringLiteral("%1: %2 non è un numero").arg(target.name, shown(value)));
        return std::nullopt;
    }

    // Dates are stored as whole days from 30/12/1899. A Jet date keeps the
    // time of day as a fraction that is always added to the day, also before
    // 1899 (-1.25 is 29/12/1899 at 6:00), so the day is the whole part.
    static store::Value toDate(const jet::Value& value, const Target& target, QString* reason)
    {
        double number = 0;
        bool blank = false;
        if (value.kind == jet::Value::Kind::Text && value.text.trimmed().isEmpty())
            return {};
        if (value.kind == jet::Value::Kind::Text || value.kind == jet::Value::Kind::Bytes ||
            !numeric(value, &number, &blank))
            return fail(reason, QStringLiteral("%1: %2 non è una data").arg(target.name, shown(value)));
        if (value.kind != jet::Value::Kind::Date && number != std::trunc(number))
            return fail(reason, QStringLiteral("%1: %2 non è un numero di giorno").arg(target.name, shown(value)));
        const double day = std::trunc(number);
        if (day == 0)
            return qlonglong(0);
        if (day < double(store::DayZero.daysTo(FirstDate)) || day > double(store::DayZero.daysTo(LastDate)))
            return fail(reason, QStringLiteral("%1: la data %2 è fuori dall'intervallo %3 - %4")
                                    .arg(target.name, dateText(day),
                                         FirstDate.toString(QStringLiteral("dd/MM/yyyy")),
                                         LastDate.toString(QStringLiteral("dd/MM/yyyy"))));
        return qlonglong(day);
    }
};

void report(const Progress& progress, const QString& table, const QString& phase, qint64 done, qint64 total,
            bool last)
{
    if (!progress || total <= ProgressStep)
        return;
    if (last ? done % ProgressStep != 0 : done % ProgressStep == 0)
        progress(table, phase, done, total);
}

Prepared::Table prepareTable(jet::Table& source, const store::TableDescription& destination, Prepared& out,
                             const Progress& progress)
{
    const std::vector<jet::Column>& columns = source.columns();
    // For each source column, the destination column it feeds, or -1.
    std::vector<int> feeds(columns.size(), -1);
    std::vector<bool> fed(destination.columns.size(), false);
    for (size_t s = 0; s < columns.size(); ++s) {
        for (size_t d = 0; d < destination.columns.size(); ++d) {
            if (!fed[d] && columns[s].name.compare(destination.columns[d].name, Qt::CaseInsensitive) == 0) {
                feeds[s] = int(d);
                fed[d] = true;
                break;
            }
        }
        if (feeds[s] < 0)
            out.notes << QStringLiteral("%1: la colonna %2 non esiste in Quenvol e non viene importata")
                             .arg(destination.name, columns[s].name);
    }
    const int keyColumn = destination.keyColumn;
    if (!fed[keyColumn])
        throw jet::Error(QStringLiteral("la tabella %1 del file non ha la colonna chiave %2")
                             .arg(destination.name, destination.key().name));
    Prepared::Table table{destination.name, {}, {}, 0};
    std::vector<int> position(destination.columns.size(), -1);  // destination column -> value index
    for (size_t d = 0; d < destination.columns.size(); ++d) {
        if (fed[d]) {
            position[d] = int(table.columns.size());
            table.columns << destination.columns[d].name;
        } else {
            out.notes << QStringLiteral("%1: la colonna %2 manca nel file e resta vuota (Null)")
                             .arg(destination.name, destination.columns[d].name);
        }
    }

    const Converter converter;
    QHash<QString, QString> keys;  // the case-folded key -> the key as first read
    const qint64 total = source.rowCount();
    jet::Row row;
    while (source.next(row)) {
        ++table.read;
        report(progress, destination.name, QStringLiteral("lettura"), table.read, total, false);
        std::vector<store::Value> values(table.columns.size());
        QStringList reasons;
        QString key;
        for (size_t s = 0; s < columns.size(); ++s) {
            if (feeds[s] < 0)
                continue;
            const Target& target = destination.columns[feeds[s]];
            QString reason;
            values[position[feeds[s]]] = converter.convert(row[s], target, &reason);
            if (!reason.isEmpty())
                reasons << reason;
            if (feeds[s] == keyColumn)
                key = row[s].kind == jet::Value::Kind::Text ? row[s].text
                                                            : values[position[keyColumn]].toString();
        }
        const store::Value& storedKey = values[position[keyColumn]];
        // A register set's code keeps the code rule: the file's triggers
        // would refuse the whole write, so such a row is a bad row, told why.
        const QString codeProblem = destination.name == store::RegisterTable && !storedKey.isNull()
                                        ? store::RegisterCodeProblem(storedKey.toString())
                                        : QString();
        if (!codeProblem.isEmpty())
            key = store::ShownCode(storedKey.toString());
        if (storedKey.isNull() || storedKey.toString().trimmed().isEmpty()) {
            if (reasons.isEmpty())
                reasons << QStringLiteral("%1: codice vuoto").arg(destination.key().name);
        } else if (reasons.isEmpty() && !codeProblem.isEmpty()) {
            reasons << QStringLiteral("%1: %2").arg(destination.key().name, codeProblem);
        } else if (reasons.isEmpty()) {
            const QString folded = storedKey.toString().toCaseFolded();
            if (const auto seen = keys.constFind(folded); seen != keys.constEnd()) {
                reasons << (seen.value() == storedKey.toString()
                                ? QStringLiteral("%1: codice ripetuto").arg(destination.key().name)
                                : QStringLiteral("%1: codice uguale a '%2' a meno di maiuscole e minuscole")
                                      .arg(destination.key().name, seen.value()));
            } else {
                keys.insert(folded, storedKey.toString());
            }
        }
        if (!reasons.isEmpty()) {
            const QString shownKey = key.isEmpty() ? QStringLiteral("(riga %1)").arg(table.read) : key;
            for (const QString& reason : reasons)
                out.badRows.push_back({destination.name, shownKey, reason});
            continue;
        }
        table.rows.push_back(std::move(values));
    }
    report(progress, destination.name, QStringLiteral("lettura"), table.read, total, true);
    // Rows the reading could not see are no bad rows to leave out: a table
    // read short refuses the whole import.
    if (const QString shortfall = CountProblem(source, table.read); !shortfall.isEmpty())
        throw jet::Error(shortfall);
    return table;
}

}  // namespace

QString CountProblem(jet::Table& table, qint64 read)
{
    const qint64 recorded = table.rowCount();
    const qint64 onPages = table.pageRowCount();
    if (read == recorded && (onPages < 0 || onPages == read))
        return {};
    QString pages;
    if (onPages >= 0)
        pages = QStringLiteral(", %1 nelle sue pagine di dati").arg(onPages);
    return QStringLiteral("il file è danneggiato: della tabella %1 sono state lette %2 righe, ma il file ne "
                          "registra %3%4")
        .arg(table.name())
        .arg(read)
        .arg(recorded)
        .arg(pages);
}

QString Describe(const BadRow& row)
{
    return QStringLiteral("%1, codice %2: %3").arg(row.table, row.key, row.reason);
}

std::vector<TableCheck> Check(jet::Database& source)
{
    std::vector<TableCheck> checks;
    for (const store::TableDescription* described : store::SharedTables()) {
        const store::TableDescription& destination = *described;
        TableCheck check;
        check.table = destination.name;
        std::unique_ptr<jet::Table> table = source.openTable(destination.name);
        if (table) {
            check.present = true;
            check.rows = table->rowCount();
            const auto has = [](const auto& columns, const QString& name) {
                for (const auto& column : columns)
                    if (column.name.compare(name, Qt::CaseInsensitive) == 0)
                        return true;
                return false;
            };
            for (const Target& target : destination.columns)
                if (!has(table->columns(), target.name))
                    check.missing << target.name;
            for (const jet::Column& column : table->columns())
                if (!has(destination.columns, column.name))
                    check.extra << column.name;
            check.hasKey = !check.missing.contains(destination.key().name);
        }
        checks.push_back(check);
    }
    return checks;
}

Prepared Prepare(jet::Database& source, const Progress& progress)
{
    QStringList missing;
    for (const TableCheck& check : Check(source)) {
        if (!check.present)
            missing << check.table;
    }
    if (!missing.isEmpty())
        throw jet::Error(QStringLiteral("il file non contiene %1 %2: non è un archivio dei registri "
                                        "delle procedure semplificate")
                             .arg(missing.size() == 1 ? QStringLiteral("la tabella") : QStringLiteral("le tabelle"),
                                  missing.join(QStringLiteral(", "))));
    Prepared prepared;
    for (const store::TableDescription* described : store::SharedTables()) {
        const store::TableDescription& destination = *described;
        std::unique_ptr<jet::Table> table = source.openTable(destination.name);
        if (!table)
            throw jet::Error(QStringLiteral("impossibile aprire la tabella %1").arg(destination.name));
        prepared.tables.push_back(prepareTable(*table, destination, prepared, progress));
    }
    return prepared;
}

std::vector<TableCount> Write(const Prepared& prepared, store::Database& destination, const Progress& progress)
{
    std::vector<TableCount> counts;
    destination.beginTrans();
    try {
        for (const Prepared::Table& table : prepared.tables) {
            std::unique_ptr<store::TableCursor> cursor = destination.openTable(table.name);
            TableCount count{table.name, table.read, 0};
            const qint64 total = qint64(table.rows.size());
            for (const std::vector<store::Value>& row : table.rows) {
                cursor->addNew();
                for (qsizetype c = 0; c < table.columns.size(); ++c)
                    if (!row[c].isNull())
                        cursor->setField(table.columns[c], row[c]);
                cursor->update();
                ++count.written;
                report(progress, table.name, QStringLiteral("scrittura"), count.written, total, false);
            }
            report(progress, table.name, QStringLiteral("scrittura"), count.written, total, true);
            cursor->close();
            counts.push_back(count);
        }
        destination.commitTrans();
    } catch (...) {
        destination.rollback();
        throw;
    }
    return counts;
}

}  // namespace jet::import
