// Writing the history rows of one change.
#include "store/history/history_writer.h"

#include "store/engine/null_conversions.h"

#include <QUuid>

#include <cmath>

namespace store {

namespace {

const QString& HistoryColumn(int column)
{
    return HistoryTableDescription().columnName(column);
}

}  // namespace

bool HistoryAction::IsChangeAction(const QString& action)
{
    return action == Inserimento || action == Variazione || action == Cancellazione || action == Testata ||
           action == StatoIniziale;
}

bool HistoryAction::IsEventAction(const QString& action)
{
    return action == StampaPagine || action == RistampaPagine;
}

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
        return QString::number(number, 'g', QLocale::FloatingPointShortest);
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
