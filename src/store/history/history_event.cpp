// Recording an event in the change history, and reading the history's anchor.
#include "store/history/history_event.h"

#include "store/history/history_chain.h"
#include "store/history/history_writer.h"
#include "store/schema/table_description.h"

#include <algorithm>

namespace store {

const QStringList& HistoryEventActions()
{
    static const QStringList actions{QStringLiteral("stampa pagine"), QStringLiteral("ristampa pagine"),
                                     QStringLiteral("firma")};
    return actions;
}

void RecordHistoryEvent(Database& database, const HistoryEvent& event)
{
    if (!HistoryEventActions().contains(event.action))
        throw EngineError(EngineErrorNumber::WriteFailed,
                          QStringLiteral("azione non ammessa per un evento: '%1'").arg(event.action));
    if (ServerWritesHistory(database)) {
        // The workstations may only read the history there: the server's own
        // function writes the event, with who, when and the chain.
        database.callFunction(HistoryTable + QStringLiteral("_evento"),
                              {event.code, event.action, event.column, HistoryText(event.before),
                               HistoryText(event.after)});
        return;
    }
    const std::unique_ptr<TableCursor> history =
        ChainedHistoryCursor(database, database.openTable(HistoryTable));
    database.beginTrans();
    try {
        ChangeRecord(history.get(), event.code, event.action).addEvent(event.column, event.before, event.after);
        database.commitTrans();
    } catch (...) {
        database.rollback();
        throw;
    }
}

std::optional<HistoryAnchor> LastHistoryAnchor(Database& database)
{
    namespace H = HistoryColumns;
    const TableDescription& table = HistoryTableDescription();
    // The last row alone and the count: two short statements, where reading
    // every row would cost seconds on a history of a million rows.
    const std::unique_ptr<Snapshot> last = database.openLastRow(HistoryTable);
    if (last->atEnd())
        return std::nullopt;
    HistoryAnchor anchor;
    anchor.lastRow = last->field(last->fieldIndex(table.columnName(H::Id))).toLongLong();
    try {
        anchor.fingerprint = last->field(last->fieldIndex(table.columnName(H::Impronta))).toString();
    } catch (const EngineError& error) {
        if (error.number() != EngineErrorNumber::ItemNotFound)
            throw;  // made before the fingerprints: none to give
    }
    last->close();
    anchor.rows = database.countRows(HistoryTable);
    return anchor;
}

}  // namespace store
