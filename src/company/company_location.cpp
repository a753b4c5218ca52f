// Opening and naming a company for quenvol-admin, file or server alike.
#include "company/company_location.h"

#include "company/company_copy.h"
#include "company/company_file.h"
#include "company/company_server.h"
#include "store/tables/missing_columns.h"

#include <QDir>
#include <QFileInfo>

namespace company::location {

std::unique_ptr<store::Database> OpenCompany(const QString& location, const QString& company)
{
    std::unique_ptr<store::Database> database;
    if (company::server::IsServer(location)) {
        database = store::openServerDatabase(location, company);
    } else {
        const QString path = company::copy::CompanyFilePath(location, company);
        try {
            database = store::openDatabase(path);
        } catch (const store::EngineError& error) {
            // A file that is there but cannot be read is damaged, not missing.
            if (error.number() != store::EngineErrorNumber::CannotOpenDatabase || !QFileInfo(path).isFile())
                throw;
            throw store::EngineError(error.number(), DamagedFileText(error.description(), location, company));
        }
    }
    // A company made by an earlier version is refused with the command that
    // brings it up to date, before any command reads a register set from it.
    if (const QStringList missing = store::MissingColumns(*database); !missing.isEmpty())
        throw store::EngineError(store::EngineErrorNumber::ItemNotFound,
                                 QStringLiteral("%1 e' stata creata da una versione precedente: mancano le colonne "
                                                "%2; eseguire prima quenvol-admin upgrade %3 %4")
                                     .arg(PlaceName(location, company), missing.join(QStringLiteral(", ")),
                                          location, company));
    return database;
}

QString AddHistoryTable(const QString& location, const QString& company, bool* added)
{
    if (company::server::IsServer(location))
        return company::server::AddHistoryTable(location, company, added);
    return company::file::AddHistoryTable(company::copy::CompanyFilePath(location, company), added);
}

QString DamagedFileText(const QString& reason, const QString& location, const QString& company)
{
    return QStringLiteral("il file esiste ma non si può leggere: è danneggiato (%1). Rimettere al suo posto "
                          "l'ultima copia di sicurezza (quenvol-admin backup) e controllarla con "
                          "quenvol-admin verify %2 %3")
        .arg(reason, company::server::IsServer(location) ? location : QDir::toNativeSeparators(location), company);
}

QString PlaceName(const QString& location, const QString& company)
{
    if (company::server::IsServer(location))
        return QStringLiteral("società %1 sul server").arg(company);
    // As the system writes paths: "C:\Dati\DEMO\quelda.mdb" on Windows.
    return QDir::toNativeSeparators(company::copy::CompanyFilePath(location, company));
}

}  // namespace company::location
