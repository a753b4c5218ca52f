// The seal's text and the verification of a history.
#include "company/history_seal.h"

#include "store/history/history_chain.h"

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
const QString NoFingerprint = QStringLiteral("nessuna");  // an empty history

}  // namespace

QString Write(const Seal& seal)
{
    return QStringLiteral("%1\n%2: %3\n%4: %5\n%6: %7\n%8: %9\n")
               .arg(Title, CompanyKey, seal.company, LastRowKey, QString::number(seal.lastRow), RowsKey,
                    QString::number(seal.rows), FingerprintKey,
                    seal.fingerprint.isEmpty() ? NoFingerprint : seal.fingerprint) +
        QStringLiteral("%1: %2\n").arg(MadeKey, seal.made.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

bool Read(const QString& text, Seal* seal, QString* reason)
{
    *seal = Seal();
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.trimmed();
    if (!lines.contains(Title)) {
        *reason = QStringLiteral("non è un sigillo dello storico");
        return false;
    }
    bool lastRow = false, fingerprint = false, company = false;
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon < 0)
            continue;
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 2).trimmed();
        bool ok = true;
        if (key == CompanyKey) {
            seal->company = value;
            company = !value.isEmpty();
        } else if (key == LastRowKey) {
            seal->lastRow = value.toLongLong(&ok);
            lastRow = ok;
        } else if (key == RowsKey) {
            seal->rows = value.toLongLong(&ok);
        } else if (key == FingerprintKey) {
            seal->fingerprint = value == NoFingerprint ? QString() : value.toLower();
            fingerprint = true;
        } else if (key == MadeKey) {
            seal->made = QDateTime::fromString(value, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            seal->made.setTimeZone(QTimeZone::utc());
        }
    }
    if (!company || !lastRow || !fingerprint || (seal->lastRow > 0 && seal->fingerprint.size() != 64)) {
        *reason = QStringLiteral("il sigillo è incompleto (servono società, ultima riga e impronta)");
        return false;
    }
    return true;
}

Verdict Verify(store::Database& database, const QString& company, const Seal* seal)
{
    Verdict verdict;
    const store::ChainCheck check = store::VerifyHistoryChain(database);
    verdict.rows = check.rows;
    verdict.lastRow = check.lastRow;
    verdict.fingerprint = check.lastFingerprint;
    if (!check.whole) {
        verdict.message = QStringLiteral("storico alterato alla riga %1: %2").arg(check.firstBadRow).arg(check.problem);
        return verdict;
    }
    if (seal) {
        if (seal->company.compare(company, Qt::CaseInsensitive) != 0) {
            verdict.message = QStringLiteral("il sigillo è della società %1, non di %2").arg(seal->company, company);
            return verdict;
        }
        if (seal->lastRow > 0) {
            const std::optional<QString> held = store::HistoryRowFingerprint(database, seal->lastRow);
            if (!held) {
                verdict.message = QStringLiteral("storico alterato alla riga %1: lo storico non ha più la riga "
                                                 "del sigillo (accorciato dopo il sigillo)")
                                      .arg(seal->lastRow);
                return verdict;
            }
            if (*held != seal->fingerprint) {
                verdict.message = QStringLiteral("storico alterato alla riga %1: la riga non ha più l'impronta "
                                                 "del sigillo (storico riscritto dopo il sigillo)")
                                      .arg(seal->lastRow);
                return verdict;
            }
        }
    }
    verdict.whole = true;
    verdict.message = QStringLiteral("storico integro: %1 righe, ultima riga %2, impronta %3")
                          .arg(check.rows)
                          .arg(check.lastRow)
                          .arg(check.lastFingerprint.isEmpty() ? QStringLiteral("nessuna") : check.lastFingerprint);
    if (seal)
        verdict.message += QStringLiteral("; il sigillo del %1 (riga %2) è confermato")
                               .arg(seal->made.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                                        QStringLiteral(" UTC"))
                               .arg(seal->lastRow);
    return verdict;
}

}  // namespace company::seal
