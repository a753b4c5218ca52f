// Recording an event in the change history, and reading the history's anchor.
#include "store/history/history_event.h"

#include "store/history/history_chain.h"
#include "store/history/history_writer.h"
#include "store/record/register_fields.h"
#include "store/schema/table_description.h"

#include <QRegularExpression>

#include <algorithm>

namespace store {

const QStringList& HistoryEventActions()
{
    static const QStringList actions{QStringLiteral("stampa pagine"), QStringLiteral("ristampa pagine"),
                                     QStringLiteral("firma")};
    return actions;
}

QStringList PageEventColumns()
{
    QStringList names;
    for (int block = 0; block < 4; ++block)
        names << HeaderBlockName(block);
    return names;
}

namespace {

// A page number as an event keeps it: a whole number from 1 written in
// digits alone, as the server's event function takes it; else 0.
qlonglong pageNumber(const Value& value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    static const QRegularExpression page(QStringLiteral("^[1-9][0-9]{0,8}$"));
    const QString text = HistoryText(value).toString();
    return page.match(text).hasMatch() ? text.toLongLong() : 0;
}

}  // namespace

QString SignedDocumentPattern()
{
    return QStringLiteral("^(scheda|pagine (%1) [1-9][0-9]{0,8}-[1-9][0-9]{0,8})$")
        .arg(PageEventColumns().join(QLatin1Char('|')));
}

QString CertificateSerialPattern()
{
    return QStringLiteral("^[0-9A-F]{1,64}$");
}

QString EventTooLong()
{
    const TableDescription& history = HistoryTableDescription();
    return QStringLiteral("troppo lungo: il registro o il documento ha al più %1 caratteri, le pagine, il titolare "
                          "e il numero di serie del certificato al più %2")
        .arg(history.columns[HistoryColumns::Colonna].length)
        .arg(history.columns[HistoryColumns::Prima].length);
}

QString HistoryEventProblem(const HistoryEvent& event)
{
    if (!HistoryEventActions().contains(event.action))
        return QStringLiteral("azione non ammessa per un evento: '%1'").arg(event.action);
    const TableDescription& history = HistoryTableDescription();
    if (event.column.size() > history.columns[HistoryColumns::Colonna].length ||
        HistoryText(event.before).toString().size() > history.columns[HistoryColumns::Prima].length ||
        HistoryText(event.after).toString().size() > history.columns[HistoryColumns::Dopo].length)
        return QStringLiteral("evento %1: %2").arg(event.action, EventTooLong());
    if (event.action == SignatureAction) {
        const QString subject = HistoryText(event.before).toString();
        const QString serial = HistoryText(event.after).toString();
        if (!QRegularExpression(SignedDocumentPattern()).match(event.column).hasMatch())
            return QStringLiteral("evento firma: il documento deve essere la scheda o pagine di un registro, non '%1'")
                .arg(event.column);
        if (subject.isEmpty() || !QRegularExpression(CertificateSerialPattern()).match(serial).hasMatch())
            return QStringLiteral("evento firma: servono il titolare e il numero di serie (esadecimale) del "
                                  "certificato, non '%1' e '%2'")
                .arg(subject, serial);
        return {};
    }
    if (!PageEventColumns().contains(event.column))
        return QStringLiteral("evento %1: il registro deve essere uno tra %2, non '%3'")
            .arg(event.action, PageEventColumns().join(QStringLiteral(", ")), event.column);
    const qlonglong first = pageNumber(event.before), last = pageNumber(event.after);
    if (first == 0 || last == 0)
        return QStringLiteral("evento %1: la prima e l'ultima pagina devono essere numeri di pagina, non '%2' e '%3'")
            .arg(event.action, HistoryText(event.before).toString(), HistoryText(event.after).toString());
    if (first > last)
        return QStringLiteral("evento %1: l'ultima pagina (%2) viene prima della prima (%3)")
            .arg(event.action)
            .arg(last)
            .arg(first);
    return {};
}

void RecordHistoryEvent(Database& database, const HistoryEvent& event)
{
    if (const QString problem = HistoryEventProblem(event); !problem.isEmpty())
        throw EngineError(EngineErrorNumber::WriteFailed, problem);
    if (ServerWritesHistory(database)) {
        // The workstations may only read the history there: the server's own
        // function writes the event, with who, when and the chain.
        database.callFunction(HistoryTable + QStringLiteral("_evento"),
                              {event.code, event.action, event.column, HistoryText(event.before),
                               HistoryText(event.after)});
        return;
    }
    const std::unique_ptr<TableCursor> history =
        ChainedHistoryCursor(database, database.openTable(HistoryTable));
    database.beginTrans();
    try {
        ChangeRecord(history.get(), event.code, event.action).addEvent(event.column, event.before, event.after);
        database.commitTrans();
    } catch (...) {
        database.rollback();
        throw;
    }
}

std::optional<HistoryAnchor> LastHistoryAnchor(Database& database)
{
    namespace H = HistoryColumns;
    const TableDescription& table = HistoryTableDescription();
    // The last row alone and the count: two short statements, where reading
    // every row would cost seconds on a history of a million rows.
    const std::unique_ptr<Snapshot> last = database.openLastRow(HistoryTable);
    if (last->atEnd())
        return std::nullopt;
    HistoryAnchor anchor;
    anchor.lastRow = last->field(last->fieldIndex(table.columnName(H::Id))).toLongLong();
    try {
        anchor.fingerprint = last->field(last->fieldIndex(table.columnName(H::Impronta))).toString();
    } catch (const EngineError& error) {
        if (error.number() != EngineErrorNumber::ItemNotFound)
            throw;  // made before the fingerprints: none to give
    }
    last->close();
    anchor.rows = database.countRows(HistoryTable);
    return anchor;
}

}  // namespace store
