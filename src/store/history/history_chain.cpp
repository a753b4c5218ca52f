// Fingerprints of the history rows: the canonical line, the chained cursor of
// the file, and the walk that verifies the chain.
#include "store/history/history_chain.h"

#include "store/schema/table_description.h"

#include <QCryptographicHash>

#include <algorithm>
#include <string>

namespace store {

namespace {

namespace H = HistoryColumns;

const QString& HistoryColumn(int column)
{
    return HistoryTableDescription().columnName(column);
}

constexpr int DigestBytes = 32;

// Appends a UTF-8 text with a backslash, tab, newline and carriage return
// written \\, \t, \n and \r: the runs between them in one piece each.
void AppendEscaped(std::string& line, QByteArrayView text)
{
    const char* run = text.data();
    const char* const end = run + text.size();
    for (const char* at = run; at != end; ++at) {
        const char* escape;
        switch (*at) {
        case '\\': escape = "\\\\"; break;
        case '\t': escape = "\\t"; break;
        case '\n': escape = "\\n"; break;
        case '\r': escape = "\\r"; break;
        default: continue;
        }
        line.append(run, std::size_t(at - run));
        line.append(escape, 2);
        run = at + 1;
    }
    line.append(run, std::size_t(end - run));
}

// One field of the canonical line, from the text's UTF-8.
void AppendField(std::string& line, QByteArrayView text, bool null)
{
    if (null)
        line.append("\\N", 2);
    else
        AppendEscaped(line, text);
}

void QtDigest(const char* data, std::size_t size, unsigned char* digest)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(data, qsizetype(size)));
    const QByteArrayView result = hash.resultView();
    std::copy(result.begin(), result.end(), digest);
}

void ToHex(const unsigned char* digest, char* hex)
{
    static constexpr char Digits[] = "0123456789abcdef";
    for (int i = 0; i < DigestBytes; ++i) {
        hex[2 * i] = Digits[digest[i] >> 4];
        hex[2 * i + 1] = Digits[digest[i] & 0xf];
    }
}

// One field of the canonical line, from a text.
void AppendField(std::string& line, QStringView text, bool null)
{
    AppendField(line, QByteArrayView(text.toUtf8()), null);
}

void AppendField(std::string& line, const Value& value)
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
    std::string line;
    AppendField(line, previous);
    for (int column = 0; column < H::Impronta; ++column) {
        line += '\t';
        AppendField(line, std::size_t(column) < row.size() ? row[std::size_t(column)] : Value());
    }
    line += '\n';
    return QByteArray::fromStdString(line);
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
                              const std::function<void()>& opened, LineDigest digest)
{
    ChainCheck check;
    const std::unique_ptr<Snapshot> rows = database.openKeyOrderWalk(HistoryTable);
    int index[H::Count];
    for (int column = 0; column < H::Count; ++column)
        index[column] = rows->fieldIndex(HistoryColumn(column));
    if (opened)
        opened();
    if (!digest)
        digest = QtDigest;
    HistoryRowText row;
    std::string line;  // its room kept from row to row
    line.reserve(1024);
    char previous[2 * DigestBytes];  // the previous row's fingerprint, as hexadecimal text
    qsizetype previousSize = 0;      // none before the first row
    unsigned char sum[DigestBytes];
    qlonglong previousId = 0;
    const auto fail = [&](qlonglong at, const QString& problem) {
        check.whole = false;
        check.firstBadRow = at;
        check.problem = problem;
        return check;
    };
    for (; !rows->atEnd(); rows->moveNext()) {
        for (int column = 0; column < H::Count; ++column)
            row.null[column] = !rows->utf8Text(index[column], row.text[column]);
        bool number = false;
        row.id = row.null[H::Id] ? 0 : row.text[H::Id].toLongLong(&number);
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
        line.assign(previous, std::size_t(previousSize));  // hexadecimal: nothing to escape
        for (int column = 0; column < H::Impronta; ++column) {
            line += '\t';
            AppendField(line, row.text[column], row.null[column]);
        }
        line += '\n';
        digest(line.data(), line.size(), sum);
        ToHex(sum, previous);
        previousSize = qsizetype(sizeof previous);
        if (QByteArrayView(row.text[H::Impronta]) != QByteArrayView(previous, previousSize))
            return fail(row.id,
                        QStringLiteral("la riga %1 non corrisponde alla catena (cambiata, spostata o aggiunta)")
                            .arg(row.id));
        previousId = row.id;
        ++check.rows;
        if (visit)
            visit(row);
    }
    rows->close();
    check.lastRow = previousId;
    check.lastFingerprint = QString::fromLatin1(previous, previousSize);
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
