// A walk over a whole table of the server in key order: a cursor declared in
// a read-only, repeatable-read transaction and fetched a chunk at a time, so
// the program holds one chunk however large the table. The transaction's one
// view serves every other read made until the walk closes.
#include "store/postgres/pg_connection.h"

namespace store::pg {

namespace {

constexpr int ChunkRows = 10000;

class PgKeyOrderWalk : public Snapshot {
public:
    PgKeyOrderWalk(std::shared_ptr<Connection> connection, const TableShape& shape)
        : connection_(std::move(connection))
    {
        if (connection_->inTransaction())
            throw EngineError(EngineErrorNumber::WriteFailed,
                              QStringLiteral("Una lettura in ordine non si apre dentro una transazione."));
        connection_->exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
        open_ = true;
        try {
            connection_->exec(QStringLiteral("DECLARE quenvol_righe NO SCROLL CURSOR FOR SELECT * FROM %1 ORDER BY %2")
                                  .arg(shape.qualifiedName(), quoted(shape.columns[shape.keyColumn])));
            fetch();
        } catch (...) {
            end();
            throw;
        }
    }
    ~PgKeyOrderWalk() override { end(); }

    bool atEnd() const override { return chunk_->atEnd(); }
    void moveNext() override
    {
        chunk_->moveNext();
        if (chunk_->atEnd() && !last_)
            fetch();
    }
    Value field(const QString& name) const override { return chunk_->field(name); }
    int fieldIndex(const QString& name) const override { return chunk_->fieldIndex(name); }
    Value field(int index) const override { return chunk_->field(index); }
    qsizetype appendText(int index, QString& out) const override { return chunk_->appendText(index, out); }
    bool utf8Text(int index, QByteArray& out) const override { return chunk_->utf8Text(index, out); }
    void close() override
    {
        chunk_->close();
        last_ = true;
        end();
    }

private:
    void fetch()
    {
        Result result = connection_->exec(QStringLiteral("FETCH FORWARD %1 FROM quenvol_righe").arg(ChunkRows));
        last_ = PQntuples(result.get()) < ChunkRows;
        chunk_ = makeSnapshot(std::move(result));
    }
    // Ends the transaction; a connection lost meanwhile has ended it already.
    void end() noexcept
    {
        if (!open_)
            return;
        open_ = false;
        try {
            connection_->exec(QStringLiteral("COMMIT"));
        } catch (const EngineError&) {
        }
    }

    std::shared_ptr<Connection> connection_;
    std::unique_ptr<Snapshot> chunk_;
    bool last_ = false;
    bool open_ = false;
};

}  // namespace

std::unique_ptr<Snapshot> makeKeyOrderWalk(std::shared_ptr<Connection> connection, const TableShape& shape)
{
    return std::make_unique<PgKeyOrderWalk>(std::move(connection), shape);
}

}  // namespace store::pg
