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

void AppendEscaped(QByteArray& line, const QByteArray& text)
{
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

// One field of the canonical line; the text as UTF-8, an ASCII text (the
// usual one) without converting it first.
void AppendField(QByteArray& line, QStringView text, bool null)
{
    if (null) {
        line += "\\N";
        return;
    }
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80) {
            AppendEscaped(line, text.toUtf8());
            return;
        }
    }
    const qsizetype from = line.size();
    line.reserve(from + text.size() + 8);
    for (const QChar c : text) {
        switch (const char a = char(c.unicode())) {
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += a;
        }
    }
}

void AppendField(QByteArray& line, const Value& value)
{
    if (value.isNull() || !value.isValid())
        AppendField(line, QStringView(), true);
    else
        AppendField(line, value.toString(), false);
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

ChainCheck VerifyHistoryChain(Database& database, const HistoryRowVisitor& visit,
                              const std::function<void()>& opened)
{
    ChainCheck check;
    const std::unique_ptr<Snapshot> rows = database.openKeyOrderWalk(HistoryTable);
    int index[H::Count];
    for (int column = 0; column < H::Count; ++column)
        index[column] = rows->fieldIndex(HistoryColumn(column));
    if (opened)
        opened();
    HistoryRowText row;
    QByteArray line;
    QByteArray previous;  // the previous row's fingerprint, as hexadecimal text
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qlonglong previousId = 0;
    const auto fail = [&](qlonglong at, const QString& problem) {
        check.whole = false;
        check.firstBadRow = at;
        check.problem = problem;
        return check;
    };
    for (; !rows->atEnd(); rows->moveNext()) {
        for (int column = 0; column < H::Count; ++column) {
            QString& text = row.text[column];
            text.resize(0);
            row.null[column] = rows->appendText(index[column], text) < 0;
        }
        bool number = false;
        row.id = row.text[H::Id].toLongLong(&number);
        if (!number)
            return fail(previousId + 1, QStringLiteral("la riga dopo la %1 non ha un numero").arg(previousId));
        if (row.id != previousId + 1) {
            // Numbers are given one after the other: a gap is a row taken away,
            // even when the rows after it were rewritten to chain again.
            return fail(previousId + 1, row.id == previousId + 2
                                            ? QStringLiteral("manca la riga %1 (tolta)").arg(previousId + 1)
                                            : QStringLiteral("mancano le righe da %1 a %2 (tolte)")
                                                  .arg(previousId + 1)
                                                  .arg(row.id - 1));
        }
        if (row.null[H::Impronta])
            return fail(row.id, QStringLiteral("la riga %1 non ha l'impronta: aggiunta fuori dal programma")
                                    .arg(row.id));
        line.resize(0);
        line += previous;  // hexadecimal: nothing to escape; empty before the first row
        for (int column = 0; column < H::Impronta; ++column) {
            line += '\t';
            AppendField(line, row.text[column], row.null[column]);
        }
        line += '\n';
        hash.reset();
        hash.addData(line);
        const QByteArray expected = hash.result().toHex();
        if (row.text[H::Impronta] != QLatin1String(expected))
            return fail(row.id,
                        QStringLiteral("la riga %1 non corrisponde alla catena (cambiata, spostata o aggiunta)")
                            .arg(row.id));
        previous = expected;
        previousId = row.id;
        ++check.rows;
        if (visit)
            visit(row);
    }
    rows->close();
    check.lastRow = previousId;
    check.lastFingerprint = QString::fromLatin1(previous);
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
