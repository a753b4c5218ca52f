// What an engine that has no such thing answers for the optional operations
// of a database: the last row of a table, a walk in key order and a
// function of the company.
#include "store/engine/engine.h"

namespace store {

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

Value Database::callFunction(const QString& function, const std::vector<Value>&)
{
    throw EngineError(EngineErrorNumber::TableNotFound,
                      QStringLiteral("La funzione '%1' non esiste in questo database.").arg(function));
}

}  // namespace store
