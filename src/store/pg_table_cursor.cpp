// The table-type cursor over PostgreSQL: a keyed seek on the table's key (the
// index "primaria", ignoring the case of ASCII letters as the file does), a
// current row, and add-new/edit buffers written at update. Inside a
// transaction the seek locks the row it finds, so that what the transaction
// compares and writes cannot change under it; another session waits for it.
#include "store/pg_connection.h"

namespace store::pg {

namespace {

using namespace EngineErrorNumber;

class PgTableCursor : public TableCursor {
public:
    PgTableCursor(std::shared_ptr<Connection> connection, TableShape shape)
        : connection_(std::move(connection)), shape_(std::move(shape))
    {
    }

    void setIndex(const QString& name) override
    {
        checkOpen();
        if (name.compare(QLatin1String("primaria"), Qt::CaseInsensitive) != 0 || shape_.keyColumn < 0)
            throw EngineError(NotAnIndex,
                              QStringLiteral("'%1' non è un indice di questa tabella.").arg(name));
        indexSet_ = true;
    }

    void seek(const QString& comparison, const Value& key) override
    {
        checkOpen();
        if (!indexSet_)
            throw EngineError(NotAnIndex, QStringLiteral("Nessun indice impostato."));
        if (comparison != QLatin1String("="))
            throw EngineError(TypeMismatch,
                              QStringLiteral("Confronto '%1' non previsto.").arg(comparison));
        mode_ = Mode::None;
        QString sql = QStringLiteral("SELECT * FROM %1 WHERE lower((%2)::text COLLATE \"C\") = "
                                     "lower($1::text COLLATE \"C\") LIMIT 1")
                          .arg(shape_.qualifiedName(), quoted(shape_.columns[shape_.keyColumn]));
        if (connection_->inTransaction())
            sql += QStringLiteral(" FOR UPDATE");
        Result result = connection_->exec(sql, {parameterText(key, 0)});
        const bool found = PQntuples(result.get()) > 0;
        if (found) {
            row_.assign(size_t(shape_.columns.size()), Value());
            for (int i = 0; i < shape_.columns.size(); ++i)
                row_[size_t(i)] = valueOf(result.get(), 0, i);
            storedKey_ = row_[size_t(shape_.keyColumn)];
        }
        noMatch_ = !found;
        hasCurrent_ = found;
    }

    bool noMatch() const override { return noMatch_; }

    Value field(const QString& name) const override
    {
        checkOpen();
        const size_t index = columnOf(name);
        if (mode_ != Mode::None)
            return buffer_[index];
        if (!hasCurrent_)
            throw EngineError(NoCurrentRecord, QStringLiteral("Nessun record corrente."));
        return row_[index];
    }

    void setField(const QString& name, const Value& value) override
    {
        checkOpen();
        const size_t index = columnOf(name);
        if (mode_ == Mode::None)
            throw EngineError(UpdateWithoutEdit, QStringLiteral("Aggiornamento senza AddNew o Edit."));
        buffer_[index] = value;
        assigned_[index] = true;
    }

    void addNew() override
    {
        checkOpen();
        mode_ = Mode::AddNew;
        buffer_.assign(size_t(shape_.columns.size()), Value());
        assigned_.assign(size_t(shape_.columns.size()), false);
    }

    void edit() override
    {
        checkOpen();
        if (!hasCurrent_)
            throw EngineError(NoCurrentRecord, QStringLiteral("Nessun record corrente."));
        mode_ = Mode::Edit;
        buffer_ = row_;
        assigned_.assign(size_t(shape_.columns.size()), false);
    }

    void update() override
    {
        checkOpen();
        if (mode_ == Mode::None)
            throw EngineError(UpdateWithoutEdit, QStringLiteral("Aggiornamento senza AddNew o Edit."));
        const Mode mode = mode_;
        mode_ = Mode::None;  // a failed update leaves no change under way
        QStringList names;
        std::vector<QByteArray> values;
        for (size_t i = 0; i < size_t(shape_.columns.size()); ++i) {
            if (!assigned_[i])
                continue;
            names << quoted(shape_.columns[int(i)]);
            values.push_back(parameterText(buffer_[i], shape_.types[i]));
        }
        if (mode == Mode::AddNew) {
            QStringList marks;
            for (size_t i = 1; i <= values.size(); ++i)
                marks << QStringLiteral("$%1").arg(i);
            const QString sql = names.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(shape_.qualifiedName())
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(shape_.qualifiedName(), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
            connection_->exec(sql, values);
            return;  // the current row stays the one before the add-new
        }
        if (!names.isEmpty()) {
            QStringList sets;
            for (int i = 0; i < names.size(); ++i)
                sets << QStringLiteral("%1 = $%2").arg(names[i]).arg(i + 1);
            values.push_back(parameterText(storedKey_, 0));
            connection_->exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = $%4")
                                  .arg(shape_.qualifiedName(), sets.join(QLatin1Char(',')),
                                       quoted(shape_.columns[shape_.keyColumn]))
                                  .arg(values.size()),
                              values);
        }
        row_ = buffer_;
        storedKey_ = row_[size_t(shape_.keyColumn)];
    }

    void deleteRow() override
    {
        checkOpen();
        if (!hasCurrent_)
            throw EngineError(NoCurrentRecord, QStringLiteral("Nessun record corrente."));
        mode_ = Mode::None;
        connection_->exec(QStringLiteral("DELETE FROM %1 WHERE %2 = $1")
                              .arg(shape_.qualifiedName(), quoted(shape_.columns[shape_.keyColumn])),
                          {parameterText(storedKey_, 0)});
        hasCurrent_ = false;
    }

    void close() override { closed_ = true; }

    QString tableName() const override { return shape_.name; }

private:
    enum class Mode { None, AddNew, Edit };

    void checkOpen() const
    {
        if (closed_)
            throw EngineError(NoCurrentRecord, QStringLiteral("Il cursore è chiuso."));
    }

    size_t columnOf(const QString& name) const
    {
        const int index = shape_.columnIndex(name);
        if (index < 0)
            throw EngineError(ItemNotFound,
                              QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(name));
        return size_t(index);
    }

    std::shared_ptr<Connection> connection_;
    TableShape shape_;
    bool indexSet_ = false;
    bool noMatch_ = true;
    bool hasCurrent_ = false;
    bool closed_ = false;
    std::vector<Value> row_;
    Value storedKey_;  // the key of the current row as stored: the row's identity
    Mode mode_ = Mode::None;
    std::vector<Value> buffer_;
    std::vector<bool> assigned_;
};

}  // namespace

std::unique_ptr<TableCursor> makeTableCursor(std::shared_ptr<Connection> connection, TableShape shape)
{
    return std::make_unique<PgTableCursor>(std::move(connection), std::move(shape));
}

}  // namespace store::pg
