// Writing, deleting and the header lines, read back from the file: adds and
// edits, failures rolled back and shown once, the delete of both rows.
#include "opened_company.h"

#include "store/schema/table_description.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::TempCompany;
using Opened = store_tests::OpenedCompany;
using store_tests::BlankRegister;

namespace {

ScreenValues screenFor(const QString& code, const QString& description)
{
    return RegisterToScreen(BlankRegister(code, description));
}

}  // namespace

TEST(RegisterSave, ConfirmAddsThenEditsAndWritesNoHeaderRow)
{
    TempCompany company;
    Opened o(company);
    ASSERT_TRUE(o.write(screenFor("N1", "PRIMA")));
    EXPECT_EQ(company.scalar("SELECT SspDescrizione FROM TabellaSerieSemplificata WHERE SspCodice='N1'"), "PRIMA");
    ASSERT_TRUE(o.write(screenFor("N1", "DOPO")));
    EXPECT_EQ(company.count(RegisterTable), 1);
    EXPECT_EQ(company.scalar("SELECT SspDescrizione FROM TabellaSerieSemplificata").toString(), "DOPO");
    EXPECT_EQ(company.count(HeaderTable), 0);
}

TEST(RegisterSave, AFailedWriteIsShownOnceAndRolledBack)
{
    TempCompany company;
    company.exec("INSERT INTO TabellaSerieSemplificata (SspCodice, SspDescrizione) VALUES ('R1', 'ORIGINALE')");
    company.exec("CREATE TRIGGER refuse BEFORE UPDATE ON TabellaSerieSemplificata "
                 "BEGIN SELECT RAISE(ABORT, 'rifiutato'); END");
    Opened o(company);
    o.show("R1");
    o.boxes.expect(BoxAnswer::Ok);
    EXPECT_FALSE(o.write(screenFor("R1", "CAMBIATA")));
    EXPECT_EQ(o.boxes.prompts(), QStringList{"ERRORE NELLA SCRITTURA DEL RECORD\nrifiutato"});
    EXPECT_EQ(o.boxes.seen()[0].code, 0);
    EXPECT_EQ(company.scalar("SELECT SspDescrizione FROM TabellaSerieSemplificata").toString(), "ORIGINALE");

    // Once the cause is gone the same write goes through.
    company.exec("DROP TRIGGER refuse");
    EXPECT_TRUE(o.write(screenFor("R1", "CAMBIATA")));
    EXPECT_EQ(company.scalar("SELECT SspDescrizione FROM TabellaSerieSemplificata").toString(), "CAMBIATA");
}

TEST(RegisterSave, DeleteRemovesTheRowAndItsHeaderRowOrTheRowAlone)
{
    TempCompany company(true);  // R1 has a header row, R2 has none
    Opened o(company);
    o.show("R1");
    EXPECT_EQ(DeleteRegister(o.db, "R1", o.shown, o.boxes), DeleteResult::Deleted);
    EXPECT_EQ(company.scalar("SELECT count(*) FROM TabellaSerieSemplificata WHERE SspCodice='R1'").toInt(), 0);
    EXPECT_EQ(company.count(HeaderTable), 0);

    const int before = company.count(RegisterTable);
    o.show("R2");
    EXPECT_EQ(DeleteRegister(o.db, "R2", o.shown, o.boxes), DeleteResult::Deleted);
    EXPECT_EQ(company.count(RegisterTable), before - 1);
}

TEST(RegisterSave, AFailedDeleteKeepsBothRows)
{
    TempCompany company(true);
    company.exec("CREATE TRIGGER keep BEFORE DELETE ON TestataRegistriPS "
                 "BEGIN SELECT RAISE(ABORT, 'rifiutato'); END");
    Opened o(company);
    const int registers = company.count(RegisterTable);
    o.show("R1");
    o.boxes.expect(BoxAnswer::Ok);
    EXPECT_EQ(DeleteRegister(o.db, "R1", o.shown, o.boxes), DeleteResult::NotDeleted);
    EXPECT_EQ(o.boxes.prompts(), QStringList{"ERRORE NELLA CANCELLAZIONE DEL REGISTRO\nrifiutato"});
    EXPECT_EQ(company.count(RegisterTable), registers);
    EXPECT_EQ(company.count(HeaderTable), 1);
}

TEST(RegisterSave, TheFirstFailureEndsTheWriteAndIsTheOneShown)
{
    // Both deletes would fail; the first one ends the write, so the header
    // row's refusal never runs and the box names the register row's.
    TempCompany company(true);
    company.exec("CREATE TRIGGER first BEFORE DELETE ON TabellaSerieSemplificata "
                 "BEGIN SELECT RAISE(ABORT, 'registro rifiutato'); END");
    company.exec("CREATE TRIGGER second BEFORE DELETE ON TestataRegistriPS "
                 "BEGIN SELECT RAISE(ABORT, 'testata rifiutata'); END");
    Opened o(company);
    o.show("R1");
    o.boxes.expect(BoxAnswer::Ok);
    EXPECT_EQ(DeleteRegister(o.db, "R1", o.shown, o.boxes), DeleteResult::NotDeleted);
    EXPECT_EQ(o.boxes.prompts(), QStringList{"ERRORE NELLA CANCELLAZIONE DEL REGISTRO\nregistro rifiutato"});
    EXPECT_EQ(company.count(HeaderTable), 1);
}

TEST(RegisterSave, AChangeMadeElsewhereNamesAnAmountTheFieldCannotShowAndADateBefore1899AsStored)
{
    RegisterRecord shown = store_tests::FullRegister("R1", "MAGAZZINO NORD");
    RegisterRecord stored = shown;
    stored.Registers[1].Garanz = 5e-324;
    stored.Registers[1].Data = -709591;  // 15 March 44 BC
    const QStringList told = RegisterDifferences(shown, stored);
    // The exponent's letter is the locale's: "e" in C, "E" in Italian.
    EXPECT_TRUE(told.contains("CUSTODIA GARANZIA: 5e-324", Qt::CaseInsensitive))
        << told.join('|').toStdString();
    EXPECT_TRUE(told.contains("CUSTODIA PERIODO DAL: 15/03/-0044")) << told.join('|').toStdString();
}

TEST(HeaderLines, WrittenWithOneTrailingBlankAndReadBackWithNullLinesBlank)
{
    TempCompany company;
    Opened o(company);
    HeaderLines lines = BlankHeaderLines();
    lines[2] = "ABC   ";
    lines[21] = "MITTENTE";
    std::optional<HeaderLines> shown;
    ASSERT_TRUE(WriteHeader(o.db, "NEW", lines, shown, o.boxes));
    EXPECT_EQ(company.scalar("SELECT TpsRigA1 FROM TestataRegistriPS WHERE TpsCodice='NEW'").toString(), "ABC ");
    EXPECT_EQ(company.scalar("SELECT TpsRigP5 FROM TestataRegistriPS").toString(), "MITTENTE ");
    EXPECT_EQ(company.scalar("SELECT TpsRigD1 FROM TestataRegistriPS").toString(), " ");
    EXPECT_EQ(company.count(RegisterTable), 0);  // a header row needs no register row

    company.exec("UPDATE TestataRegistriPS SET TpsRigC2 = NULL");
    HeaderLines back = ReadHeaderLines(*o.db.HeaderCursor, "new");
    EXPECT_EQ(back[2], "ABC ");
    EXPECT_EQ(back[13], " ");
    EXPECT_EQ(back[21], "MITTENTE ");

    HeaderLines none = ReadHeaderLines(*o.db.HeaderCursor, "NONE");
    EXPECT_EQ(none[2], " ");
    EXPECT_EQ(none[21], " ");
}

TEST(HeaderLines, AFailedHeaderWriteIsShownAndLeavesTheRowAsItWas)
{
    TempCompany company(true);
    company.exec("CREATE TRIGGER refuse BEFORE UPDATE ON TestataRegistriPS "
                 "BEGIN SELECT RAISE(ABORT, 'rifiutato'); END");
    Opened o(company);
    const QVariant before = company.scalar("SELECT TpsRigA1 FROM TestataRegistriPS");
    HeaderLines lines;
    for (int i = 2; i <= 21; ++i)
        lines[i] = "NUOVA";
    o.show("R1");
    o.boxes.expect(BoxAnswer::Ok);
    EXPECT_FALSE(WriteHeader(o.db, "R1", lines, o.shown.header, o.boxes));
    EXPECT_EQ(o.boxes.prompts(), QStringList{"ERRORE NELLA SCRITTURA DELLA TESTATA\nrifiutato"});
    EXPECT_EQ(company.scalar("SELECT TpsRigA1 FROM TestataRegistriPS"), before);
}
