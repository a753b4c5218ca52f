// The table-type cursor over SQLite: a keyed seek on the table's key (the index
// "primaria"), and the current row written and deleted by its rowid.
#include "store/engine/buffered_cursor.h"
#include "store/sqlite/sqlite_connection.h"

#include <optional>
#include <vector>

namespace store::sqlite {

namespace {

class SqliteTableCursor : public BufferedCursor {
public:
    SqliteTableCursor(sqlite3* db, const TableShape& shape) : BufferedCursor(shape), db_(db) {}

protected:
    std::optional<std::vector<Value>> findRow(const Value& key) override
    {
        if (!seekStatement_)
            seekStatement_.emplace(db_, QStringLiteral("SELECT rowid, * FROM %1 WHERE %2 = ?1 LIMIT 1")
                                            .arg(quoted(shape().name),
                                                 quoted(shape().columns[shape().keyColumn])));
        Statement& stmt = *seekStatement_;
        stmt.reset();
        stmt.bind(1, key);
        std::optional<std::vector<Value>> row;
        try {
            if (stmt.step()) {
                rowid_ = stmt.column(0).toLongLong();
                row.emplace(size_t(shape().columns.size()));
                for (int i = 0; i < shape().columns.size(); ++i)
                    (*row)[size_t(i)] = stmt.column(i + 1);
            }
        } catch (...) {
            stmt.reset();
            throw;
        }
        stmt.reset();
        return row;
    }

    void insertRow(const QStringList& names, const std::vector<Value>& values) override
    {
        execute(InsertStatement(quoted(shape().name), names, QLatin1Char('?')), values);
    }

    void updateCurrent(const QStringList& names, const std::vector<Value>& values,
                       const std::vector<Value>&) override
    {
        QStringList sets;
        for (int i = 0; i < names.size(); ++i)
            sets << QStringLiteral("%1 = ?%2").arg(quoted(names[i])).arg(i + 1);
        std::vector<Value> bound = values;
        bound.push_back(Value(qlonglong(rowid_)));
        execute(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                    .arg(quoted(shape().name), sets.join(QLatin1Char(',')))
                    .arg(bound.size()),
                bound);
    }

    void deleteCurrent() override
    {
        execute(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoted(shape().name)),
                {Value(qlonglong(rowid_))});
    }

    void closing() override { seekStatement_.reset(); }

private:
    void execute(const QString& sql, const std::vector<Value>& values)
    {
        Statement stmt(db_, sql);
        for (size_t i = 0; i < values.size(); ++i)
            stmt.bind(int(i) + 1, values[i]);
        stmt.step();
    }

    sqlite3* db_;
    std::optional<Statement> seekStatement_;
    qlonglong rowid_ = 0;
};

}  // namespace

std::unique_ptr<TableCursor> makeTableCursor(sqlite3* db, TableShape shape)
{
    return std::make_unique<SqliteTableCursor>(db, shape);
}

}  // namespace store::sqlite
