// Recording the starting state of a company's history.
#include "company/starting_state.h"

#include "company/company_location.h"
#include "store/history/history_replay.h"
#include "store/schema/table_description.h"

namespace company::starting_state {

QString Record(const QString& location, const QString& company, QString* said)
{
    said->clear();
    try {
        auto database = location::OpenCompany(location, company);
        try {
            database->openTable(store::HistoryTable)->close();
        } catch (const store::EngineError& error) {
            if (error.number() == store::EngineErrorNumber::TableNotFound)
                return QString();  // a company without the history
            throw;
        }
        const store::StartingState state = store::RecordStartingState(*database, company);
        if (state.recorded)
            *said = QStringLiteral("registrato nello storico lo stato iniziale di %1: %2 registri, %3 testate, "
                                   "%4 tipi di documento (%5 righe)")
                        .arg(location::PlaceName(location, company))
                        .arg(state.registers)
                        .arg(state.headers)
                        .arg(state.docTypes)
                        .arg(state.rows);
    } catch (const store::EngineError& error) {
        return QStringLiteral("%1: stato iniziale dello storico non registrato: %2")
            .arg(location::PlaceName(location, company), error.description());
    }
    return QString();
}

}  // namespace company::starting_state
