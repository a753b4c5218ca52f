// Recording a confirmed change of a register set in StoricoSerieSemplificata:
// one history row per column whose value changed, the rows of one change
// sharing its number, written through the same database (and so the same
// transaction) as the change itself. Rows are only ever added.
#pragma once

#include "store/engine/engine.h"
#include "store/engine/workstation.h"
#include "store/schema/table_description.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace store {

// A row's values in the table's stored order; empty when there is no row.
using Row = std::vector<Value>;

// Every column of the cursor's current row, or of the row being added or
// edited (what update() will write).
Row ReadRow(const TableCursor& cursor, const TableDescription& table);

// The actions a change is recorded under.
namespace HistoryAction {
inline const QString Inserimento = QStringLiteral("inserimento");
inline const QString Variazione = QStringLiteral("variazione");
inline const QString Cancellazione = QStringLiteral("cancellazione");
inline const QString Testata = QStringLiteral("testata");
}  // namespace HistoryAction

// A value as the history keeps it: Null stays Null; a text as it stands; a
// number with "." in the shortest decimal that reads back to the same double
// (a whole number below 10^15 without decimals, an exponent only below 10^-4
// or from 10^15 on), whatever the locale; so one value stored by either engine
// gives one text, the same the server's triggers record.
Value HistoryText(const Value& value);

// One confirmed change of one register set. With no history cursor (a
// company without the history table) it records nothing.
class ChangeRecord {
public:
    ChangeRecord(TableCursor* history, QString code, QString action,
                 const Workstation& by = ThisWorkstation());

    // Adds a history row for each column of `table` but its key whose value
    // differs between `before` and `after` (an empty row: no row, every value
    // Null). Throws the engine's error when a row cannot be written.
    void add(const TableDescription& table, const Row& before, const Row& after);
    // Adds one history row that records an event rather than a column's
    // change: `column` and the two values are kept as given.
    void addEvent(const QString& column, const Value& before, const Value& after);

    int rowsWritten() const { return rows_; }
    bool kept() const { return history_ != nullptr; }

private:
    void addRow(const QString& column, const Value& before, const Value& after);

    TableCursor* history_;
    QString code_;
    QString action_;
    const Workstation& by_;
    QString change_;  // shared by the rows of this change
    QString when_;    // UTC, "yyyy-MM-ddTHH:mm:ss.zzzZ"
    int rows_ = 0;
};

}  // namespace store
