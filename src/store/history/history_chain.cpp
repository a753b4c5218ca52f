// Fingerprints of the history rows: the canonical line, the chained cursor of
// the file, and the walk that verifies the chain.
#include "store/history/history_chain.h"

#include "store/schema/table_description.h"

#include <QCryptographicHash>

#include <algorithm>

namespace store {

namespace {

namespace H = HistoryColumns;

const QString& HistoryColumn(int column)
{
    return HistoryTableDescription().columnName(column);
}

void AppendField(QByteArray& line, const Value& value)
{
    if (value.isNull() || !value.isValid()) {
        line += "\\N";
        return;
    }
    const QByteArray text = value.toString().toUtf8();
    for (const char c : text) {
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += c;
        }
    }
}

// Adds the number and the fingerprint to each row it adds; everything else
// goes to the engine's cursor as it is.
class ChainedCursor : public TableCursor {
public:
    ChainedCursor(Database& database, std::unique_ptr<TableCursor> inner)
        : database_(database), inner_(std::move(inner))
    {
    }

    void setIndex(const QString& name) override { inner_->setIndex(name); }
    void seek(const QString& comparison, const Value& key) override { inner_->seek(comparison, key); }
    bool noMatch() const override { return inner_->noMatch(); }
    Value field(const QString& name) const override { return inner_->field(name); }
    void setField(const QString& name, const Value& value) override { inner_->setField(name, value); }
    void addNew() override
    {
        inner_->addNew();
        adding_ = true;
    }
    void edit() override
    {
        inner_->edit();
        adding_ = false;
    }
    void update() override
    {
        if (adding_) {
            adding_ = false;
            chain();
        }
        inner_->update();
    }
    void deleteRow() override { inner_->deleteRow(); }
    void close() override { inner_->close(); }
    QString tableName() const override { return inner_->tableName(); }

private:
    // The last row is read inside the write's transaction, which holds the
    // other writers off, so the number and the previous fingerprint stay so
    // until the commit.
    void chain()
    {
        const std::unique_ptr<Snapshot> last = database_.openLastRow(HistoryTable);
        qlonglong number = 1;
        QString previous;
        if (!last->atEnd()) {
            number = last->field(HistoryColumn(H::Id)).toLongLong() + 1;
            previous = last->field(HistoryColumn(H::Impronta)).toString();
        }
        inner_->setField(HistoryColumn(H::Id), number);
        Row row;
        for (int column = 0; column < H::Impronta; ++column)
            row.push_back(inner_->field(HistoryColumn(column)));
        inner_->setField(HistoryColumn(H::Impronta), HistoryFingerprint(previous, row));
    }

    Database& database_;
    std::unique_ptr<TableCursor> inner_;
    bool adding_ = false;
};

}  // namespace

QByteArray HistoryCanonicalLine(const QString& previous, const Row& row)
{
    QByteArray line;
    AppendField(line, previous);
    for (int column = 0; column < H::Impronta; ++column) {
        line += '\t';
        AppendField(line, std::size_t(column) < row.size() ? row[std::size_t(column)] : Value());
    }
    line += '\n';
    return line;
}

QString HistoryFingerprint(const QString& previous, const Row& row)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(HistoryCanonicalLine(previous, row), QCryptographicHash::Sha256).toHex());
}

std::unique_ptr<TableCursor> ChainedHistoryCursor(Database& database, std::unique_ptr<TableCursor> history)
{
    try {
        database.openLastRow(HistoryTable)->fieldIndex(HistoryColumn(H::Impronta));
    } catch (const EngineError& error) {
        if (error.number() == EngineErrorNumber::ItemNotFound)
            return history;  // made before the fingerprints: upgrade adds them
        // Not readable now: the write reads the last row again and fails then.
    }
    return std::make_unique<ChainedCursor>(database, std::move(history));
}

bool ServerWritesHistory(Database& database)
{
    try {
        return database.callFunction(HistoryTable + QStringLiteral("_dal_server"), {}).toBool();
    } catch (const EngineError&) {
        return false;  // a file, or a server company made before
    }
}

ChainCheck VerifyHistoryChain(Database& database)
{
    struct Stored {
        qlonglong id;
        Row row;
        Value fingerprint;
    };
    std::vector<Stored> rows;
    {
        const std::unique_ptr<Snapshot> snapshot = database.openSnapshot(HistoryTable);
        int index[H::Count];
        for (int column = 0; column < H::Count; ++column)
            index[column] = snapshot->fieldIndex(HistoryColumn(column));
        for (; !snapshot->atEnd(); snapshot->moveNext()) {
            Stored stored;
            for (int column = 0; column < H::Impronta; ++column)
                stored.row.push_back(snapshot->field(index[column]));
            stored.id = stored.row[H::Id].toLongLong();
            stored.fingerprint = snapshot->field(index[H::Impronta]);
            rows.push_back(std::move(stored));
        }
    }
    std::sort(rows.begin(), rows.end(), [](const Stored& a, const Stored& b) { return a.id < b.id; });
    ChainCheck check;
    QString previous;
    qlonglong previousId = 0;
    for (const Stored& stored : rows) {
        const QString expected = HistoryFingerprint(previous, stored.row);
        if (stored.fingerprint.isNull()) {
            check.whole = false;
            check.firstBadRow = stored.id;
            check.problem = QStringLiteral("la riga %1 non ha l'impronta (la calcola: quenvol-admin upgrade)")
                                .arg(stored.id);
            return check;
        }
        if (stored.fingerprint.toString() != expected) {
            check.whole = false;
            if (stored.id != previousId + 1) {
                check.firstBadRow = previousId + 1;
                check.problem = stored.id == previousId + 2
                    ? QStringLiteral("manca la riga %1 (tolta)").arg(previousId + 1)
                    : QStringLiteral("mancano le righe da %1 a %2 (tolte)").arg(previousId + 1).arg(stored.id - 1);
            } else {
                check.firstBadRow = stored.id;
                check.problem =
                    QStringLiteral("la riga %1 non corrisponde alla catena (cambiata, spostata o aggiunta)")
                        .arg(stored.id);
            }
            return check;
        }
        previous = expected;
        previousId = stored.id;
        ++check.rows;
    }
    check.lastRow = previousId;
    check.lastFingerprint = previous;
    return check;
}

std::optional<QString> HistoryRowFingerprint(Database& database, qlonglong row)
{
    const std::unique_ptr<TableCursor> history = database.openTable(HistoryTable);
    history->setIndex(PrimaryIndex);
    history->seek(QStringLiteral("="), row);
    if (history->noMatch())
        return std::nullopt;
    return history->field(HistoryColumn(H::Impronta)).toString();
}

}  // namespace store
