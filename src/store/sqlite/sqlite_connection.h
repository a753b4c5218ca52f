// The SQLite side of the engine: one connection to the company file, its
// statements, and the mapping of SQLite's failures onto the engine's error
// numbers. Only the engine's own sources include this header.
#pragma once

#include "store/engine/engine.h"
#include "store/engine/sql_text.h"
#include "store/engine/table_shape.h"

#include <sqlite3.h>

#include <QStringList>

namespace store::sqlite {

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int position, const Value& value);
    // One step: true while a row is there, false when done; throws on failure.
    bool step();
    void reset();
    Value column(int index) const;
    int columnCount() const;
    QString columnName(int index) const;
    sqlite3_stmt* handle() const { return stmt_; }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// The columns of one table, in their stored order, with the key column.
using TableShape = store::TableShape;

// Throws the engine error for the last failure on `db`.
[[noreturn]] void fail(sqlite3* db, int code, int engineNumber);
[[noreturn]] void fail(int code, const QString& text, int engineNumber);
// The table's shape, or error 3078 when there is no such table; error 3261
// when another program holds the file locked.
TableShape readShape(sqlite3* db, const QString& table);

std::unique_ptr<TableCursor> makeTableCursor(sqlite3* db, TableShape shape);
std::unique_ptr<Snapshot> makeSnapshot(sqlite3* db, const QString& sql, const QString& pattern);
// The statement with its parameters bound in order (?1, ?2 ...).
std::unique_ptr<Snapshot> makeSnapshot(sqlite3* db, const QString& sql, const std::vector<Value>& parameters);

}  // namespace store::sqlite
