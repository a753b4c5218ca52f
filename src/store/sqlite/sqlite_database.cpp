// The database over SQLite: opens the company file shared with the other
// programs of the suite, runs transactions, opens cursors and snapshots.
#include "store/engine/like_pattern.h"
#include "store/sqlite/sqlite_connection.h"

#include "store/engine/lock_wait.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace store {

namespace {

using namespace sqlite;

// SQLite's own busy timeout, with a notice when the wait begins (the window
// shows the busy pointer): sleeps of growing length until the timeout,
// passed as the handler's argument, is spent.
int waitForLock(void* timeoutMs, int count)
{
    static constexpr int Delays[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    static constexpr int Totals[] = {0, 1, 3, 8, 18, 33, 53, 78, 103, 128, 178, 228};
    constexpr int Steps = int(std::size(Delays));
    const int timeout = int(reinterpret_cast<std::intptr_t>(timeoutMs));
    if (count == 0)
        NoticeLockWait();
    int delay = count < Steps ? Delays[count] : Delays[Steps - 1];
    const int prior = count < Steps ? Totals[count] : Totals[Steps - 1] + (count - (Steps - 1)) * delay;
    if (prior + delay > timeout) {
        delay = timeout - prior;
        if (delay <= 0)
            return 0;
    }
    sqlite3_sleep(delay);
    return 1;
}

class SqliteDatabase : public Database {
public:
    explicit SqliteDatabase(sqlite3* db) : db_(db) {}
    ~SqliteDatabase() override { sqlite3_close_v2(db_); }

    // A write transaction takes the file's write lock at its begin (waiting up
    // to the busy time-out for another program's): what it reads before it
    // writes cannot change under it, so its comparison with the version shown
    // to the operator holds until it commits.
    void beginTrans() override { exec("BEGIN IMMEDIATE"); }
    void commitTrans() override { exec("COMMIT"); }
    void rollback() override
    {
        if (!sqlite3_get_autocommit(db_))
            exec("ROLLBACK");
    }

    std::unique_ptr<TableCursor> openTable(const QString& table) override
    {
        return makeTableCursor(db_, readShape(db_, table));
    }

    std::unique_ptr<Snapshot> openSnapshot(const QString& table, const QString& likeColumn,
                                           const QString& pattern) override
    {
        const TableShape shape = readShape(db_, table);
        QString sql = QStringLiteral("SELECT * FROM %1").arg(quoted(shape.name));
        if (likeColumn.isEmpty())
            return makeSnapshot(db_, sql, QString());
        const int column = shape.columnIndex(likeColumn);
        if (column < 0)
            throw EngineError(EngineErrorNumber::ItemNotFound,
                              QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(likeColumn));
        bool escaped = false;
        // ESCAPE keeps SQLite from using the index: added only when needed.
        const QString like = LikePattern(pattern, &escaped);
        sql += QStringLiteral(" WHERE %1 LIKE ?1").arg(quoted(shape.columns[column]));
        if (escaped)
            sql += QStringLiteral(" ESCAPE '\\'");
        sql += QStringLiteral(" ORDER BY %1").arg(quoted(shape.columns[column]));
        return makeSnapshot(db_, sql, like);
    }

    qlonglong appendRows(const QString& table, const QStringList& columns, const RowSource& next) override
    {
        const TableShape shape = readShape(db_, table);
        QStringList names;
        for (const QString& column : columns) {
            const int index = shape.columnIndex(column);
            if (index < 0)
                throw EngineError(EngineErrorNumber::ItemNotFound,
                                  QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(column));
            names << shape.columns[index];
        }
        Statement insert(db_, InsertStatement(quoted(shape.name), names, QLatin1Char('?')));
        std::vector<Value> values(std::size_t(columns.size()));
        qlonglong rows = 0;
        while (next(values)) {
            for (std::size_t i = 0; i < values.size(); ++i)
                insert.bind(int(i) + 1, values[i]);
            insert.step();
            insert.reset();
            ++rows;
        }
        return rows;
    }

    std::unique_ptr<Snapshot> openLastRow(const QString& table) override
    {
        const TableShape shape = readShape(db_, table);
        return makeSnapshot(db_,
                            QStringLiteral("SELECT * FROM %1 ORDER BY %2 DESC LIMIT 1")
                                .arg(quoted(shape.name), quoted(shape.columns[shape.keyColumn])),
                            QString());
    }

    std::unique_ptr<Snapshot> openNewestRows(const QString& table, const QString& column, const QString& value,
                                             const Value& belowKey, int limit) override
    {
        const TableShape shape = readShape(db_, table);
        const int index = shape.columnIndex(column);
        if (index < 0)
            throw EngineError(EngineErrorNumber::ItemNotFound,
                              QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(column));
        // NOCASE folds ASCII letters only, as LIKE does; the index on the
        // column holds the row id, so the rows come from it already in order.
        const QString key = quoted(shape.columns[shape.keyColumn]);
        QString sql = QStringLiteral("SELECT * FROM %1 WHERE %2 = ?1 COLLATE NOCASE")
                          .arg(quoted(shape.name), quoted(shape.columns[index]));
        std::vector<Value> parameters{value};
        if (!belowKey.isNull()) {
            sql += QStringLiteral(" AND %1 < ?2").arg(key);
            parameters.push_back(belowKey);
        }
        parameters.push_back(qlonglong(std::max(0, limit)));
        sql += QStringLiteral(" ORDER BY %1 DESC LIMIT ?%2").arg(key).arg(parameters.size());
        return makeSnapshot(db_, sql, parameters);
    }

    qlonglong countRows(const QString& table) override
    {
        const TableShape shape = readShape(db_, table);
        Statement count(db_, QStringLiteral("SELECT count(*) FROM %1").arg(quoted(shape.name)));
        count.step();
        return count.column(0).toLongLong();
    }

    std::unique_ptr<Snapshot> openKeyOrderWalk(const QString& table) override
    {
        // A snapshot is already one statement stepped row by row.
        const TableShape shape = readShape(db_, table);
        return makeSnapshot(db_,
                            QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                                .arg(quoted(shape.name), quoted(shape.columns[shape.keyColumn])),
                            QString());
    }

private:
    void exec(const char* sql)
    {
        char* message = nullptr;
        const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            const QString text = QString::fromUtf8(message ? message : sqlite3_errstr(rc));
            sqlite3_free(message);
            fail(rc, text, EngineErrorNumber::WriteFailed);
        }
    }

    sqlite3* db_;
};

}  // namespace

std::unique_ptr<Database> openDatabase(const QString& path, int busyTimeoutMs)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw EngineError(EngineErrorNumber::CannotOpenDatabase,
                          QStringLiteral("Impossibile trovare il file '%1'.").arg(path));
    sqlite3* db = nullptr;
    // The program has one thread: the connection needs no mutex of its own,
    // which spares a lock and an unlock on every column read of a list fill.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw EngineError(EngineErrorNumber::CannotOpenDatabase, text);
    }
    sqlite3_busy_handler(db, waitForLock, reinterpret_cast<void*>(std::intptr_t(busyTimeoutMs)));
    // Every commit is on the disk before it is reported: the journal and the
    // file are synced at each commit, so a power loss keeps every committed
    // write and the hot journal rolls back the one under way.
    sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    sqlite3_extended_result_codes(db, 0);
    // Reading the schema tells a database from any other file. A lock held by
    // another program is not a failure here: the table opens report it.
    const int check = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (check != SQLITE_OK && check != SQLITE_BUSY && check != SQLITE_LOCKED) {
        const QString text = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close_v2(db);
        throw EngineError(EngineErrorNumber::CannotOpenDatabase, text);
    }
    return std::make_unique<SqliteDatabase>(db);
}

}  // namespace store
