// A company database in a temporary folder for the tests.
#include "temp_company.h"

#include "company/company_file.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace testing_support {

TempCompany::TempCompany(bool demo)
{
    QString error = company::file::CreateCompanyDatabase(databasePath());
    if (error.isEmpty() && demo)
        error = company::file::AddDemonstrationData(databasePath());
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}

void TempCompany::exec(const QString& sql) const
{
    const QString error = company::file::Execute(databasePath(), {sql});
    EXPECT_TRUE(error.isEmpty()) << sql.toStdString() << ": " << error.toStdString();
}

QVariant TempCompany::scalar(const QString& sql) const
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(databasePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    QVariant result;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(db);
    } else if (sqlite3_step(stmt) == SQLITE_ROW) {
        switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_NULL: break;
        case SQLITE_INTEGER: result = qlonglong(sqlite3_column_int64(stmt, 0)); break;
        case SQLITE_FLOAT: result = sqlite3_column_double(stmt, 0); break;
        default: result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return result;
}

int TempCompany::count(const QString& table) const
{
    return scalar(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)).toInt();
}

}  // namespace testing_support
