// The database engine interface: the only way the program reads or writes the
// company database. Table-type cursors with a keyed seek on the index
// "primaria", read-only snapshots for the lists, transactions, and errors that
// carry a number and a description, as the suite's desktop engine had them.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace store {

// Error numbers of the original engine that callers and users rely on.
// They are part of what the user sees in messages: do not renumber them.
namespace EngineErrorNumber {
constexpr int NoCurrentRecord = 3021;     // read, edit or delete with no row under the cursor
constexpr int CannotOpenDatabase = 3024;  // the database file is missing or not a database
constexpr int TableNotFound = 3078;       // no table of that name
constexpr int ItemNotFound = 3265;        // no field of that name in the row
constexpr int TableLocked = 3261;         // another program holds the table locked
constexpr int NotAnIndex = 3800;          // index name that the table does not have
constexpr int UpdateWithoutEdit = 3020;   // update or assignment with no add-new or edit under way
constexpr int WriteFailed = 3146;         // the engine refused a write (constraint, read-only file, ...)
constexpr int TypeMismatch = 13;          // a value that cannot be converted to the field's type
constexpr int Overflow = 6;               // a number too large for the field's type
constexpr int ServerUnreachable = 3151;   // the connection to the database server failed or was lost
}  // namespace EngineErrorNumber

// Every failing engine operation throws this: a number and a description.
class EngineError : public std::runtime_error {
public:
    EngineError(int number, const QString& description);
    int number() const { return number_; }
    const QString& description() const { return description_; }

private:
    int number_;
    QString description_;
};

// A value read from a field: a null QVariant stands for Null.
using Value = QVariant;

// ---------------------------------------------------------------------------
// Table-type cursor: opened on one table by name, keyed seek on "primaria".
// ---------------------------------------------------------------------------
class TableCursor {
public:
    virtual ~TableCursor() = default;

    // Index: "primaria" is the table's key; any other name is error 3800.
    virtual void setIndex(const QString& name) = 0;
    // Seek with the comparison "=" and one key value; NoMatch() tells the outcome.
    // On a match the cursor stands on that row.
    virtual void seek(const QString& comparison, const Value& key) = 0;
    virtual bool noMatch() const = 0;

    // Field access on the current row, or on the row being added or edited.
    virtual Value field(const QString& name) const = 0;
    virtual void setField(const QString& name, const Value& value) = 0;

    // Row operations: addNew/edit start a change that update() writes.
    virtual void addNew() = 0;
    virtual void edit() = 0;
    virtual void update() = 0;
    virtual void deleteRow() = 0;

    virtual void close() = 0;
    virtual QString tableName() const = 0;

    // A change written in one statement of its own, committed at once, where
    // the engine pays a round trip for each statement (a server): the columns
    // `names` set to `values` on the row whose columns `expectedNames` hold
    // exactly `expected` as stored (Null matching Null), outside any
    // transaction. The comparison and the write are one step on the server,
    // so nothing can come between them.
    enum class WriteIfUnchanged {
        Written,     // the cursor stands on the row as stored now
        NotMatched,  // no row holds those values any more: nothing written
        Uncertain,   // the connection was lost (and made again) before the
                     // answer came: the change may or may not have been written
        NotOffered,  // the engine writes no such statement: nothing done
    };
    virtual WriteIfUnchanged updateIfUnchanged(const QStringList& names, const std::vector<Value>& values,
                                               const QStringList& expectedNames,
                                               const std::vector<Value>& expected)
    {
        Q_UNUSED(names);
        Q_UNUSED(values);
        Q_UNUSED(expectedNames);
        Q_UNUSED(expected);
        return WriteIfUnchanged::NotOffered;
    }
};

// ---------------------------------------------------------------------------
// Snapshot: a read-only walk over "SELECT * FROM <table>" with an optional
// prefix filter on one column.
// ---------------------------------------------------------------------------
class Snapshot {
public:
    virtual ~Snapshot() = default;
    virtual bool atEnd() const = 0;
    virtual void moveNext() = 0;
    // Field of the current row by name (case-insensitive); Null when Null.
    virtual Value field(const QString& name) const = 0;
    // Resolving a name once and reading by position is the fast path for lists.
    virtual int fieldIndex(const QString& name) const = 0;
    virtual Value field(int index) const = 0;
    // The fastest read, for lists: appends the field's text to `out` and
    // returns how many characters it added, or -1 for Null (nothing added).
    virtual qsizetype appendText(int index, QString& out) const = 0;
    // The field's text as the engine holds it, in UTF-8, put in `out` (its
    // room kept from row to row): false for Null. For walks that hash or
    // compare the stored bytes, many rows at a time: no QString in between.
    virtual bool utf8Text(int index, QByteArray& out) const;
    virtual void close() = 0;
};

// ---------------------------------------------------------------------------
// Database: one open file, shared with the other programs of the suite.
// ---------------------------------------------------------------------------
class Database {
public:
    virtual ~Database() = default;

    // Transactions on the workspace: all or nothing. A transaction holds the
    // other writers off from its begin, so the rows it reads stay as read until
    // it commits or rolls back (the writes compare them with what the operator
    // was shown).
    virtual void beginTrans() = 0;
    virtual void commitTrans() = 0;
    virtual void rollback() = 0;

    // A table-type cursor on the named table (error 3078 when missing,
    // 3261 when another program holds it locked).
    virtual std::unique_ptr<TableCursor> openTable(const QString& table) = 0;

    // "SELECT * FROM <table>", or with "WHERE <column> LIKE '<pattern>'" when
    // a column is given. In the pattern "*" matches any run of characters and
    // every other character matches itself (so a "*" cannot be sought as
    // itself: callers that need it filter the rows further); the text is
    // bound, never spliced. Filtered rows come in the order of the filtered column.
    virtual std::unique_ptr<Snapshot> openSnapshot(const QString& table,
                                                   const QString& likeColumn = {},
                                                   const QString& likePattern = {}) = 0;

    // Asked when the connection to a database server is lost, with the
    // server's text: true to connect again, false to give up. After a new
    // connection an operation outside a transaction runs again; one inside a
    // transaction fails with error 3151, since the transaction went with the
    // connection. A file never loses its connection.
    using ConnectionLostHandler = std::function<bool(const QString& serverText)>;
    virtual void setConnectionLostHandler(ConnectionLostHandler) {}

    // The row of `table` with the highest key, as a snapshot of that row alone
    // (at its end when the table is empty); for a table numbered by the engine.
    virtual std::unique_ptr<Snapshot> openLastRow(const QString& table);
    // Every row of `table` in the order of its key, read a few thousand at a
    // time, so that memory stays the same however many rows there are: on a
    // server a cursor in a read-only transaction of its own (one view of the
    // data for the reads made before the walk moves on), on a file one stepped
    // statement. One walk at a time; not inside a transaction; no other read.
    virtual std::unique_ptr<Snapshot> openKeyOrderWalk(const QString& table);
    // The rows of `table` whose `column` equals `value` (ASCII letters
    // compared without regard to case, as the prefix filter compares them),
    // highest key first, only those with a key below `belowKey` when it is
    // not Null, at most `limit` of them: one statement (one round trip on a
    // server) that an index on the column serves, for a list read a page at
    // a time.
    virtual std::unique_ptr<Snapshot> openNewestRows(const QString& table, const QString& column,
                                                     const QString& value, const Value& belowKey, int limit);
    // How many rows `table` holds, counted by the engine.
    virtual qlonglong countRows(const QString& table);

    // A function of the company on the server, called with its arguments
    // bound as text (a QStringList as a text array, a null item Null): the first value of its result. A file has no functions
    // (error 3078), nor does a company made before the function.
    virtual Value callFunction(const QString& function, const std::vector<Value>& arguments);

    // Reads ahead, in one round trip, the rows that keyed seeks of several
    // cursors will ask for, where the engine pays a round trip for each read
    // (a server): each cursor's next seek of its key outside a transaction
    // takes the row read ahead. A file reads nothing ahead.
    // Appends rows to `table` inside the transaction under way: `next` fills
    // the values of `columns` for the next row and returns false when there
    // is none. Returns the number appended. For many rows at once (a copy of
    // a company): a file prepares its statement once, a server receives the
    // rows as one stream (COPY). A failure throws the engine's error and the
    // caller rolls the transaction back.
    using RowSource = std::function<bool(std::vector<Value>& values)>;
    virtual qlonglong appendRows(const QString& table, const QStringList& columns, const RowSource& next);

    // Runs, inside the transaction under way, one statement of the company's
    // own definition that the store's schema code built (a schema, a table,
    // a trigger): a company on a server is then made whole with its rows in
    // one transaction, or not at all. A file takes no such statement (error
    // 3078).
    virtual void execute(const QString& statement);

    struct SeekAhead {
        TableCursor* cursor;
        Value key;
    };
    virtual void readAhead(const std::vector<SeekAhead>& seeks) { Q_UNUSED(seeks); }
};

// Open a database file by path, shared, read and write. Never creates a file:
// a missing file or one that is not a database is error 3024.
// busyTimeoutMs: how long a read or write waits for another program's lock.
std::unique_ptr<Database> openDatabase(const QString& path, int busyTimeoutMs = 3000);

// Open the company `company` on a PostgreSQL server: the schema of that name
// in the database that `conninfo` (a libpq connection string or URI) names.
// A server that cannot be reached is error 3151 with the server's text; a
// missing schema is error 3024. No message ever shows the password.
// lockTimeoutMs: how long a statement waits for a row another session holds.
std::unique_ptr<Database> openServerDatabase(const QString& conninfo, const QString& company,
                                             int lockTimeoutMs = 3000);

// Connects as openServerDatabase does to make the company `company`, whose
// schema must not exist yet (error 3146, "esiste già", when it does): the
// caller creates it with execute() inside its transaction.
std::unique_ptr<Database> openServerDatabaseToCreate(const QString& conninfo, const QString& company);

}  // namespace store
