// The table-type cursor over PostgreSQL: a keyed seek on the table's key (the
// index "primaria", ignoring the case of ASCII letters as the file does), a
// current row, and add-new/edit buffers written at update. Inside a
// transaction the seek locks the row it finds, so that what the transaction
// compares and writes cannot change under it; another session waits for it.
#include "store/engine/buffered_cursor.h"
#include "store/postgres/pg_connection.h"

namespace store::pg {

namespace {

class PgTableCursor : public BufferedCursor {
public:
    PgTableCursor(std::shared_ptr<Connection> connection, TableShape shape)
        : BufferedCursor(shape), connection_(std::move(connection)), shape_(std::move(shape))
    {
    }

protected:
    std::optional<std::vector<Value>> findRow(const Value& key) override
    {
        QString sql = QStringLiteral("SELECT * FROM %1 WHERE lower((%2)::text COLLATE \"C\") = "
                                     "lower($1::text COLLATE \"C\") LIMIT 1")
                          .arg(shape_.qualifiedName(), quoted(shape_.columns[shape_.keyColumn]));
        if (connection_->inTransaction())
            sql += QStringLiteral(" FOR UPDATE");
        Result result = connection_->exec(sql, {parameterText(key, 0)});
        if (PQntuples(result.get()) == 0)
            return std::nullopt;
        std::vector<Value> row(size_t(shape_.columns.size()));
        for (int i = 0; i < shape_.columns.size(); ++i)
            row[size_t(i)] = valueOf(result.get(), 0, i);
        storedKey_ = row[size_t(shape_.keyColumn)];
        return row;
    }

    void insertRow(const QStringList& names, const std::vector<Value>& values) override
    {
        connection_->exec(InsertStatement(shape_.qualifiedName(), names, QLatin1Char('$')), texts(names, values));
    }

    void updateCurrent(const QStringList& names, const std::vector<Value>& values,
                       const std::vector<Value>& newRow) override
    {
        QStringList sets;
        for (int i = 0; i < names.size(); ++i)
            sets << QStringLiteral("%1 = $%2").arg(quoted(names[i])).arg(i + 1);
        std::vector<QByteArray> bound = texts(names, values);
        bound.push_back(parameterText(storedKey_, 0));
        connection_->exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = $%4")
                              .arg(shape_.qualifiedName(), sets.join(QLatin1Char(',')),
                                   quoted(shape_.columns[shape_.keyColumn]))
                              .arg(bound.size()),
                          bound);
        storedKey_ = newRow[size_t(shape_.keyColumn)];
    }

    void deleteCurrent() override
    {
        connection_->exec(QStringLiteral("DELETE FROM %1 WHERE %2 = $1")
                              .arg(shape_.qualifiedName(), quoted(shape_.columns[shape_.keyColumn])),
                          {parameterText(storedKey_, 0)});
    }

private:
    // The values as the server's parameters, each in its column's type.
    std::vector<QByteArray> texts(const QStringList& names, const std::vector<Value>& values) const
    {
        std::vector<QByteArray> out;
        for (int i = 0; i < names.size(); ++i)
            out.push_back(parameterText(values[size_t(i)], shape_.types[size_t(shape_.columnIndex(names[i]))]));
        return out;
    }

    std::shared_ptr<Connection> connection_;
    TableShape shape_;
    Value storedKey_;  // the key of the current row as stored: the row's identity
};

}  // namespace

std::unique_ptr<TableCursor> makeTableCursor(std::shared_ptr<Connection> connection, TableShape shape)
{
    return std::make_unique<PgTableCursor>(std::move(connection), std::move(shape));
}

}  // namespace store::pg
