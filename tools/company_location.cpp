// Opening and naming a company for quenvol-admin, file or server alike.
#include "company_location.h"

#include "company_copy.h"
#include "company_file.h"
#include "company_server.h"

namespace company_location {

std::unique_ptr<store::Database> OpenCompany(const QString& location, const QString& company)
{
    if (company_server::IsServer(location))
        return store::openServerDatabase(location, company);
    return store::openDatabase(company_copy::CompanyFilePath(location, company));
}

QString AddHistoryTable(const QString& location, const QString& company, bool* added)
{
    if (company_server::IsServer(location))
        return company_server::AddHistoryTable(location, company, added);
    return company_file::AddHistoryTable(company_copy::CompanyFilePath(location, company), added);
}

QString PlaceName(const QString& location, const QString& company)
{
    if (company_server::IsServer(location))
        return QStringLiteral("società %1 sul server").arg(company);
    return company_copy::CompanyFilePath(location, company);
}

}  // namespace company_location
