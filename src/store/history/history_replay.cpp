// The replay of the history, its comparison with the stored rows, and the
// starting state.
#include "store/history/history_replay.h"

#include "store/history/history_writer.h"
#include "store/schema/table_description.h"

#include <QSet>

namespace store {

namespace {

namespace H = HistoryColumns;

// The name a table's column has in the history: a document type's columns
// carry the table's name, as the server's trigger writes them.
QString HistoryName(const TableDescription& table, const ColumnDescription& column)
{
    return table.name == DocTypeTable ? table.name + QLatin1Char('.') + column.name : column.name;
}

// HistoryAction::IsChangeAction over the stored bytes.
bool IsChange(QLatin1String action)
{
    return action == HistoryAction::Inserimento || action == HistoryAction::Variazione ||
           action == HistoryAction::Cancellazione || action == HistoryAction::Testata ||
           action == HistoryAction::StatoIniziale;
}

bool Empty(const std::vector<std::optional<QString>>& values, int key)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        if (int(i) != key && values[i])
            return false;
    return true;
}

}  // namespace

std::optional<QString> HistoryValue(const ColumnDescription& column, const Value& value)
{
    const Value text = HistoryText(value);
    if (text.isNull())
        return std::nullopt;
    QString shown = text.toString();
    if (column.kind == ColumnKind::FixedText) {
        qsizetype end = shown.size();
        while (end > 0 && shown.at(end - 1) == QLatin1Char(' '))
            --end;
        shown.truncate(end);
    }
    return shown;
}

HistoryReplay::HistoryReplay()
{
    for (const TableDescription* table : SharedTables()) {
        const int t = int(tables_.size());
        tables_.push_back({table, {}, {}});
        for (std::size_t c = 0; c < table->columns.size(); ++c)
            columnOf_.insert(HistoryName(*table, table->columns[c]).toUtf8(), {t, int(c)});
    }
}

HistoryReplay::Values& HistoryReplay::rowOf(Table& table, const QString& code)
{
    auto found = table.rows.find(code);
    if (found == table.rows.end()) {
        Values values(table.description->columns.size());
        values[std::size_t(table.description->keyColumn)] = code;
        found = table.rows.insert(code, std::move(values));
    }
    return *found;
}

void HistoryReplay::add(const HistoryRowText& row)
{
    // The actions are ASCII: a text that is not reads as some other text.
    const QLatin1String action(row.text[H::Azione]);
    const bool starting = !row.null[H::Azione] && action == HistoryAction::StatoIniziale;
    const bool startsAnew = starting && !inStartingState_;
    inStartingState_ = starting;
    if (row.null[H::Azione] || !IsChange(action))
        return;  // an event, or a row no change writes
    const auto found = columnOf_.constFind(row.text[H::Colonna]);
    if (found == columnOf_.cend())
        return;
    Table& table = tables_[std::size_t(found->first)];
    const int column = found->second;
    const QString code = QString::fromUtf8(row.text[H::Codice]);
    const std::optional<QString> after =
        row.null[H::Dopo] ? std::nullopt : std::optional<QString>(QString::fromUtf8(row.text[H::Dopo]));
    if (starting) {
        // A starting state (its rows follow each other, written in one
        // transaction) stands for everything before it.
        if (startsAnew) {
            startingState_ = true;
            for (Table& each : tables_)
                each.rows.clear();
        }
        rowOf(table, code)[std::size_t(column)] = after;
        return;
    }
    if (action == HistoryAction::Cancellazione) {
        table.rows.remove(code);
        return;
    }
    if (column == table.description->keyColumn) {
        // The key changed: the row goes under its new code.
        if (row.null[H::Prima] || !after)
            return;
        Values moved = table.rows.take(QString::fromUtf8(row.text[H::Prima]));
        if (moved.empty())
            moved.resize(table.description->columns.size());
        moved[std::size_t(column)] = after;
        table.rows.insert(*after, std::move(moved));
        return;
    }
    rowOf(table, code)[std::size_t(column)] = after;
}

void HistoryReplay::readStored(Database& database)
{
    for (Table& table : tables_) {
        const TableDescription& description = *table.description;
        table.stored.clear();
        const std::unique_ptr<Snapshot> rows = database.openSnapshot(description.name);
        std::vector<int> index;
        for (const ColumnDescription& column : description.columns)
            index.push_back(rows->fieldIndex(column.name));
        for (; !rows->atEnd(); rows->moveNext()) {
            Values stored(description.columns.size());
            for (std::size_t c = 0; c < stored.size(); ++c)
                stored[c] = HistoryValue(description.columns[c], rows->field(index[c]));
            table.stored.push_back(std::move(stored));
        }
        rows->close();
    }
}

std::vector<DataDifference> HistoryReplay::differences(std::size_t limit, qlonglong* total) const
{
    std::vector<DataDifference> found;
    *total = 0;
    const auto note = [&](DataDifference difference) {
        ++*total;
        if (found.size() < limit)
            found.push_back(std::move(difference));
    };
    for (const Table& table : tables_) {
        const TableDescription& description = *table.description;
        const int key = description.keyColumn;
        QSet<QString> seen;
        for (const Values& stored : table.stored) {
            const QString code = stored[std::size_t(key)].value_or(QString());
            const auto replayed = table.rows.constFind(code);
            const bool inHistory = replayed != table.rows.cend() && !Empty(*replayed, key);
            // A row holding nothing but its key says no more than its absence.
            if (!inHistory && Empty(stored, key))
                continue;
            seen.insert(code);
            for (std::size_t c = 0; c < stored.size(); ++c) {
                if (int(c) == key)
                    continue;
                std::optional<QString> given;
                if (inHistory) {
                    given = (*replayed)[c];
                    if (given && description.columns[c].kind == ColumnKind::FixedText)
                        given = HistoryValue(description.columns[c], *given);
                }
                if (given != stored[c])
                    note({description.name, code, description.columns[c].name, stored[c], given, true, inHistory});
            }
        }
        for (auto it = table.rows.cbegin(); it != table.rows.cend(); ++it) {
            if (seen.contains(it.key()) || Empty(*it, key))
                continue;
            for (std::size_t c = 0; c < it->size(); ++c)
                if (int(c) != key && (*it)[c])
                    note({description.name, it.key(), description.columns[c].name, std::nullopt, (*it)[c], false,
                          true});
        }
    }
    return found;
}

StartingState RecordStartingState(Database& database, const QString& company)
{
    StartingState state;
    HistoryReplay replay;
    const ChainCheck chain = VerifyHistoryChain(
        database, [&](const HistoryRowText& row) { replay.add(row); }, [&] { replay.readStored(database); });
    qlonglong differences = 0;
    replay.differences(0, &differences);
    state.needed = differences > 0;
    if (!state.needed || !chain.whole || replay.hasStartingState())
        return state;

    const bool server = ServerWritesHistory(database);
    std::unique_ptr<TableCursor> history;
    if (!server)
        history = ChainedHistoryCursor(database, database.openTable(HistoryTable));
    database.beginTrans();
    try {
        for (const TableDescription* table : SharedTables()) {
            const std::unique_ptr<Snapshot> rows = database.openSnapshot(table->name);
            for (; !rows->atEnd(); rows->moveNext()) {
                const QString code = rows->field(table->key().name).toString();
                ChangeRecord record(history.get(), code, HistoryAction::StatoIniziale);
                QStringList names, before, after;
                for (const ColumnDescription& column : table->columns) {
                    const std::optional<QString> value = HistoryValue(column, rows->field(column.name));
                    if (!value)
                        continue;
                    const QString name = HistoryName(*table, column);
                    if (server) {
                        names << name;
                        before << QString();
                        after << *value;
                    } else {
                        record.addEvent(name, Value(), *value);
                    }
                    ++state.rows;
                }
                if (server && !names.isEmpty())
                    database.callFunction(HistoryTable + QStringLiteral("_aggiungi"),
                                          {company, code, HistoryAction::StatoIniziale, names, before, after});
                ++(table->name == RegisterTable ? state.registers
                   : table->name == HeaderTable ? state.headers
                                                : state.docTypes);
            }
        }
        database.commitTrans();
    } catch (...) {
        database.rollback();
        throw;
    }
    state.recorded = true;
    return state;
}

}  // namespace store
