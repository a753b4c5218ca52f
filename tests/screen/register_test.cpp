// A register set from end to end through the real window: lookup, the insert
// question, the field map both ways, confirm, abandon, delete, write failures,
// and the header panel; every row read back from the file.
#include "startup_fixture.h"

#include "store/engine/null_conversions.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

namespace screen_tests {

namespace BoxAnswer = store::BoxAnswer;

namespace {

QVariant header(const testing_support::TempCompany& company, const QString& field, const QString& code)
{
    return company.scalar(
        QStringLiteral("SELECT \"%1\" FROM TestataRegistriPS WHERE TpsCodice = '%2'").arg(field, code));
}

}  // namespace

TEST_F(StartupFixture, ALookupShowsTheRegisterAsStoredAndConfirmSavesDatesAsDayNumbers)
{
    company.exec("UPDATE TabellaSerieSemplificata SET SspMagNum = '12', SspMagCin = NULL, "
                 "SspWkDSerie4 = 'BL', SspWkDCron4 = 44 WHERE SspCodice = 'R1'");
    company.exec("UPDATE TestataRegistriPS SET TpsRigC2 = NULL WHERE TpsCodice = 'R1'");
    Start();
    // A code with blanks around it is sought and shown without them.
    lookUp(" r2 ");
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(text(0), "R2");
    EXPECT_FALSE(form->c.DicKod->isEnabled());
    EXPECT_EQ(form->c.Label1->text(), "VARIAZIONE PROC. SEMPLIFICATA IMPORT");
    for (int i : {0, 1, 3, 4})
        EXPECT_TRUE(form->c.cmdD[i]->isVisible()) << i;
    click(form->c.cmdD[screen::CmdD::Annulla]);

    // Fixed texts, header lines and work positions.
    lookUp("R1");
    EXPECT_EQ(text(66), "12    ");
    EXPECT_EQ(text(67), " ");
    EXPECT_EQ(text(24), "DAU");  // ARRIVI position 0
    EXPECT_EQ(text(25), "33");
    EXPECT_EQ(text(60), "BL");   // DEPOSITO position 4
    EXPECT_EQ(text(61), "44");
    EXPECT_EQ(text(13), " ");    // the Null header line
    EXPECT_EQ(text(2), "INTESTAZIONE A RIGA 1 ");
    EXPECT_EQ(text(21), "INTESTAZIONE P RIGA 5 ");
    click(form->c.cmdD[screen::CmdD::Annulla]);

    lookUp("AB01");  // ARRIVI date 15/09/2003, the others 0
    EXPECT_EQ(form->c.lbData[0]->date(), QDate(2003, 9, 15));
    EXPECT_EQ(form->c.lbData[1]->date(), QDate(2000, 1, 1));
    EXPECT_EQ(form->c.Combo1[0]->currentText(), " 1");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(column("SspArrData", "AB01").toInt(), 37879);
    // The picker shows its minimum for a date of 0; untouched, the 0 stays.
    EXPECT_EQ(column("SspCusData", "AB01").toInt(), 0);
    EXPECT_EQ(column("SspArrPeriodo", "AB01").toInt(), 1);
}

TEST_F(StartupFixture, RefusingTheInsertWritesNothingAndAcceptingItAfterAnotherRegisterShowsABlankRecord)
{
    Start();
    lookUp("R1");
    click(form->c.cmdD[screen::CmdD::Annulla]);  // "&ANNULLA"
    EXPECT_EQ(focused(), form->c.DicKod);
    const int before = company.count("TabellaSerieSemplificata");
    lookUp("NUOVO", BoxAnswer::No);
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_EQ(boxes->seen()[0].prompt, "REGISTRO INESISTENTE: INSERISCO");
    EXPECT_EQ(boxes->seen()[0].code, 292);
    EXPECT_EQ(boxes->seen()[0].title, "MORVANEX - CONFERMA");
    EXPECT_EQ(company.count("TabellaSerieSemplificata"), before);
    EXPECT_EQ(focused(), form->c.DicKod);
    EXPECT_EQ(text(0), " ");
    EXPECT_EQ(text(1), " ");
    EXPECT_EQ(form->c.Label1->text(), "GESTIONE PROC. SEMPLIFICATA IMPORT");
    for (int i : {0, 1, 3, 4})
        EXPECT_FALSE(form->c.cmdD[i]->isVisible()) << i;
    EXPECT_TRUE(form->c.cmdD[screen::CmdD::Uscita]->isVisible());

    lookUp("NEW", BoxAnswer::Yes);
    EXPECT_EQ(form->ScreenMode, screen::Mode::Inserimento);
    EXPECT_EQ(focused(), form->c.Txt[1]);
    EXPECT_EQ(form->c.Label1->text(), "INSERIMENTO PROC. SEMPLIFICATA IMPORT");
    EXPECT_FALSE(form->c.cmdD[screen::CmdD::Elimina]->isVisible());
    EXPECT_TRUE(form->c.cmdD[screen::CmdD::Conferma]->isVisible());
    EXPECT_EQ(text(0), "NEW");
    EXPECT_EQ(text(1), " ");
    for (int k = 0; k < 3; ++k) {
        const int b = store::Field::RegisterBase[k];
        EXPECT_EQ(text(b), "");
        EXPECT_EQ(text(b + 1), "0");
        for (int n = 0; n < 5; ++n) {
            EXPECT_EQ(text(b + 2 + 2 * n), "") << b + 2 + 2 * n;
            EXPECT_EQ(text(b + 3 + 2 * n), "0") << b + 3 + 2 * n;
        }
        EXPECT_EQ(text(b + 13), "0,00");
        EXPECT_EQ(form->c.Combo1[k]->currentIndex(), -1);
        EXPECT_EQ(form->c.lbData[k]->date(), QDate(2000, 1, 1));
    }
    EXPECT_EQ(text(66), "      ");
    EXPECT_EQ(text(68), "");
    EXPECT_EQ(text(2), " ");
}

TEST_F(StartupFixture, ConfirmAddsThenEditsAndBlankFieldsSaveAsZeroOrBlank)
{
    Start();
    const int headers = company.count("TestataRegistriPS");
    lookUp("NEW", BoxAnswer::Yes);
    // The clear routine's blanks stand in every field of a new register.
    form->ClearScreen();
    form->runtime().SetText(form->c.DicKod, "NEW");
    form->runtime().SetText(form->c.Txt[23], "1/2/04");  // six characters, as the field holds
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(column("SspDescrizione", "NEW").toString(), " ");
    EXPECT_EQ(column("SspArrSerie", "NEW").toString(), " ");
    EXPECT_EQ(column("SspCusCron", "NEW").toInt(), 0);
    EXPECT_EQ(column("SspDepGaranz", "NEW").toDouble(), 0);
    EXPECT_EQ(column("SspArrCron", "NEW").toInt(), store::DayNumber(QDate(2004, 2, 1)));
    EXPECT_EQ(company.count("TestataRegistriPS"), headers);  // no header row written

    lookUp("NEW");
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    type("CAMBIATA");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(column("SspDescrizione", "NEW").toString(), "CAMBIATA");
    EXPECT_EQ(company.scalar("SELECT count(*) FROM TabellaSerieSemplificata WHERE SspCodice='NEW'").toInt(), 1);
}

TEST_F(StartupFixture, DeleteAskedNoKeepsTheRowAndYesDeletesItWithItsHeaderRow)
{
    Start();
    lookUp("R1");
    boxes->expect(BoxAnswer::No);
    click(form->c.cmdD[screen::CmdD::Elimina]);
    EXPECT_EQ(boxes->seen().back().prompt, "CONFERMI LA CANCELLAZIONE DEL REGISTRO?");
    EXPECT_EQ(boxes->seen().back().code, 292);
    EXPECT_EQ(column("SspCodice", "R1").toString(), "R1");
    EXPECT_EQ(text(0), "R1");
    EXPECT_EQ(focused(), form->c.DicKod);

    key(Qt::Key_Return);  // the code is still there: look it up again
    boxes->expect(BoxAnswer::Yes);
    click(form->c.cmdD[screen::CmdD::Elimina]);
    EXPECT_TRUE(column("SspCodice", "R1").isNull());
    EXPECT_EQ(company.count("TestataRegistriPS"), 0);
    EXPECT_EQ(text(0), " ");
    EXPECT_EQ(focused(), form->c.DicKod);

    lookUp("R2");  // no header row: the register row alone goes
    boxes->expect(BoxAnswer::Yes);
    click(form->c.cmdD[screen::CmdD::Elimina]);
    EXPECT_TRUE(column("SspCodice", "R2").isNull());
}

TEST_F(StartupFixture, AFailedWriteOrDeleteKeepsTheRowsAndTheEditsAndASecondConfirmWrites)
{
    company.exec("CREATE TRIGGER refuse BEFORE UPDATE ON TabellaSerieSemplificata "
                 "BEGIN SELECT RAISE(ABORT, 'rifiutato'); END");
    company.exec("CREATE TRIGGER keep BEFORE DELETE ON TestataRegistriPS "
                 "BEGIN SELECT RAISE(ABORT, 'rifiutato'); END");
    Start();
    lookUp("R1");
    type("NUOVA DESCRIZIONE");
    boxes->expect(BoxAnswer::Ok);
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(boxes->prompts(), QStringList{"ERRORE NELLA SCRITTURA DEL RECORD\nrifiutato"});
    EXPECT_EQ(boxes->seen()[0].code, 0);
    EXPECT_EQ(boxes->seen()[0].title, "Quenvol");
    EXPECT_EQ(column("SspDescrizione", "R1").toString(), "MAGAZZINO NORD");
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(text(1), "NUOVA DESCRIZIONE");
    EXPECT_EQ(text(0), "R1");

    // The header row refuses to go: the register row stays with it.
    boxes->expect(BoxAnswer::Yes);
    boxes->expect(BoxAnswer::Ok);
    click(form->c.cmdD[screen::CmdD::Elimina]);
    EXPECT_EQ(boxes->prompts().last(), "ERRORE NELLA CANCELLAZIONE DEL REGISTRO\nrifiutato");
    EXPECT_EQ(column("SspCodice", "R1").toString(), "R1");
    EXPECT_EQ(company.count("TestataRegistriPS"), 1);
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(text(0), "R1");
    EXPECT_EQ(text(1), "NUOVA DESCRIZIONE");

    company.exec("DROP TRIGGER refuse");
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(column("SspDescrizione", "R1").toString(), "NUOVA DESCRIZIONE");
    EXPECT_EQ(focused(), form->c.DicKod);
}

TEST_F(StartupFixture, HeaderLinesAreStoredWithOneTrailingBlankAndCancelRestoresTheCopy)
{
    Start();
    lookUp("R1");
    QWidget* before = focused();
    click(form->c.cmdD[screen::CmdD::Testate]);  // "&TESTATE"
    EXPECT_TRUE(form->c.Pict[2]->isVisible());
    EXPECT_FALSE(form->c.Pict[1]->isEnabled());
    EXPECT_EQ(focused(), form->c.Txt[2]);
    // The register panel cannot be used while the header panel is open.
    EXPECT_FALSE(form->runtime().CanTakeFocus(form->c.Txt[1]));
    EXPECT_FALSE(form->runtime().CanTakeFocus(form->c.cmdD[screen::CmdD::Conferma]));
    EXPECT_FALSE(form->runtime().SetFocus(form->c.Txt[22]));
    // It has no exit button: F2 does nothing there.
    key(Qt::Key_F2);
    EXPECT_EQ(endings, 0);
    EXPECT_TRUE(form->c.Pict[2]->isVisible());
    EXPECT_EQ(focused(), form->c.Txt[2]);

    form->runtime().SetText(form->c.Txt[2], "ABC   ");
    click(form->c.cmdD[screen::CmdD::ConfermaTestata]);  // the panel's "&CONFERMA"
    EXPECT_EQ(header(company, "TpsRigA1", "R1").toString(), "ABC ");
    EXPECT_EQ(header(company, "TpsRigA2", "R1").toString(), "INTESTAZIONE A RIGA 2 ");
    EXPECT_FALSE(form->c.Pict[2]->isVisible());
    EXPECT_TRUE(form->c.Pict[1]->isEnabled());
    EXPECT_EQ(focused(), before);

    // Cancel: the lines come back as the copy holds them, without trailing blanks.
    click(form->c.cmdD[screen::CmdD::Testate]);
    form->runtime().SetText(form->c.Txt[3], "CAMBIATA");
    click(form->c.cmdD[screen::CmdD::AnnullaTestata]);
    EXPECT_EQ(text(3), "INTESTAZIONE A RIGA 2");
    EXPECT_EQ(text(2), "ABC");
    EXPECT_EQ(header(company, "TpsRigA2", "R1").toString(), "INTESTAZIONE A RIGA 2 ");
}

TEST_F(StartupFixture, AHeaderRowWrittenForANewRegisterThatIsAbandonedStays)
{
    Start();
    lookUp("NEW", BoxAnswer::Yes);
    click(form->c.cmdD[screen::CmdD::Testate]);
    type("PRIMA RIGA   ");
    click(form->c.cmdD[screen::CmdD::ConfermaTestata]);
    click(form->c.cmdD[screen::CmdD::Annulla]);  // abandon the register
    EXPECT_TRUE(column("SspCodice", "NEW").isNull());
    EXPECT_EQ(header(company, "TpsRigA1", "NEW").toString(), "PRIMA RIGA ");
    EXPECT_EQ(header(company, "TpsRigP5", "NEW").toString(), " ");
}

}  // namespace screen_tests
