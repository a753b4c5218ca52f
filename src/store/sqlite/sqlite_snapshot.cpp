// The snapshot over SQLite: one SELECT stepped row by row. SQLite reads it in a
// single read transaction, so the rows are the ones present when it opened.
#include "store/sqlite/sqlite_connection.h"
#include "store/engine/utf8_append.h"

namespace store::sqlite {

namespace {

class SqliteSnapshot : public Snapshot {
public:
    SqliteSnapshot(sqlite3* db, const QString& sql, const std::vector<Value>& parameters)
        : stmt_(std::make_unique<Statement>(db, sql))
    {
        for (std::size_t i = 0; i < parameters.size(); ++i)
            stmt_->bind(int(i) + 1, parameters[i]);
        atEnd_ = !stmt_->step();
    }

    bool atEnd() const override { return atEnd_; }

    void moveNext() override
    {
        if (atEnd_ || !stmt_)
            throw EngineError(EngineErrorNumber::NoCurrentRecord, QStringLiteral("Nessun record corrente."));
        atEnd_ = !stmt_->step();
    }

    int fieldIndex(const QString& name) const override
    {
        // The names are read from SQLite once: fields are asked for by name
        // on every row, and a table's shape is checked column by column.
        if (names_.isEmpty() && stmt_)
            for (int i = 0; i < stmt_->columnCount(); ++i)
                names_ << stmt_->columnName(i);
        // Names are asked for as the table spells them: that exact match is
        // looked for first, being the cheaper compare.
        for (int i = 0; i < names_.size(); ++i)
            if (names_[i] == name)
                return i;
        for (int i = 0; i < names_.size(); ++i)
            if (names_[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        throw EngineError(EngineErrorNumber::ItemNotFound,
                          QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(name));
    }

    Value field(int index) const override
    {
        if (atEnd_ || !stmt_)
            throw EngineError(EngineErrorNumber::NoCurrentRecord, QStringLiteral("Nessun record corrente."));
        return stmt_->column(index);
    }

    qsizetype appendText(int index, QString& out) const override
    {
        if (atEnd_ || !stmt_)
            throw EngineError(EngineErrorNumber::NoCurrentRecord, QStringLiteral("Nessun record corrente."));
        sqlite3_stmt* stmt = stmt_->handle();
        const int type = sqlite3_column_type(stmt, index);
        if (type == SQLITE_NULL)
            return -1;
        if (type != SQLITE_TEXT) {
            const QString text = stmt_->column(index).toString();
            out += text;
            return text.size();
        }
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
        const int bytes = sqlite3_column_bytes(stmt, index);
        return AppendUtf8(out, text, bytes);
    }

    bool utf8Text(int index, QByteArray& out) const override
    {
        if (atEnd_ || !stmt_)
            throw EngineError(EngineErrorNumber::NoCurrentRecord, QStringLiteral("Nessun record corrente."));
        sqlite3_stmt* stmt = stmt_->handle();
        out.resize(0);
        switch (sqlite3_column_type(stmt, index)) {
        case SQLITE_NULL:
            return false;
        case SQLITE_TEXT:
        case SQLITE_INTEGER: {
            // A whole number reads as its decimal digits, as the value would.
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
            out.append(text, sqlite3_column_bytes(stmt, index));
            return true;
        }
        default:
            out.append(stmt_->column(index).toString().toUtf8());
            return true;
        }
    }

    Value field(const QString& name) const override { return field(fieldIndex(name)); }

    void close() override
    {
        stmt_.reset();
        atEnd_ = true;
    }

private:
    std::unique_ptr<Statement> stmt_;
    bool atEnd_ = true;
    mutable QStringList names_;
};

}  // namespace

std::unique_ptr<Snapshot> makeSnapshot(sqlite3* db, const QString& sql, const QString& pattern)
{
    return std::make_unique<SqliteSnapshot>(db, sql, pattern.isNull() ? std::vector<Value>{} : std::vector<Value>{pattern});
}

std::unique_ptr<Snapshot> makeSnapshot(sqlite3* db, const QString& sql, const std::vector<Value>& parameters)
{
    return std::make_unique<SqliteSnapshot>(db, sql, parameters);
}

}  // namespace store::sqlite
