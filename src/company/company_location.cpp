// Opening and naming a company for quenvol-admin, file or server alike.
#include "company/company_location.h"

#include "company/company_copy.h"
#include "company/company_file.h"
#include "company/company_server.h"

namespace company::location {

std::unique_ptr<store::Database> OpenCompany(const QString& location, const QString& company)
{
    if (company::server::IsServer(location))
        return store::openServerDatabase(location, company);
    return store::openDatabase(company::copy::CompanyFilePath(location, company));
}

QString AddHistoryTable(const QString& location, const QString& company, bool* added)
{
    if (company::server::IsServer(location))
        return company::server::AddHistoryTable(location, company, added);
    return company::file::AddHistoryTable(company::copy::CompanyFilePath(location, company), added);
}

QString PlaceName(const QString& location, const QString& company)
{
    if (company::server::IsServer(location))
        return QStringLiteral("società %1 sul server").arg(company);
    return company::copy::CompanyFilePath(location, company);
}

}  // namespace company::location
