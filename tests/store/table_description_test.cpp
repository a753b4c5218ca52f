// The register record against a real row: every member reaches its own column
// and comes back unchanged, fixed texts padded to their column's length.
#include "store/register_record.h"
#include "store/table_description.h"
#include "support/temp_company.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::TempCompany;

TEST(RegisterRow, EveryMemberGoesToItsOwnColumnAndComesBackUnchanged)
{
    TempCompany company;
    auto db = openDatabase(company.databasePath());
    auto cursor = db->openTable(RegisterTable);
    RegisterRecord record;
    record.SspCodice = "R9";
    record.SspDescrizione = " DESCRIZIONE ";
    int next = 1;  // a different number in every numeric member
    for (int k = 0; k < 3; ++k) {
        auto& reg = record.Registers[k];
        reg.Serie = QString("S%1").arg(k);
        reg.Cron = next++;
        reg.Riga = next++;
        reg.Garanz = next++ + 0.25;
        reg.Periodo = std::int16_t(next++);
        reg.Data = next++;
        for (int n = 0; n < 5; ++n) {
            reg.WkSerie[n] = QString("%1%2").arg(k).arg(n);
            reg.WkCron[n] = next++;
        }
    }
    record.SspUltimoCarico = next++;
    record.SspUltimoScarico = next++;
    record.SspMagNum = "12";  // written padded to six characters
    record.SspMagCin = "X";
    record.SspMeccanogNum = next++;
    record.SspMeccanogCin = "K";
    record.SspSiglUC = "DAU";
    record.SspSiglUD = "T1";
    cursor->addNew();
    StoreRegister(record, *cursor);
    cursor->update();

    auto column = [&](const QString& name) {
        return company.scalar(QString("SELECT \"%1\" FROM TabellaSerieSemplificata").arg(name));
    };
    EXPECT_EQ(column("SspMagNum").toString(), "12    ");
    EXPECT_EQ(column("SspCusGaranz").toDouble(), record.Registers[Custodia].Garanz);
    EXPECT_EQ(column("SspWkDCron4").toInt(), record.Registers[Deposito].WkCron[4]);
    EXPECT_EQ(column("SspWkCSerie0").toString(), "10");

    cursor->setIndex(PrimaryIndex);
    cursor->seek("=", "r9");
    ASSERT_FALSE(cursor->noMatch());
    RegisterRecord back;
    LoadRegister(*cursor, back);
    record.SspMagNum = "12    ";
    EXPECT_EQ(back, record);
}
