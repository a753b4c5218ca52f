// The history panel through the real window and real keys: F7 opens it on the
// register set on screen, Escape, Alt+C (its "&CHIUDI") and F2 close it and give the focus
// back; a company without history says so quietly and F7 does nothing.
#include "startup_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>

using screen_tests::StartupFixture;

TEST_F(StartupFixture, F7ShowsTheChangesOfTheRegisterNewestFirstAndEscapeAltCAndF2CloseIt)
{
    Start();
    EXPECT_FALSE(form->c.lbStorico->isVisible());
    lookUp("R1");
    form->runtime().SetFocus(form->c.Txt[1]);
    type("NUOVA");
    key(Qt::Key_C, Qt::AltModifier);  // "&CONFERMA"
    ASSERT_EQ(column("SspDescrizione", "R1"), "NUOVA");
    lookUp("R1");
    form->runtime().SetFocus(form->c.Txt[23]);

    key(Qt::Key_F7);
    ASSERT_TRUE(form->c.PictStorico->isVisible());
    EXPECT_FALSE(form->c.Pict[1]->isEnabled());
    EXPECT_EQ(focused(), form->c.ListaStorico);
    // One change: its line, then its one changed column, named as the screen
    // names the field.
    const QStringList lines = Lines(form->c.ListaStorico);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("VARIAZIONE")) << lines[0].toStdString();
    // The code quoted, as the listing shows it.
    EXPECT_TRUE(lines[0].endsWith("\"R1\"")) << lines[0].toStdString();
    EXPECT_EQ(lines.filter("VARIAZIONE").size(), 1);
    EXPECT_EQ(lines.filter(QRegularExpression(" DESCRIZIONE *: \"MAGAZZINO NORD\" -> \"NUOVA\"$")).size(), 1);
    // Read-only: typing and Up/Down stay in the list and change nothing.
    type("X");
    key(Qt::Key_Down);
    EXPECT_TRUE(form->c.PictStorico->isVisible());

    key(Qt::Key_Escape);
    EXPECT_FALSE(form->c.PictStorico->isVisible());
    EXPECT_TRUE(form->c.Pict[1]->isEnabled());
    EXPECT_EQ(focused(), form->c.Txt[23]);

    key(Qt::Key_F7);
    ASSERT_TRUE(form->c.PictStorico->isVisible());
    EXPECT_EQ(form->c.cmdStorico->text(), "&CHIUDI");  // a word of its own, not the program's USCITA
    key(Qt::Key_C, Qt::AltModifier);
    EXPECT_FALSE(form->c.PictStorico->isVisible());
    EXPECT_FALSE(endings);

    key(Qt::Key_F7);
    ASSERT_TRUE(form->c.PictStorico->isVisible());
    key(Qt::Key_F2);
    EXPECT_FALSE(form->c.PictStorico->isVisible());
    EXPECT_EQ(focused(), form->c.Txt[23]);

    // From the code field, the history of the code typed there: a deleted
    // register set can still be looked up.
    boxes->expect(store::BoxAnswer::Yes);
    key(Qt::Key_E, Qt::AltModifier);  // "&ELIMINA"
    ASSERT_EQ(focused(), form->c.DicKod);
    type("R1");
    key(Qt::Key_F7);
    ASSERT_TRUE(form->c.PictStorico->isVisible());
    EXPECT_TRUE(Lines(form->c.ListaStorico).first().contains("CANCELLAZIONE"));
    key(Qt::Key_Escape);
    EXPECT_EQ(focused(), form->c.DicKod);
    EXPECT_EQ(text(0), "R1");
    EXPECT_TRUE(boxes->allAnswered());
}

TEST_F(StartupFixture, F7OnASetWhoseCodeEndsInABlankShowsThatSetsChangesUnderItsQuotedCode)
{
    // A company from before the code rule, with a look-alike of R1.
    company.exec("DROP TRIGGER \"TabellaSerieSemplificata_codice_nuovo\"");
    company.exec("INSERT INTO TabellaSerieSemplificata (SspCodice, SspDescrizione) VALUES ('R1 ', 'SOSIA')");
    Start();
    lookUp("R1");
    type("NUOVA R1");
    key(Qt::Key_C, Qt::AltModifier);  // "&CONFERMA"
    ASSERT_EQ(column("SspDescrizione", "R1"), "NUOVA R1");
    key(Qt::Key_F4);
    type("r1");
    ASSERT_EQ(Lines(form->c.Lista).size(), 2);
    doubleClickLine(form->c.Lista, 1);  // "R1 "
    ASSERT_EQ(text(1), "SOSIA");
    type("NUOVA SOSIA");
    key(Qt::Key_C, Qt::AltModifier);
    ASSERT_EQ(column("SspDescrizione", "R1 "), "NUOVA SOSIA");
    key(Qt::Key_F4);
    type("r1");
    doubleClickLine(form->c.Lista, 1);

    key(Qt::Key_F7);
    ASSERT_TRUE(form->c.PictStorico->isVisible());
    EXPECT_EQ(form->c.IEStorico->text(), "Storico modifiche del registro \"R1 \"");
    const QStringList lines = Lines(form->c.ListaStorico);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("\"R1 \"")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("\"SOSIA\" -> \"NUOVA SOSIA\"")) << lines[1].toStdString();
}

TEST_F(StartupFixture, ACompanyWithoutHistoryShowsAQuietNoteAndIgnoresF7)
{
    company.exec("DROP TABLE StoricoSerieSemplificata");
    Start();
    const QString caption = form->c.window->windowTitle();
    EXPECT_TRUE(form->c.lbStorico->isVisible());
    EXPECT_EQ(form->c.lbStorico->text(), "storico modifiche non attivo");
    lookUp("R1");
    key(Qt::Key_F7);
    EXPECT_FALSE(form->c.PictStorico->isVisible());
    EXPECT_EQ(form->c.window->windowTitle(), caption);
    form->runtime().SetFocus(form->c.Txt[1]);
    type("SENZA");
    key(Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(column("SspDescrizione", "R1"), "SENZA");
}

TEST_F(StartupFixture, ALongHistoryScrolledToItsEndShowsEveryChangeOnceOldestLast)
{
    // 700 changes of R1, one column each: more than the panel reads at once.
    company.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 700) "
                 "INSERT INTO StoricoSerieSemplificata (StoModifica, StoQuando, StoUtente, StoPostazione, "
                 "StoVersione, StoCodice, StoAzione, StoColonna, StoPrima, StoDopo) "
                 "SELECT printf('%032d', i), '2024-01-01T08:00:00.000Z', 'op', 'pc', '1', 'R1', 'variazione', "
                 "'SspArrCron', i - 1, i FROM n");
    Start();
    lookUp("R1");
    key(Qt::Key_F7);
    ASSERT_TRUE(form->c.PictStorico->isVisible());
    EXPECT_TRUE(Lines(form->c.ListaStorico).value(1).endsWith("\"699\" -> \"700\""));
    // End, again and again, as an operator reaching for the oldest change.
    QStringList lines;
    for (int presses = 0; presses < 50 && lines.size() < 1400; ++presses) {
        key(Qt::Key_End);
        QApplication::processEvents();
        lines = Lines(form->c.ListaStorico);
    }
    ASSERT_EQ(lines.size(), 1400);
    EXPECT_TRUE(lines.last().endsWith("\"0\" -> \"1\"")) << lines.last().toStdString();
    EXPECT_EQ(lines.filter("VARIAZIONE").size(), 700);
    EXPECT_EQ(lines.removeDuplicates(), 0);
    key(Qt::Key_Escape);
    EXPECT_FALSE(form->c.PictStorico->isVisible());
}
