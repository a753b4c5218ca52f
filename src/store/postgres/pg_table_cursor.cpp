// The table-type cursor over PostgreSQL: a keyed seek on the table's key (the
// index "primaria", ignoring the case of ASCII letters as the file does), a
// current row, and add-new/edit buffers written at update. Inside a
// transaction the seek locks the row it finds, so that what the transaction
// compares and writes cannot change under it; another session waits for it.
// Outside a transaction, seeks of several cursors can be read ahead together,
// and a change can be compared and written in one statement.
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

    // The seek of `key` as a statement, for reading ahead.
    Connection::Statement seekStatement(const Value& key) const
    {
        return {seekSql(false).toUtf8(), {parameterText(key, 0)}};
    }

    // The row read ahead for the next seek of `key`, from `result`.
    void readAhead(const Value& key, const PGresult* result) { ahead_ = Ahead{key, rowOf(result)}; }

    WriteIfUnchanged updateIfUnchanged(const QStringList& names, const std::vector<Value>& values,
                                       const QStringList& expectedNames, const std::vector<Value>& expected) override
    {
        ahead_.reset();
        if (connection_->inTransaction() || names.isEmpty())
            return WriteIfUnchanged::NotOffered;
        QStringList sets, conditions;
        std::vector<QByteArray> bound;
        for (int i = 0; i < names.size(); ++i) {
            const int column = columnOf(names[i]);
            bound.push_back(parameterText(values[size_t(i)], shape_.types[size_t(column)]));
            sets << QStringLiteral("%1 = $%2").arg(quoted(shape_.columns[column])).arg(bound.size());
        }
        bool keyed = false;
        for (int i = 0; i < expectedNames.size(); ++i) {
            const int column = columnOf(expectedNames[i]);
            bound.push_back(parameterText(expected[size_t(i)], shape_.types[size_t(column)]));
            // The key by equality, so the key's index finds the row.
            const bool key = column == shape_.keyColumn && !bound.back().isNull();
            keyed = keyed || key;
            conditions << QString::fromLatin1(key ? "%1 = $%2" : "%1 IS NOT DISTINCT FROM $%2")
                              .arg(quoted(shape_.columns[column]))
                              .arg(bound.size());
        }
        if (!keyed)
            return WriteIfUnchanged::NotOffered;
        const Result result = connection_->runOnce(
            QStringLiteral("UPDATE %1 SET %2 WHERE %3 RETURNING *")
                .arg(shape_.qualifiedName(), sets.join(QLatin1Char(',')), conditions.join(QStringLiteral(" AND "))),
            bound);
        if (!result)
            return WriteIfUnchanged::Uncertain;
        std::optional<std::vector<Value>> row = rowOf(result.get());
        if (!row)
            return WriteIfUnchanged::NotMatched;
        storedKey_ = (*row)[size_t(shape_.keyColumn)];
        standOn(std::move(*row));
        return WriteIfUnchanged::Written;
    }

protected:
    std::optional<std::vector<Value>> findRow(const Value& key) override
    {
        std::optional<Ahead> ahead = std::move(ahead_);
        ahead_.reset();
        std::optional<std::vector<Value>> row;
        if (ahead && !connection_->inTransaction() && ahead->key == key && ahead->key.typeId() == key.typeId()) {
            row = std::move(ahead->row);
        } else {
            Result result = connection_->exec(seekSql(connection_->inTransaction()), {parameterText(key, 0)});
            row = rowOf(result.get());
        }
        if (row)
            storedKey_ = (*row)[size_t(shape_.keyColumn)];
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
    struct Ahead {
        Value key;
        std::optional<std::vector<Value>> row;
    };

    QString seekSql(bool forUpdate) const
    {
        QString sql = QStringLiteral("SELECT * FROM %1 WHERE lower((%2)::text COLLATE \"C\") = "
                                     "lower($1::text COLLATE \"C\") LIMIT 1")
                          .arg(shape_.qualifiedName(), quoted(shape_.columns[shape_.keyColumn]));
        if (forUpdate)
            sql += QStringLiteral(" FOR UPDATE");
        return sql;
    }

    // The first row of `result`, every column, or none.
    std::optional<std::vector<Value>> rowOf(const PGresult* result) const
    {
        if (PQntuples(result) == 0)
            return std::nullopt;
        std::vector<Value> row(size_t(shape_.columns.size()));
        for (int i = 0; i < shape_.columns.size(); ++i)
            row[size_t(i)] = valueOf(result, 0, i);
        return row;
    }

    int columnOf(const QString& name) const
    {
        const int column = shape_.columnIndex(name);
        if (column < 0)
            throw EngineError(EngineErrorNumber::ItemNotFound,
                              QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(name));
        return column;
    }

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
    std::optional<Ahead> ahead_;
};

}  // namespace

void readAhead(Connection& connection, const std::vector<Database::SeekAhead>& seeks)
{
    std::vector<PgTableCursor*> cursors;
    std::vector<Connection::Statement> batch;
    for (const Database::SeekAhead& seek : seeks) {
        auto* cursor = dynamic_cast<PgTableCursor*>(seek.cursor);
        if (!cursor)
            return;  // not a cursor of this engine: each seek reads for itself
        cursors.push_back(cursor);
        batch.push_back(cursor->seekStatement(seek.key));
    }
    if (batch.empty() || connection.inTransaction())
        return;
    const std::vector<Result> results = connection.readTogether(batch);
    for (size_t i = 0; i < cursors.size(); ++i)
        cursors[i]->readAhead(seeks[i].key, results[i].get());
}

std::unique_ptr<TableCursor> makeTableCursor(std::shared_ptr<Connection> connection, TableShape shape)
{
    return std::make_unique<PgTableCursor>(std::move(connection), std::move(shape));
}

}  // namespace store::pg
