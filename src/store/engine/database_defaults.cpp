// What an engine that has no such thing answers for the optional operations
// of a database: the last row of a table, a walk in key order, the newest
// rows of one value and a function of the company; done the slow way, the
// rows counted and appended one by one; and a snapshot's text in UTF-8
// through its value.
#include "store/engine/engine.h"

namespace store {

bool Snapshot::utf8Text(int index, QByteArray& out) const
{
    const Value value = field(index);
    out.resize(0);
    if (value.isNull() || !value.isValid())
        return false;
    out.append(value.toString().toUtf8());
    return true;
}

std::unique_ptr<Snapshot> Database::openLastRow(const QString& table)
{
    throw EngineError(EngineErrorNumber::TableNotFound,
                      QStringLiteral("Il motore non legge l'ultima riga di '%1'.").arg(table));
}

std::unique_ptr<Snapshot> Database::openKeyOrderWalk(const QString& table)
{
    throw EngineError(EngineErrorNumber::TableNotFound,
                      QStringLiteral("Il motore non legge in ordine la tabella '%1'.").arg(table));
}

std::unique_ptr<Snapshot> Database::openNewestRows(const QString& table, const QString&, const QString&,
                                                  const Value&, int)
{
    throw EngineError(EngineErrorNumber::TableNotFound,
                      QStringLiteral("Il motore non legge le ultime righe di '%1'.").arg(table));
}

qlonglong Database::countRows(const QString& table)
{
    const std::unique_ptr<Snapshot> rows = openSnapshot(table);
    qlonglong count = 0;
    for (; !rows->atEnd(); rows->moveNext())
        ++count;
    return count;
}

Value Database::callFunction(const QString& function, const std::vector<Value>&)
{
    throw EngineError(EngineErrorNumber::TableNotFound,
                      QStringLiteral("La funzione '%1' non esiste in questo database.").arg(function));
}

void Database::execute(const QString&)
{
    throw EngineError(EngineErrorNumber::TableNotFound,
                      QStringLiteral("Questo database non esegue istruzioni di definizione."));
}

qlonglong Database::appendRows(const QString& table, const QStringList& columns, const RowSource& next)
{
    std::unique_ptr<TableCursor> target = openTable(table);
    std::vector<Value> values(std::size_t(columns.size()));
    qlonglong rows = 0;
    while (next(values)) {
        target->addNew();
        for (qsizetype i = 0; i < columns.size(); ++i)
            target->setField(columns[i], values[std::size_t(i)]);
        target->update();
        ++rows;
    }
    target->close();
    return rows;
}

}  // namespace store
