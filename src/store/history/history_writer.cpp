// Writing the history rows of one change.
#include "store/history/history_writer.h"

#include "store/engine/null_conversions.h"

#include <QUuid>

#include <cmath>
#include <cstdlib>

namespace store {

namespace {

const QString& HistoryColumn(int column)
{
    return HistoryTableDescription().columnName(column);
}

// A double that is not whole (or not below 10^15) in the shortest decimal
// that reads back to the same double, written as PostgreSQL writes a double:
// plain when its exponent is from -4 to 14, else as d.ddde+XX; NaN, Infinity
// and -Infinity by those names. The server's triggers record this same text.
QString ShortestText(double number)
{
    if (std::isnan(number))
        return QStringLiteral("NaN");
    if (std::isinf(number))
        return number > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    // "-d.ddde+XX": the significant digits and the exponent of the first.
    const QString scientific = QString::number(number, 'e', QLocale::FloatingPointShortest);
    const qsizetype e = scientific.indexOf(QLatin1Char('e'));
    const bool negative = scientific.startsWith(QLatin1Char('-'));
    QString digits = scientific.mid(negative ? 1 : 0, e - (negative ? 1 : 0));
    digits.remove(QLatin1Char('.'));
    const int exponent = scientific.mid(e + 1).toInt();
    QString text;
    if (exponent < -4 || exponent >= 15) {
        text = digits.left(1);
        if (digits.size() > 1)
            text += QLatin1Char('.') + digits.mid(1);
        text += QStringLiteral("e%1%2")
                    .arg(exponent < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                    .arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    } else if (exponent < 0) {
        text = QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    } else if (digits.size() <= exponent + 1) {
        text = digits + QString(exponent + 1 - digits.size(), QLatin1Char('0'));
    } else {
        text = digits.left(exponent + 1) + QLatin1Char('.') + digits.mid(exponent + 1);
    }
    return negative ? QLatin1Char('-') + text : text;
}

}  // namespace

Row ReadRow(const TableCursor& cursor, const TableDescription& table)
{
    Row row;
    row.reserve(table.columns.size());
    for (const ColumnDescription& column : table.columns)
        row.push_back(cursor.field(column.name));
    return row;
}

Value HistoryText(const Value& value)
{
    if (value.isNull() || !value.isValid())
        return Value();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 1e15)
            return QString::number(qlonglong(number));
        return ShortestText(number);
    }
    case QMetaType::QDate:
        return QString::number(DayNumber(value.toDate()));
    case QMetaType::Bool:
        return QString::number(value.toBool() ? -1 : 0);
    default:
        return value.toString();
    }
}

ChangeRecord::ChangeRecord(TableCursor* history, QString code, QString action, const Workstation& by)
    : history_(history),
      code_(std::move(code)),
      action_(std::move(action)),
      by_(by),
      change_(QUuid::createUuid().toString(QUuid::Id128)),
      when_(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")))
{
}

void ChangeRecord::add(const TableDescription& table, const Row& before, const Row& after)
{
    if (!history_)
        return;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (int(i) == table.keyColumn)
            continue;  // the code is the row's own StoCodice
        const Value was = i < before.size() ? HistoryText(before[i]) : Value();
        const Value is = i < after.size() ? HistoryText(after[i]) : Value();
        if (was.isNull() == is.isNull() && (was.isNull() || was.toString() == is.toString()))
            continue;
        addRow(table.columns[i].name, was, is);
    }
}

void ChangeRecord::addEvent(const QString& column, const Value& before, const Value& after)
{
    if (history_)
        addRow(column, HistoryText(before), HistoryText(after));
}

void ChangeRecord::addRow(const QString& column, const Value& before, const Value& after)
{
    namespace H = HistoryColumns;
    history_->addNew();
    history_->setField(HistoryColumn(H::Modifica), change_);
    history_->setField(HistoryColumn(H::Quando), when_);
    history_->setField(HistoryColumn(H::Utente), by_.user);
    history_->setField(HistoryColumn(H::Postazione), by_.host);
    history_->setField(HistoryColumn(H::Versione), by_.version);
    history_->setField(HistoryColumn(H::Codice), code_);
    history_->setField(HistoryColumn(H::Azione), action_);
    history_->setField(HistoryColumn(H::Colonna), column);
    history_->setField(HistoryColumn(H::Prima), before);
    history_->setField(HistoryColumn(H::Dopo), after);
    history_->update();
    ++rows_;
}

}  // namespace store
