// Opening the company's database in the file or on the office server.
#include "store/tables/company_open.h"

namespace store {

bool NamesServer(const QString& location)
{
    return location.contains(QLatin1Char('=')) || location.startsWith(QLatin1String("postgresql://")) ||
           location.startsWith(QLatin1String("postgres://"));
}

std::unique_ptr<Database> OpenCompanyDatabase(const QString& server, const QString& company,
                                              const QString& path, MessageBoxes& boxes)
{
    if (server.trimmed().isEmpty())
        return openDatabase(path);
    for (;;) {
        try {
            auto database = openServerDatabase(server.trimmed(), company);
            AskOnLostConnection(*database, boxes);
            return database;
        } catch (const EngineError& error) {
            if (error.number() != EngineErrorNumber::ServerUnreachable)
                throw;
            const int answer = boxes.MsgBox(ServerUnreachableMessage + QLatin1Char('\n') + error.description(),
                                            BoxCode::RetryCancelCritical, ServerBoxTitle);
            if (answer != BoxAnswer::Retry)
                return nullptr;
        }
    }
}

void AskOnLostConnection(Database& database, MessageBoxes& boxes)
{
    database.setConnectionLostHandler([&boxes](const QString& serverText) {
        return boxes.MsgBox(ConnectionLostMessage + QLatin1Char('\n') + serverText, BoxCode::RetryCancelExclaim,
                            ServerBoxTitle) == BoxAnswer::Retry;
    });
}

}  // namespace store
