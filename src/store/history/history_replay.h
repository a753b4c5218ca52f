// Replaying the change history from an empty company: the register sets,
// header rows and document types it gives, compared with those stored now;
// and the dated starting state recorded where a company's rows came in
// before its history (so that the replay has a beginning).
#pragma once

#include "store/engine/engine.h"
#include "store/history/history_chain.h"

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace store {

// A value the stored data and the history do not agree on. A row present on
// one side only differs in each of its columns that is not Null.
struct DataDifference {
    QString table;
    QString code;
    QString column;
    std::optional<QString> stored;    // nothing: Null, or no such row stored
    std::optional<QString> replayed;  // nothing: Null, or no such row in the history
    bool rowStored = true;
    bool rowReplayed = true;
};

class HistoryReplay {
public:
    HistoryReplay();
    // One row of the history, in number order; events are passed over.
    void add(const HistoryRowText& row);
    // Reads the rows `database` stores now (in the walk's view, from
    // VerifyHistoryChain's `opened`). Throws the engine's error when a table
    // cannot be read.
    void readStored(Database& database);
    // The stored rows against what the history gave, table by table and code
    // by code: the first `limit` differences, and how many in all in *total.
    std::vector<DataDifference> differences(std::size_t limit, qlonglong* total) const;
    bool hasStartingState() const { return startingState_; }

private:
    using Values = std::vector<std::optional<QString>>;
    struct Table {
        const TableDescription* description;
        QHash<QString, Values> rows;         // by code, as the history gives them
        std::vector<Values> stored;          // as stored now
    };
    Values& rowOf(Table& table, const QString& code);

    std::vector<Table> tables_;
    QHash<QByteArray, std::pair<int, int>> columnOf_;  // history column (UTF-8) -> table, column
    bool startingState_ = false;  // one was met
    bool inStartingState_ = false;  // the last row read belongs to one
};

// A stored value as the history keeps it (HistoryText), a fixed-length
// text without its padding.
std::optional<QString> HistoryValue(const ColumnDescription& column, const Value& value);

// What recording a starting state found and did.
struct StartingState {
    bool needed = false;      // the history did not give the stored rows
    bool recorded = false;    // and a starting state was written
    qlonglong rows = 0;       // history rows written
    qlonglong registers = 0;  // rows of each table it holds
    qlonglong headers = 0;
    qlonglong docTypes = 0;
};
// When the history (whole, and holding no starting state yet) does not give
// the rows stored now, writes them all as the starting state, in one
// transaction: who and when as for any change. A history already holding a
// starting state, or broken, is left alone (needed tells the caller). Throws
// the engine's error when it cannot be read or written.
// `company`: the schema, on a server.
StartingState RecordStartingState(Database& database, const QString& company = {});

}  // namespace store
