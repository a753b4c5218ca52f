// Comparing a company's stored tables with their descriptions.
#include "store/tables/missing_columns.h"

namespace store {

QStringList MissingColumns(Database& database, const TableDescription& table)
{
    QStringList missing;
    try {
        const std::unique_ptr<Snapshot> shape = database.openLastRow(table.name);
        for (const ColumnDescription& column : table.columns) {
            try {
                shape->fieldIndex(column.name);
            } catch (const EngineError& error) {
                if (error.number() != EngineErrorNumber::ItemNotFound)
                    throw;
                missing << table.name + QLatin1Char('.') + column.name;
            }
        }
    } catch (const EngineError&) {
        // The shape cannot be read (an engine without it, a table gone): the
        // table's own open or first read tells what is wrong.
        return {};
    }
    return missing;
}

QStringList MissingColumns(Database& database)
{
    QStringList missing;
    for (const TableDescription* table : SharedTables())
        missing << MissingColumns(database, *table);
    return missing;
}

QString UpgradeNeededText(const QStringList& missing)
{
    return QStringLiteral("LA SOCIETA' E' STATA CREATA DA UNA VERSIONE PRECEDENTE DEL PROGRAMMA: "
                          "MANCANO LE COLONNE %1.\n"
                          "PER AGGIORNARLA ESEGUIRE (DA UN TERMINALE): quenvol-admin upgrade")
        .arg(missing.join(QStringLiteral(", ")));
}

}  // namespace store
