// A walk over a whole table of the server in key order: a cursor declared in
// a read-only, repeatable-read transaction and fetched a chunk at a time, so
// the program holds one chunk however large the table; the next chunk is
// asked for while the caller reads one. The transaction's one view serves
// every other read made before the walk moves on.
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
            asked_ ? receive() : fetch();
        else if (!asked_ && !last_)
            ask();
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
        take(connection_->exec(QString::fromLatin1(fetchText())));
    }
    void take(Result result)
    {
        last_ = PQntuples(result.get()) < ChunkRows;
        chunk_ = makeSnapshot(std::move(result));
    }
    static QByteArray fetchText() { return "FETCH FORWARD " + QByteArray::number(ChunkRows) + " FROM quenvol_righe"; }
    // Asks for the next chunk once the caller moves through this one, so
    // that the server reads and sends it while this one is being read (the
    // caller reads nothing else through the connection meanwhile). Not
    // sent, the chunk is fetched when needed and any fault told then.
    void ask()
    {
        asked_ = PQsendQueryParams(connection_->handle(), fetchText().constData(), 0, nullptr, nullptr, nullptr,
                                   nullptr, 0) == 1;
    }
    void receive()
    {
        asked_ = false;
        PGconn* conn = connection_->handle();
        Result result(PQgetResult(conn), &PQclear);
        drain();
        if (!result || PQresultStatus(result.get()) != PGRES_TUPLES_OK)
            throw errorFor(conn, result.get());
        take(std::move(result));
    }
    // Reads what is left of a chunk asked for, so the connection is free.
    void drain() noexcept
    {
        while (PGresult* more = PQgetResult(connection_->handle()))
            PQclear(more);
    }
    // Ends the transaction; a connection lost meanwhile has ended it already.
    void end() noexcept
    {
        if (asked_) {
            asked_ = false;
            drain();
        }
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
    bool asked_ = false;  // the next chunk is on its way
};

}  // namespace

std::unique_ptr<Snapshot> makeKeyOrderWalk(std::shared_ptr<Connection> connection, const TableShape& shape)
{
    return std::make_unique<PgKeyOrderWalk>(std::move(connection), shape);
}

}  // namespace store::pg
