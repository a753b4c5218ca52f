// The PostgreSQL side of the engine: one libpq connection to the office's
// server, statements with bound parameters, the shape of a company's tables,
// and the mapping of the server's failures onto the engine's error numbers.
// Only the engine's own sources include this header.
#pragma once

#include "store/engine/engine.h"
#include "store/engine/sql_text.h"
#include "store/engine/table_shape.h"

#include <libpq-fe.h>

#include <QHash>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace store::pg {

// Type identifiers of the server's built-in types the engine converts.
// They are fixed in the server's catalog (pg_type.dat) and never change.
namespace TypeOid {
constexpr Oid Bool = 16;
constexpr Oid Int8 = 20;
constexpr Oid Int2 = 21;
constexpr Oid Int4 = 23;
constexpr Oid Float4 = 700;
constexpr Oid Float8 = 701;
constexpr Oid Date = 1082;
constexpr Oid Numeric = 1700;
}  // namespace TypeOid

// A query result that clears itself.
using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// The columns of one table, in their stored order, with the key column.
// On the server a table also has its schema and the stored type of each column.
struct TableShape : store::TableShape {
    QString schema;          // the company
    std::vector<Oid> types;  // the stored type of each column
    QString qualifiedName() const;  // "schema"."table"
};

// One connection with the company's schema; shared by the database, its
// cursors and its snapshots.
class Connection {
public:
    // `secret`: the password the connection string holds, if any, kept out of
    // every message; `settings`: the statement that sets up each new session.
    Connection(PGconn* conn, QString schema, QString secret, QByteArray settings);
    ~Connection() { PQfinish(conn_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Runs one statement with its parameters bound as text (a null QByteArray
    // is Null), in one round trip. Inside a transaction the statement runs
    // under a savepoint, so a failing statement is undone alone and the
    // transaction goes on, as a failed write does in the file; savepoint,
    // statement and release go to the server together (libpq's pipeline), and
    // the transaction's BEGIN goes with its first statement. Throws the engine
    // error on failure.
    Result exec(const QString& sql, const std::vector<QByteArray>& params = {});

    struct Statement {
        QByteArray sql;
        std::vector<QByteArray> params;
    };
    // Reads outside a transaction: the statements go to the server together
    // and their results come back in one round trip, in order. A connection
    // lost on the way is made again and the reads sent again. Throws the
    // engine error of the first statement that failed.
    std::vector<Result> readTogether(const std::vector<Statement>& batch);
    // One statement outside a transaction, committed on its own, that is not
    // sent again after a lost connection (it may have been done): the
    // connection is made again and a null result returned. Throws the
    // engine error on failure.
    Result runOnce(const QString& sql, const std::vector<QByteArray>& params);
    // A COPY ... FROM STDIN inside the write under way (its BEGIN sent first
    // when it has not been yet): `chunk` gives the next piece of the rows in
    // COPY's text form and returns false after the last. Throws the engine
    // error on failure; the write is then to be rolled back.
    void copyIn(const QString& sql, const std::function<bool(QByteArray&)>& chunk);

    bool inTransaction() const;
    void beginTrans();
    void commitTrans();
    void rollback();

    // The shape of a table of the company's schema, found without regard to
    // case (error 3078 when there is none); read once, then kept.
    const TableShape& shape(const QString& table);

    const QString& schema() const { return schema_; }
    PGconn* handle() const { return conn_; }
    void setLostHandler(Database::ConnectionLostHandler handler) { lostHandler_ = std::move(handler); }

    // The engine error for a failed result, without the password.
    EngineError error(const PGresult* result) const;
    // The session settings on a new connection; throws on failure.
    void applySettings();

private:
    Result run(const QByteArray& sql, const std::vector<QByteArray>& params);
    Result step(const QByteArray& sql, const std::vector<QByteArray>& params);
    // Sends `batch` in one round trip and collects one result per statement
    // (an aborted one as PGRES_PIPELINE_ABORTED). False when the connection
    // was lost on the way, with the server's text in `lostText`.
    bool sendBatch(const std::vector<Statement>& batch, std::vector<Result>& results, QString* lostText,
                   bool usePrepared = false);
    // True when `result` (or the connection) tells that the connection is gone.
    bool lost(const PGresult* result) const;
    // After a lost connection: connects again, asking the handler while that
    // fails. Returns once connected outside a write; throws 3151 when the
    // handler gives up, or when a write's transaction went with the old
    // connection (the write is then broken: its later steps fail too).
    void reconnect(QString text);
    bool resetQuietly(QString* text);
    QString withoutSecret(QString text) const;
    // The name under which `sql` is prepared on this session, preparing it
    // the first time (outside a transaction only, where a statement the
    // server refuses aborts nothing); null when it is to be sent as text.
    const QByteArray* prepared(const QByteArray& sql, int parameters);
    // Whether `result` failed because a prepared statement no longer fits
    // (a table's columns changed since, or the session lost it): every one
    // is then forgotten, and the statement is to be sent again as text.
    bool forgetPreparedOn(const PGresult* result);

    PGconn* conn_;
    QString schema_;
    QString secret_;
    QByteArray settings_;
    bool transaction_ = false;  // a write is under way: beginTrans, not yet ended
    bool begun_ = false;        // its BEGIN has reached the server
    bool broken_ = false;       // that write lost its transaction with the connection
    Database::ConnectionLostHandler lostHandler_;
    QHash<QString, TableShape> shapes_;  // by lower-case name
    // The statements prepared on this session (parsed and planned once
    // rather than at every lookup and write), by their text.
    QHash<QByteArray, QByteArray> prepared_;
    QSet<QByteArray> seenOnce_;
    int preparedCount_ = 0;
};

// The engine's error for a failed result, or for the connection's own state
// when there is no result: the number the file engine gives the same failure
// and the server's text.
EngineError errorFor(PGconn* conn, const PGresult* result);


// A value as the text the server reads for a column of type `type`; a null
// QByteArray for Null. Day numbers become dates for date columns.
QByteArray parameterText(const Value& value, Oid type);
// A value the server sent, as the file engine gives it: integers as qlonglong,
// floating point as double, dates as day numbers, everything else as text.
Value valueOf(const PGresult* result, int row, int column);

std::unique_ptr<TableCursor> makeTableCursor(std::shared_ptr<Connection> connection, TableShape shape);
// Reads ahead, together, the seeks of this engine's cursors (Database::readAhead).
void readAhead(Connection& connection, const std::vector<Database::SeekAhead>& seeks);
std::unique_ptr<Snapshot> makeSnapshot(Result result);
// The rows of a table in key order through a cursor, fetched in chunks.
std::unique_ptr<Snapshot> makeKeyOrderWalk(std::shared_ptr<Connection> connection, const TableShape& shape);

}  // namespace store::pg
