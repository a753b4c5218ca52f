// The table-type cursor over SQLite: a keyed seek on the table's key (the index
// "primaria"), a current row, and add-new/edit buffers written at update.
#include "store/sqlite_connection.h"

#include <optional>
#include <vector>

namespace store::sqlite {

namespace {

using namespace EngineErrorNumber;

class SqliteTableCursor : public TableCursor {
public:
    SqliteTableCursor(sqlite3* db, TableShape shape) : db_(db), shape_(std::move(shape)) {}

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
        if (!seekStatement_)
            seekStatement_.emplace(db_, QStringLiteral("SELECT rowid, * FROM %1 WHERE %2 = ?1 LIMIT 1")
                                            .arg(quoted(shape_.name),
                                                 quoted(shape_.columns[shape_.keyColumn])));
        Statement& stmt = *seekStatement_;
        stmt.reset();
        stmt.bind(1, key);
        bool found = false;
        try {
            found = stmt.step();
            if (found) {
                rowid_ = stmt.column(0).toLongLong();
                row_.assign(shape_.columns.size(), Value());
                for (int i = 0; i < shape_.columns.size(); ++i)
                    row_[i] = stmt.column(i + 1);
            }
        } catch (...) {
            stmt.reset();
            throw;
        }
        stmt.reset();
        noMatch_ = !found;
        hasCurrent_ = found;
    }

    bool noMatch() const override { return noMatch_; }

    Value field(const QString& name) const override
    {
        checkOpen();
        const int index = columnOf(name);
        if (mode_ != Mode::None)
            return buffer_[index];
        if (!hasCurrent_)
            throw EngineError(NoCurrentRecord, QStringLiteral("Nessun record corrente."));
        return row_[index];
    }

    void setField(const QString& name, const Value& value) override
    {
        checkOpen();
        const int index = columnOf(name);
        if (mode_ == Mode::None)
            throw EngineError(UpdateWithoutEdit,
                              QStringLiteral("Aggiornamento senza AddNew o Edit."));
        buffer_[index] = value;
        assigned_[index] = true;
    }

    void addNew() override
    {
        checkOpen();
        mode_ = Mode::AddNew;
        buffer_.assign(shape_.columns.size(), Value());
        assigned_.assign(shape_.columns.size(), false);
    }

    void edit() override
    {
        checkOpen();
        if (!hasCurrent_)
            throw EngineError(NoCurrentRecord, QStringLiteral("Nessun record corrente."));
        mode_ = Mode::Edit;
        buffer_ = row_;
        assigned_.assign(shape_.columns.size(), false);
    }

    void update() override
    {
        checkOpen();
        if (mode_ == Mode::None)
            throw EngineError(UpdateWithoutEdit,
                              QStringLiteral("Aggiornamento senza AddNew o Edit."));
        const Mode mode = mode_;
        mode_ = Mode::None;  // a failed update leaves no change under way
        QStringList names;
        std::vector<Value> values;
        for (int i = 0; i < shape_.columns.size(); ++i) {
            if (!assigned_[i])
                continue;
            names << quoted(shape_.columns[i]);
            values.push_back(buffer_[i]);
        }
        if (mode == Mode::AddNew) {
            QStringList marks;
            for (int i = 1; i <= int(values.size()); ++i)
                marks << QStringLiteral("?%1").arg(i);
            const QString sql = names.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(shape_.name))
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoted(shape_.name), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
            execute(sql, values);
            return;  // the current row stays the one before the add-new
        }
        if (!names.isEmpty()) {
            QStringList sets;
            for (int i = 0; i < names.size(); ++i)
                sets << QStringLiteral("%1 = ?%2").arg(names[i]).arg(i + 1);
            values.push_back(Value(qlonglong(rowid_)));
            execute(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                        .arg(quoted(shape_.name), sets.join(QLatin1Char(',')))
                        .arg(values.size()),
                    values);
        }
        row_ = buffer_;
    }

    void deleteRow() override
    {
        checkOpen();
        if (!hasCurrent_)
            throw EngineError(NoCurrentRecord, QStringLiteral("Nessun record corrente."));
        mode_ = Mode::None;
        execute(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoted(shape_.name)),
                {Value(qlonglong(rowid_))});
        hasCurrent_ = false;
    }

    void close() override
    {
        seekStatement_.reset();
        closed_ = true;
    }

    QString tableName() const override { return shape_.name; }

private:
    enum class Mode { None, AddNew, Edit };

    void checkOpen() const
    {
        if (closed_)
            throw EngineError(NoCurrentRecord, QStringLiteral("Il cursore è chiuso."));
    }

    int columnOf(const QString& name) const
    {
        const int index = shape_.columnIndex(name);
        if (index < 0)
            throw EngineError(ItemNotFound,
                              QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(name));
        return index;
    }

    void execute(const QString& sql, const std::vector<Value>& values)
    {
        Statement stmt(db_, sql);
        for (size_t i = 0; i < values.size(); ++i)
            stmt.bind(int(i) + 1, values[i]);
        stmt.step();
    }

    sqlite3* db_;
    TableShape shape_;
    std::optional<Statement> seekStatement_;
    bool indexSet_ = false;
    bool noMatch_ = true;
    bool hasCurrent_ = false;
    bool closed_ = false;
    qlonglong rowid_ = 0;
    std::vector<Value> row_;
    Mode mode_ = Mode::None;
    std::vector<Value> buffer_;
    std::vector<bool> assigned_;
};

}  // namespace

std::unique_ptr<TableCursor> makeTableCursor(sqlite3* db, TableShape shape)
{
    return std::make_unique<SqliteTableCursor>(db, std::move(shape));
}

}  // namespace store::sqlite
