// The seal's text and the verification of a history.
#include "company/history_seal.h"

#include "company/history_digest.h"
#include "company/seal_timestamp.h"
#include "store/history/history_chain.h"
#include "store/history/history_reader.h"
#include "store/history/history_replay.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QStringList>
#include <QTimeZone>

namespace company::seal {

namespace {

const QString Title = QStringLiteral("SIGILLO DELLO STORICO DELLE MODIFICHE - QUENVOL");
const QString CompanyKey = QStringLiteral("societa");
const QString LastRowKey = QStringLiteral("ultima riga");
const QString RowsKey = QStringLiteral("righe");
const QString FingerprintKey = QStringLiteral("impronta");
const QString MadeKey = QStringLiteral("data e ora (UTC)");
const QString TokenKey = QStringLiteral("marca temporale");
const QString NoFingerprint = QStringLiteral("nessuna");  // an empty history
const QString Stamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");
constexpr std::size_t ShownDifferences = 100;

// The lines the time stamp covers.
QString Covered(const Seal& seal)
{
    return QStringLiteral("%1: %2\n%3: %4\n%5: %6\n%7: %8\n")
        .arg(CompanyKey, seal.company, LastRowKey, QString::number(seal.lastRow), RowsKey,
             QString::number(seal.rows), FingerprintKey, seal.fingerprint.isEmpty() ? NoFingerprint : seal.fingerprint);
}

// A value of `column` as the listing shows it: a date column's day number as
// its date, a text quoted with visible escapes, Null.
QString Shown(const QString& column, const std::optional<QString>& value, bool row)
{
    if (!row)
        return QStringLiteral("(nessuna riga)");
    return store::ShownValue(column, value ? store::Value(*value) : store::Value());
}

// The seal against the history walked: the problem found (one line), or
// nothing, with *note telling how the seal is dated.
QString SealProblem(const Seal& seal, const QString& company, const std::optional<QString>& sealedFingerprint,
                    qlonglong sealedRows, const QString& caFile, QString* note)
{
    if (seal.company.compare(company, Qt::CaseInsensitive) != 0)
        return QStringLiteral("il sigillo è della società %1, non di %2").arg(seal.company, company);
    // The token first: a seal edited since it was stamped is told as such.
    if (seal.token.isEmpty()) {
        *note = QStringLiteral("; il sigillo (riga %1) corrisponde allo storico, con la data dichiarata dal "
                               "sigillo: %2 UTC (nessuna marca temporale la conferma)")
                    .arg(seal.lastRow)
                    .arg(seal.made.toUTC().toString(Stamp));
    } else {
        const timestamp::Check stamp = timestamp::Verify(seal.token, Digest(seal), caFile);
        if (!stamp.valid)
            return QStringLiteral("sigillo non confermato: %1").arg(stamp.problem);
        *note = QStringLiteral("; il sigillo (riga %1) è confermato e datato dall'autorità di marca temporale: "
                               "%2 UTC (%3)")
                    .arg(seal.lastRow)
                    .arg(stamp.time.toString(Stamp), stamp.signer);
    }
    if (seal.lastRow > 0) {
        if (!sealedFingerprint)
            return QStringLiteral("storico alterato alla riga %1: lo storico non ha più la riga "
                                  "del sigillo (accorciato dopo il sigillo)")
                .arg(seal.lastRow);
        if (*sealedFingerprint != seal.fingerprint)
            return QStringLiteral("storico alterato alla riga %1: la riga non ha più l'impronta "
                                  "del sigillo (storico riscritto dopo il sigillo)")
                .arg(seal.lastRow);
    }
    if (sealedRows != seal.rows)
        return QStringLiteral("il sigillo conta %1 righe fino alla riga %2, lo storico ne ha %3")
            .arg(seal.rows)
            .arg(seal.lastRow)
            .arg(sealedRows);
    return {};
}

}  // namespace

QString Write(const Seal& seal)
{
    QString text = Title + QLatin1Char('\n') + Covered(seal) +
                   QStringLiteral("%1: %2\n").arg(MadeKey, seal.made.toUTC().toString(Stamp));
    if (!seal.token.isEmpty())
        text += QStringLiteral("%1: %2\n").arg(TokenKey, QString::fromLatin1(seal.token.toBase64()));
    return text;
}

QString SignatureFile(const QString& sealFile)
{
    return sealFile + QStringLiteral(".p7s");
}

QByteArray Digest(const Seal& seal)
{
    return QCryptographicHash::hash(Covered(seal).toUtf8(), QCryptographicHash::Sha256);
}

// Whether the seal's numbers and fingerprint can be those of a history at
// all: an empty one (row 0, no rows, no fingerprint), or a last row from 1,
// as many rows as that at most and at least one, and a fingerprint of 64
// hexadecimal digits. Empty when they can.
QString FormProblem(const Seal& seal)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    if (seal.lastRow == 0 && seal.rows == 0 && seal.fingerprint.isEmpty())
        return {};
    if (seal.lastRow < 1)
        return QStringLiteral("il sigillo non è valido: l'ultima riga (%1) deve essere almeno 1").arg(seal.lastRow);
    if (seal.rows < 1 || seal.rows > seal.lastRow)
        return QStringLiteral("il sigillo non è valido: le righe (%1) devono essere da 1 all'ultima riga (%2)")
            .arg(seal.rows)
            .arg(seal.lastRow);
    if (!hex.match(seal.fingerprint).hasMatch())
        return QStringLiteral("il sigillo non è valido: l'impronta deve avere 64 cifre esadecimali");
    return {};
}

namespace {

// A value of a seal's line as a message shows it: quoted, escaped, cut short.
QString ShownValue(const QString& value)
{
    constexpr qsizetype Shown = 70;
    const QString visible = store::Visible(value.left(Shown));
    return QLatin1Char('\'') + visible + (value.size() > Shown ? QStringLiteral("...'") : QStringLiteral("'"));
}

}  // namespace

bool Read(const QString& text, Seal* seal, QString* reason)
{
    *seal = Seal();
    // A byte order mark an editor put before the title is no line of it.
    QStringList lines = (text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text).split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.trimmed();  // a carriage return too, for a seal kept on Windows
    lines.removeAll(QString());
    if (!lines.contains(Title)) {
        *reason = QStringLiteral("non è un sigillo dello storico");
        return false;
    }
    // Exactly what Write makes: the title first, then each line once.
    const auto refuse = [&](const QString& problem) {
        *reason = QStringLiteral("il sigillo non è valido: %1").arg(problem);
        return false;
    };
    if (lines.first() != Title)
        return refuse(QStringLiteral("la prima riga deve essere \"%1\", non %2").arg(Title, ShownValue(lines.first())));
    // A whole number written in digits, a minus sign allowed so that the
    // form check says what is wrong with it.
    static const QRegularExpression number(QStringLiteral("^-?[0-9]{1,18}$"));
    QStringList seen;
    bool made = false;
    for (const QString& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        const QString key = colon < 0 ? QString() : line.left(colon);
        const QString value = colon < 0 ? QString() : line.mid(colon + 2).trimmed();
        if (line == Title)
            return refuse(QStringLiteral("la riga \"%1\" è ripetuta").arg(Title));
        if (!QStringList{CompanyKey, LastRowKey, RowsKey, FingerprintKey, MadeKey, TokenKey}.contains(key))
            return refuse(QStringLiteral("la riga %1 non è di un sigillo").arg(ShownValue(line)));
        if (seen.contains(key))
            return refuse(QStringLiteral("la riga \"%1\" è ripetuta").arg(key));
        seen << key;
        if (key == CompanyKey) {
            seal->company = value;
        } else if (key == LastRowKey || key == RowsKey) {
            if (!number.match(value).hasMatch())
                return refuse((key == LastRowKey ? QStringLiteral("l'ultima riga deve essere un numero intero, non %1")
                                                 : QStringLiteral("le righe devono essere un numero intero, non %1"))
                                  .arg(ShownValue(value)));
            (key == LastRowKey ? seal->lastRow : seal->rows) = value.toLongLong();
        } else if (key == FingerprintKey) {
            seal->fingerprint = value == NoFingerprint ? QString() : value.toLower();
        } else if (key == MadeKey) {
            seal->made = QDateTime::fromString(value, Stamp);
            seal->made.setTimeZone(QTimeZone::utc());
            made = seal->made.isValid();
            if (!made)
                return refuse(QStringLiteral("la data e ora deve essere nella forma AAAA-MM-GG hh:mm:ss, non %1")
                                  .arg(ShownValue(value)));
        } else if (key == TokenKey) {
            const auto decoded =
                QByteArray::fromBase64Encoding(value.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded || decoded.decoded.isEmpty() || value.toLatin1() != value.toUtf8())
                return refuse(QStringLiteral("la marca temporale non è scritta in base64"));
            seal->token = decoded.decoded;
        }
    }
    if (seal->company.isEmpty() || !seen.contains(LastRowKey) || !seen.contains(RowsKey) ||
        !seen.contains(FingerprintKey)) {
        *reason = QStringLiteral("il sigillo è incompleto (servono società, ultima riga, righe e impronta)");
        return false;
    }
    *reason = FormProblem(*seal);
    if (!reason->isEmpty())
        return false;
    if (!made) {
        *reason = QStringLiteral("il sigillo è incompleto: manca la data e ora (UTC)");
        return false;
    }
    return true;
}

Verdict Verify(store::Database& database, const QString& company, const Seal* seal, const QString& caFile)
{
    Verdict verdict;
    store::HistoryReplay replay;
    qlonglong sealedRows = 0;  // rows up to the seal's row
    std::optional<QString> sealedFingerprint;
    const store::ChainCheck check = store::VerifyHistoryChain(
        database,
        [&](const store::HistoryRowText& row) {
            replay.add(row);
            if (seal && row.id <= seal->lastRow) {
                ++sealedRows;
                if (row.id == seal->lastRow)
                    sealedFingerprint = QString::fromLatin1(row.text[store::HistoryColumns::Impronta]);
            }
        },
        [&] { replay.readStored(database); }, HistoryDigest());
    verdict.rows = check.rows;
    verdict.lastRow = check.lastRow;
    verdict.fingerprint = check.lastFingerprint;
    if (!check.whole) {
        verdict.message = QStringLiteral("storico alterato alla riga %1: %2").arg(check.firstBadRow).arg(check.problem);
        return verdict;
    }
    // The chain whole, every problem is told: the data's, then the seal's.
    qlonglong total = 0;
    const std::vector<store::DataDifference> differences = replay.differences(ShownDifferences, &total);
    if (total > 0) {
        verdict.message = QStringLiteral("i dati non sono quelli che lo storico dà: %1 differenze "
                                         "(tabella, codice, campo: valore memorizzato, valore dallo storico)")
                              .arg(total);
        for (const store::DataDifference& d : differences)
            verdict.details << QStringLiteral("%1 %2 %3: %4, dallo storico %5")
                                   .arg(d.table, store::ShownCode(d.code), d.column,
                                        Shown(d.column, d.stored, d.rowStored),
                                        Shown(d.column, d.replayed, d.rowReplayed));
        if (total > qlonglong(differences.size()))
            verdict.details << QStringLiteral("... e altre %1").arg(total - qlonglong(differences.size()));
    }
    QString sealNote;
    if (seal) {
        if (const QString problem = SealProblem(*seal, company, sealedFingerprint, sealedRows, caFile, &sealNote);
            !problem.isEmpty())
            (verdict.message.isEmpty() ? verdict.message : verdict.further.emplace_back()) = problem;
    }
    if (!verdict.message.isEmpty())
        return verdict;
    verdict.whole = true;
    verdict.message = QStringLiteral("storico integro, e i dati sono quelli che dà: %1 righe, ultima riga %2, impronta %3")
                          .arg(check.rows)
                          .arg(check.lastRow)
                          .arg(check.lastFingerprint.isEmpty() ? QStringLiteral("nessuna") : check.lastFingerprint) +
                      sealNote;
    return verdict;
}

}  // namespace company::seal
