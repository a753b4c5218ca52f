// The register record against a real row: every member reaches its own column
// and comes back unchanged, fixed texts padded to their column's length.
#include "opened_company.h"

#include "store/record/register_record.h"
#include "store/schema/table_description.h"
#include "support/temp_company.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::TempCompany;

TEST(RegisterRow, EveryMemberGoesToItsOwnColumnAndComesBackUnchanged)
{
    TempCompany company;
    auto db = openDatabase(company.databasePath());
    auto cursor = db->openTable(RegisterTable);
    RegisterRecord record = store_tests::FullRegister("R9", " DESCRIZIONE ");
    record.SspMagNum = "12";  // written padded to six characters
    cursor->addNew();
    StoreRegister(record, *cursor);
    cursor->update();

    auto column = [&](const QString& name) {
        return company.scalar(QString("SELECT \"%1\" FROM TabellaSerieSemplificata").arg(name));
    };
    EXPECT_EQ(column("SspMagNum").toString(), "12    ");
    EXPECT_EQ(column("SspCusGaranz").toDouble(), record.Registers[Custodia].Garanz);
    EXPECT_EQ(column("SspWkDCron4").toInt(), record.Registers[Deposito].WkCron[4]);
    EXPECT_EQ(column("SspWkCSerie0").toString(), "B0");

    cursor->setIndex(PrimaryIndex);
    cursor->seek("=", "r9");
    ASSERT_FALSE(cursor->noMatch());
    RegisterRecord back;
    LoadRegister(*cursor, back);
    record.SspMagNum = "12    ";
    EXPECT_EQ(back, record);
}
