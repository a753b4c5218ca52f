// Recording an event in the change history, and reading the history's anchor.
#include "store/history_event.h"

#include "store/history_writer.h"
#include "store/table_description.h"

#include <algorithm>

namespace store {

void RecordHistoryEvent(Database& database, const HistoryEvent& event)
{
    const std::unique_ptr<TableCursor> history = database.openTable(HistoryTable);
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
    const std::unique_ptr<Snapshot> rows = database.openSnapshot(HistoryTable);
    const int id = rows->fieldIndex(table.columnName(H::Id));
    HistoryAnchor anchor;
    for (; !rows->atEnd(); rows->moveNext()) {
        ++anchor.rows;
        anchor.lastRow = std::max(anchor.lastRow, rows->field(id).toLongLong());
    }
    if (anchor.rows == 0)
        return std::nullopt;
    return anchor;
}

}  // namespace store
