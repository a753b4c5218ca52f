// The snapshot over PostgreSQL: the whole result of one SELECT, received at
// once, so the rows are those present when it opened.
#include "store/postgres/pg_connection.h"
#include "store/engine/utf8_append.h"

namespace store::pg {

namespace {

using namespace EngineErrorNumber;

class PgSnapshot : public Snapshot {
public:
    explicit PgSnapshot(Result result) : result_(std::move(result)), rows_(PQntuples(result_.get())) {}

    bool atEnd() const override { return row_ >= rows_; }

    void moveNext() override
    {
        checkRow();
        ++row_;
    }

    int fieldIndex(const QString& name) const override
    {
        if (result_) {
            const QByteArray utf8 = name.toUtf8();
            for (int i = 0; i < PQnfields(result_.get()); ++i)
                if (qstricmp(PQfname(result_.get(), i), utf8.constData()) == 0)
                    return i;
        }
        throw EngineError(ItemNotFound, QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(name));
    }

    Value field(int index) const override
    {
        checkRow();
        return valueOf(result_.get(), row_, index);
    }

    Value field(const QString& name) const override { return field(fieldIndex(name)); }

    qsizetype appendText(int index, QString& out) const override
    {
        checkRow();
        const PGresult* result = result_.get();
        if (PQgetisnull(result, row_, index))
            return -1;
        const Oid type = PQftype(result, index);
        if (type == TypeOid::Int2 || type == TypeOid::Int4 || type == TypeOid::Int8 ||
            type == TypeOid::Float4 || type == TypeOid::Float8 || type == TypeOid::Numeric ||
            type == TypeOid::Date || type == TypeOid::Bool) {
            // Numbers as the file engine writes them out.
            const QString text = valueOf(result, row_, index).toString();
            out += text;
            return text.size();
        }
        const char* text = PQgetvalue(result, row_, index);
        const int bytes = PQgetlength(result, row_, index);
        return AppendUtf8(out, text, bytes);
    }

    bool utf8Text(int index, QByteArray& out) const override
    {
        checkRow();
        const PGresult* result = result_.get();
        out.resize(0);
        if (PQgetisnull(result, row_, index))
            return false;
        const Oid type = PQftype(result, index);
        if (type == TypeOid::Float4 || type == TypeOid::Float8 || type == TypeOid::Numeric ||
            type == TypeOid::Date || type == TypeOid::Bool) {
            out.append(valueOf(result, row_, index).toString().toUtf8());
            return true;
        }
        // Text, and whole numbers, whose digits are the value's own.
        out.append(PQgetvalue(result, row_, index), PQgetlength(result, row_, index));
        return true;
    }

    void close() override
    {
        result_.reset();
        rows_ = 0;
        row_ = 0;
    }

private:
    void checkRow() const
    {
        if (row_ >= rows_)
            throw EngineError(NoCurrentRecord, QStringLiteral("Nessun record corrente."));
    }

    Result result_;
    int rows_ = 0;
    int row_ = 0;
};

}  // namespace

std::unique_ptr<Snapshot> makeSnapshot(Result result)
{
    return std::make_unique<PgSnapshot>(std::move(result));
}

}  // namespace store::pg
