// The register search panel through the real window: opening it from the code
// field, the filters and their switch, the action button, picking a line, the
// keys while it is open, the lines it shows, and a query that fails.
#include "startup_fixture.h"

#include "lookups/search_list_model.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace screen_tests {

namespace {

// The demo company's R1 (series A, C, D; numbers 125, 40, 310; last load 10
// and unload 8; warehouse "1234  " and "X") after its code and description.
const QString R1Columns = QStringLiteral("A      125  C       40  D      310     10      8 1234X");
const QString R1 = QStringLiteral("R1        ");                          // fixed 10
const QString MagazzinoNord = QStringLiteral("MAGAZZINO NORD").leftJustified(29);

}  // namespace

class SearchPanel : public StartupFixture {
protected:
    // Types `code` into the register-code field and opens the panel with F4.
    void open(const QString& code = {})
    {
        Start();
        type(code);
        key(Qt::Key_F4);
    }

    QStringList lines() const { return Lines(form->c.Lista); }

    // The codes of the lines, whichever mode built them.
    QStringList codes() const
    {
        QStringList out;
        for (const QString& line : lines())
            out << (form->searchPanel().SearchField == 1 ? line.left(10) : line.mid(30, 10)).trimmed();
        return out;
    }

    bool panelOpen() const { return form->c.Pict[0]->isVisible(); }
    bool codeMode() const { return form->c.CodTab->isVisible() && !form->c.DescTab->isVisible(); }
    bool descriptionMode() const { return form->c.DescTab->isVisible() && !form->c.CodTab->isVisible(); }
    QPushButton* action() const { return form->c.cmd_r[0]; }
};

TEST_F(SearchPanel, OpensInCodeModeOnTheCodesThatBeginWithTheTypedText)
{
    open("ab");
    ASSERT_TRUE(panelOpen());
    EXPECT_TRUE(codeMode());
    EXPECT_TRUE(form->c.Lcod->isVisible());
    EXPECT_FALSE(form->c.Ldesc->isVisible());
    EXPECT_EQ(form->c.IETab->text(), "Registri IMPORT");
    EXPECT_EQ(form->c.CodTab->text(), "AB");
    EXPECT_EQ(codes(), QStringList({"AB01", "AB02"}));
    EXPECT_EQ(focused(), form->c.CodTab);
    EXPECT_FALSE(form->c.Pict[1]->isEnabled());
    EXPECT_EQ(action()->text(), "&X SELEZIONA");
    EXPECT_TRUE(action()->isVisible());
    // Leaving the code field for the panel ran no lookup (no box was expected).
    EXPECT_EQ(form->ScreenMode, screen::Mode::Gestione);
}

TEST_F(SearchPanel, DoubleClickOnTheCodeFieldOpensItTooAndTypingNarrowsTheList)
{
    Start();
    doubleClick(form->c.DicKod);
    ASSERT_TRUE(panelOpen());
    EXPECT_EQ(codes(), QStringList({"AB01", "AB02", "DEP7", "R1", "R2"}));
    EXPECT_FALSE(form->c.Pict[1]->isEnabled());
    type("a");
    EXPECT_EQ(codes(), QStringList({"AB01", "AB02"}));
    type("b0");
    EXPECT_EQ(codes(), QStringList({"AB01", "AB02"}));
    type("2");
    EXPECT_EQ(codes(), QStringList({"AB02"}));
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    EXPECT_EQ(codes(), QStringList({"AB01", "AB02"}));
}

// The filter's code, without the blank typed after it, goes to a new register.
TEST_F(SearchPanel, NewOffersTheTypedCodeToTheLookupAndStoresItWithoutTrailingBlanks)
{
    open();
    type("nw1 ");
    EXPECT_EQ(form->c.CodTab->text(), "NW1 ");
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_EQ(action()->text(), "&NUOVO");
    EXPECT_TRUE(action()->isVisible());

    boxes->expect(store::BoxAnswer::Yes);
    click(action());
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_EQ(boxes->seen()[0].prompt, "REGISTRO INESISTENTE: INSERISCO");
    EXPECT_FALSE(panelOpen());
    EXPECT_TRUE(form->c.Pict[1]->isEnabled());
    ASSERT_EQ(form->ScreenMode, screen::Mode::Inserimento);
    EXPECT_EQ(text(0), "NW1");
    EXPECT_EQ(focused(), form->c.Txt[1]);
    click(form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(company.scalar("SELECT count(*) FROM TabellaSerieSemplificata WHERE SspCodice LIKE '% '").toInt(), 0);
    EXPECT_EQ(company.scalar("SELECT SspCodice FROM TabellaSerieSemplificata WHERE SspCodice LIKE 'NW1%'").toString(),
              "NW1");
}

TEST_F(SearchPanel, NewRefusedReturnsToTheCodeField)
{
    open("zz9");
    boxes->expect(store::BoxAnswer::No);
    click(action());
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(form->ScreenMode, screen::Mode::Gestione);
    EXPECT_EQ(focused(), form->c.DicKod);
    EXPECT_TRUE(form->c.DicKod->isEnabled());
    EXPECT_EQ(company.count("TabellaSerieSemplificata"), 5);
}

TEST_F(SearchPanel, SelectMovesToTheListWhichSelectsItsFirstLineAndEnterPicks)
{
    open("r");
    // A double-click with no line selected does nothing.
    form->c.Lista->selectionModel()->clearSelection();
    form->searchPanel().Lista_DblClick();
    settle();
    EXPECT_TRUE(panelOpen());
    EXPECT_EQ(form->ScreenMode, screen::Mode::Gestione);

    ASSERT_EQ(action()->text(), "&X SELEZIONA");
    click(action());
    EXPECT_EQ(focused(), form->c.Lista);
    EXPECT_EQ(form->c.Lista->currentIndex().row(), 0);
    EXPECT_EQ(form->c.Lista->selectionModel()->selectedIndexes().size(), 1);
    EXPECT_EQ(action()->text(), "&X RICERCA");

    // "&X RICERCA" keeps the focus in the list; Enter there picks the line.
    click(action());
    EXPECT_EQ(focused(), form->c.Lista);
    form->c.Lista->setCurrentIndex(form->c.Lista->model()->index(1, 0));
    key(Qt::Key_Return);
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(text(0), "R2");
    EXPECT_EQ(text(1), "MAGAZZINO SUD");
    EXPECT_EQ(focused(), form->c.Txt[1]);
}

TEST_F(SearchPanel, LeavingAnEmptyFilterSwitchesToTheOtherAndBackAndAFilledOneStays)
{
    open();
    key(Qt::Key_Tab);
    ASSERT_TRUE(descriptionMode());
    EXPECT_TRUE(form->c.Ldesc->isVisible());
    EXPECT_FALSE(form->c.Lcod->isVisible());
    EXPECT_EQ(focused(), form->c.DescTab);
    EXPECT_EQ(form->c.DescTab->text(), "");
    // Every register, in description order.
    EXPECT_EQ(codes(), QStringList({"AB02", "AB01", "DEP7", "R1", "R2"}));
    type("mag");
    EXPECT_EQ(codes(), QStringList({"R1", "R2"}));
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Backspace);
    // Nothing matching outside code mode: no action to offer.
    type("qq");
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_FALSE(action()->isVisible());
    EXPECT_EQ(action()->text(), "");
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);

    // Enter acts as Tab while the panel is open.
    key(Qt::Key_Return);
    ASSERT_TRUE(codeMode());
    EXPECT_TRUE(form->c.Lcod->isVisible());
    EXPECT_EQ(focused(), form->c.CodTab);
    EXPECT_EQ(form->c.CodTab->text(), "");
    EXPECT_EQ(codes(), QStringList({"AB01", "AB02", "DEP7", "R1", "R2"}));

    // With text in it the filter stays.
    type("d");
    key(Qt::Key_Tab);
    EXPECT_TRUE(codeMode());
    EXPECT_NE(focused(), form->c.DescTab);
}

TEST_F(SearchPanel, ClickingTheListOrAPanelButtonKeepsTheFilterAnEmptyListSendsTheFocusBack)
{
    open();
    ASSERT_EQ(focused(), form->c.CodTab);
    click(form->c.Lista->viewport());
    EXPECT_EQ(focused(), form->c.Lista);
    EXPECT_TRUE(codeMode());

    click(form->c.CodTab);
    ASSERT_EQ(form->c.CodTab->text(), "");
    click(action());  // "&X SELEZIONA"
    EXPECT_EQ(focused(), form->c.Lista);
    EXPECT_TRUE(codeMode());

    // The same from the empty description filter.
    click(form->c.CodTab);
    key(Qt::Key_Tab);
    ASSERT_TRUE(descriptionMode());
    click(form->c.Lista->viewport());
    EXPECT_TRUE(descriptionMode());
    EXPECT_EQ(focused(), form->c.Lista);

    // An empty list given the focus sends it back to the filter.
    click(form->c.DescTab);
    key(Qt::Key_Return);
    ASSERT_TRUE(codeMode());
    type("qq");
    ASSERT_TRUE(lines().isEmpty());
    click(form->c.Lista->viewport());
    EXPECT_EQ(focused(), form->c.CodTab);
    EXPECT_EQ(form->c.CodTab->text(), "QQ");
    EXPECT_TRUE(codeMode());
}

TEST_F(SearchPanel, KeysWhileOpenUpperCaseUpDownF4DoNothingAndUscitaEndsTheProgram)
{
    open();
    type("ab");
    EXPECT_EQ(form->c.CodTab->text(), "AB");
    key(Qt::Key_Up);
    key(Qt::Key_Down);
    key(Qt::Key_F4);
    EXPECT_TRUE(panelOpen());
    EXPECT_EQ(focused(), form->c.CodTab);
    EXPECT_EQ(form->c.CodTab->text(), "AB");
    EXPECT_FALSE(form->c.List1->isVisible());
    EXPECT_EQ(codes(), QStringList({"AB01", "AB02"}));
    EXPECT_EQ(endings, 0);
    click(form->c.cmd_r[1]);
    EXPECT_EQ(endings, 1);
}

// Escape puts the panel away from the filter (empty or not) and from the list:
// nothing is looked up, no box, the code field holds what it held.
TEST_F(SearchPanel, EscapeClosesItWithNothingLookedUpBackInTheCodeField)
{
    open("ab");
    type("0");
    key(Qt::Key_Escape);
    EXPECT_FALSE(panelOpen());
    EXPECT_TRUE(form->c.Pict[1]->isEnabled());
    EXPECT_EQ(focused(), form->c.DicKod);
    EXPECT_EQ(text(0), "AB");
    EXPECT_EQ(form->ScreenMode, screen::Mode::Gestione);
    EXPECT_TRUE(boxes->seen().empty());

    // From the list, and with an empty filter (Escape used to do nothing there).
    key(Qt::Key_F4);
    ASSERT_TRUE(panelOpen());
    click(action());
    ASSERT_EQ(focused(), form->c.Lista);
    key(Qt::Key_Escape);
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(focused(), form->c.DicKod);
    form->runtime().SetText(form->c.DicKod, QString());
    key(Qt::Key_F4);
    ASSERT_TRUE(panelOpen());
    key(Qt::Key_Escape);
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(focused(), form->c.DicKod);
    EXPECT_EQ(endings, 0);
    EXPECT_TRUE(boxes->seen().empty());

    // Enter then looks up the code as usual.
    type("r1");
    key(Qt::Key_Return);
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
}

TEST_F(SearchPanel, TheLineOfR1InBothModesIsPickedBackAsR1)
{
    open("r1");
    ASSERT_EQ(lines().size(), 1);
    EXPECT_EQ(lines()[0], R1 + ' ' + MagazzinoNord + ' ' + R1Columns);
    doubleClickLine(form->c.Lista, 0);
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(text(0), "R1");
    EXPECT_EQ(text(1), "MAGAZZINO NORD");
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(focused(), form->c.Txt[1]);

    // Back to the code field, and the same register by its description.
    click(form->c.cmdD[screen::CmdD::Annulla]);
    ASSERT_EQ(focused(), form->c.DicKod);
    key(Qt::Key_F4);
    ASSERT_TRUE(panelOpen());
    key(Qt::Key_Tab);
    ASSERT_TRUE(descriptionMode());
    type("magazzino n");
    ASSERT_EQ(lines().size(), 1);
    EXPECT_EQ(lines()[0], MagazzinoNord + ' ' + R1 + ' ' + R1Columns);
    doubleClickLine(form->c.Lista, 0);
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(text(0), "R1");
    EXPECT_FALSE(form->c.CodTab->isHidden());  // the panel will reopen in code mode
    EXPECT_TRUE(form->c.DescTab->isHidden());
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
}

TEST_F(SearchPanel, ACodeStoredWithABlankAtItsEndIsShownQuotedAndItsLinePicksThatSet)
{
    // A company from before the code rule, with a look-alike of R1.
    company.exec("DROP TRIGGER \"TabellaSerieSemplificata_codice_nuovo\"");
    company.exec("INSERT INTO TabellaSerieSemplificata (SspCodice, SspDescrizione) VALUES ('R1 ', 'SOSIA')");
    open("r1");
    ASSERT_EQ(lines().size(), 2);
    EXPECT_EQ(lines()[0], R1 + ' ' + MagazzinoNord + ' ' + R1Columns);
    EXPECT_TRUE(lines()[1].startsWith(QStringLiteral("\"R1 \"      SOSIA "))) << lines()[1].toStdString();
    doubleClickLine(form->c.Lista, 1);
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(form->RegisterRecord.SspCodice, "R1 ");
    EXPECT_EQ(text(1), "SOSIA");
}

TEST_F(SearchPanel, QuotesAndWildcardsInTheFilterAreText)
{
    company.exec("INSERT INTO TabellaSerieSemplificata (SspCodice, SspDescrizione) VALUES"
                 " ('O''K1', 'APICE'), ('O''K2', 'APICE'), ('OK3', 'NO'),"
                 " ('50%A', 'PERCENTO'), ('50XA', 'NO'), ('5_B', 'SOTTOLINEATO'), ('5XB', 'NO'),"
                 " ('AB\\1', 'BARRA'), ('Q*1', 'STELLA'), ('q*2', 'STELLA'), ('QX1', 'NO'),"
                 " ('D1', '5* STELLE'), ('D2', '5X STELLE'), ('5*X', '55 STELLE')");
    open();
    type("o'");
    EXPECT_EQ(codes(), QStringList({"O'K1", "O'K2"}));
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    type("50%");
    EXPECT_EQ(codes(), QStringList({"50%A"}));
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Backspace);
    type("5_");
    EXPECT_EQ(codes(), QStringList({"5_B"}));
    for (int i = 0; i < 2; ++i)
        key(Qt::Key_Backspace);
    type("ab\\");
    EXPECT_EQ(codes(), QStringList({"AB\\1"}));
    // A "*" typed is the engine's wildcard no more than any other character,
    // and the case of the stored code does not matter.
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Backspace);
    type("q*");
    EXPECT_EQ(codes(), QStringList({"Q*1", "q*2"}));
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    type("*");
    EXPECT_TRUE(codes().isEmpty());
    EXPECT_EQ(action()->text(), "&NUOVO");
    // By description the same: the description, not the code, begins with
    // the literal text.
    key(Qt::Key_Backspace);
    key(Qt::Key_Tab);
    ASSERT_TRUE(descriptionMode());
    type("5*");
    EXPECT_EQ(codes(), QStringList({"D1"}));
}

TEST_F(SearchPanel, AFailingQueryIsShownAndThePanelStaysUsable)
{
    open("r");
    ASSERT_EQ(lines().size(), 2);
    company.exec("ALTER TABLE TabellaSerieSemplificata RENAME COLUMN SspMagCin TO SspAltro");
    ASSERT_EQ(company.scalar("SELECT count(*) FROM pragma_table_info('TabellaSerieSemplificata') WHERE name = 'SspAltro'").toInt(), 1);
    boxes->expect(store::BoxAnswer::Ok);
    key(Qt::Key_End);
    type("1");
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_TRUE(boxes->seen()[0].prompt.startsWith("ERRORE NELLA RICERCA DEI REGISTRI\n"));
    EXPECT_GT(boxes->seen()[0].prompt.size(), QString("ERRORE NELLA RICERCA DEI REGISTRI\n").size());
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_TRUE(panelOpen());
    EXPECT_EQ(focused(), form->c.CodTab);

    company.exec("ALTER TABLE TabellaSerieSemplificata RENAME COLUMN SspAltro TO SspMagCin");
    key(Qt::Key_Backspace);
    EXPECT_EQ(codes(), QStringList({"R1", "R2"}));
    EXPECT_EQ(action()->text(), "&X SELEZIONA");
    doubleClickLine(form->c.Lista, 0);
    EXPECT_EQ(text(1), "MAGAZZINO NORD");
}

TEST_F(SearchPanel, ALongListComesWholeAndInOrderAndEndReachesItsLastLine)
{
    // More registers than a fill shows at once: the rest are read after it.
    company.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200) "
                 "INSERT INTO TabellaSerieSemplificata (SspCodice, SspDescrizione) "
                 "SELECT printf('G%04d', i), 'GENERATO' FROM n");
    QStringList all;
    for (int i = 1; i <= 1200; ++i)
        all << QStringLiteral("G%1").arg(i, 4, 10, QLatin1Char('0'));
    open("G");
    QTRY_COMPARE(codes(), all);
    // Once the list is whole, the file is free for the other workstations.
    company.exec("UPDATE TabellaSerieSemplificata SET SspDescrizione = 'ALTRA' WHERE SspCodice = 'G0001'");

    // A refill that replaces one still being read keeps none of its rows.
    form->searchPanel().FillSearchList("G");
    form->searchPanel().FillSearchList("G1");
    QTRY_COMPARE(codes(), all.filter(QRegularExpression("^G1")));

    // End pressed before the rest of a fill has come finds the last line.
    click(action());
    ASSERT_EQ(focused(), form->c.Lista);
    form->searchPanel().FillSearchList("G");
    form->c.Lista->setCurrentIndex(form->c.Lista->model()->index(0, 0));  // as the list's GotFocus does
    key(Qt::Key_End);
    EXPECT_EQ(form->c.Lista->currentIndex().row(), 1199);
    EXPECT_EQ(form->c.Lista->currentIndex().data().toString().left(5), "G1200");
}

// --- The line layout, without a window -----------------------------------------

TEST(SearchListLine, PadsAndCutsEachColumnAndShowsNullsAsBlanks)
{
    lookups::SearchListModel::Row row;
    row.code = QStringLiteral("ABCDEFGHIJK");                  // 11: cut to 10
    row.description = QString(30, QLatin1Char('D'));           // 30: loses its last
    row.series[0] = QStringLiteral("ABCD");                    // cut to 3
    row.series[1] = QStringLiteral("  ");                      // blank: one blank, padded
    row.series[2] = QStringLiteral("Z");
    row.cron[0] = 0;
    row.cron[1] = 999999;
    row.cron[2] = 12.6;                                        // a whole number, "#0"
    row.carico = 1234567;                                      // 7 digits: written whole
    row.scarico = 6;
    row.magNum = QStringLiteral("  12  ");
    row.magCin = QStringLiteral("W ");
    const QString rest = QStringLiteral("ABC") + ' ' + "     0" + "  " + "   " + ' ' + "999999" + "  " + "Z  " +
                         ' ' + "    13" + ' ' + "1234567" + ' ' + "     6" + ' ' + "12W ";
    EXPECT_EQ(lookups::SearchListModel::BuildLine(row, true),
              QStringLiteral("ABCDEFGHIJ ") + QString(29, QLatin1Char('D')) + ' ' + rest);
    EXPECT_EQ(lookups::SearchListModel::BuildLine(row, false),
              QString(29, QLatin1Char('D')) + QStringLiteral(" ABCDEFGHIJ ") + rest);

    // Null values show as blanks: code, blank, description, then 50 columns
    // of blanks up to the warehouse. A blank number shows like a Null one.
    lookups::SearchListModel::Row nulls;
    nulls.code = QStringLiteral("N");
    const QString line = lookups::SearchListModel::BuildLine(nulls, true);
    EXPECT_EQ(line, QStringLiteral("N") + QString(89, QLatin1Char(' ')));
    nulls.cron[0] = QStringLiteral("  ");
    EXPECT_EQ(lookups::SearchListModel::BuildLine(nulls, true), line);
}

// --- The model's packed rows, filled from a snapshot of given rows ---------------

namespace {

class RowsSnapshot : public store::Snapshot {
public:
    static inline const QStringList Names = {
        "SspCodice", "SspDescrizione", "SspArrSerie", "SspArrCron", "SspCusSerie", "SspCusCron",
        "SspDepSerie", "SspDepCron", "SspUltimoCarico", "SspUltimoScarico", "SspMagNum", "SspMagCin"};
    explicit RowsSnapshot(std::vector<QVariantList> rows, int failAt = -1)
        : rows_(std::move(rows)), failAt_(failAt) {}
    bool atEnd() const override { return at_ >= int(rows_.size()); }
    void moveNext() override
    {
        if (++at_ == failAt_)
            throw store::EngineError(3146, "disco guasto");
    }
    int fieldIndex(const QString& name) const override
    {
        const int index = int(Names.indexOf(name));
        if (index < 0)
            throw store::EngineError(3265, name);
        return index;
    }
    store::Value field(int index) const override { return rows_[std::size_t(at_)][index]; }
    store::Value field(const QString& name) const override { return field(fieldIndex(name)); }
    qsizetype appendText(int index, QString& out) const override
    {
        const store::Value value = field(index);
        if (value.isNull())
            return -1;
        out += value.toString();
        return value.toString().size();
    }
    void close() override {}

private:
    std::vector<QVariantList> rows_;
    int at_ = 0;
    int failAt_;
};

QVariantList registerRow(const QString& code, const QVariant& description, const QVariant& cron = 7)
{
    return {code, description, "A", cron, QVariant(), QVariant(), "C", 3.0, 1, 2, QVariant(), "Z"};
}

}  // namespace

// What the model packs and unpacks gives the line its row's values give.
TEST(SearchListModel, KeepsEveryValueOfEveryRowForItsLine)
{
    const std::vector<QVariantList> rows{registerRow("A1", "PRIMO"), registerRow("A2", QVariant(), "12/40/2020"),
                                         registerRow("A3", "TERZO", "X")};
    lookups::SearchListModel model;
    RowsSnapshot snapshot(rows);
    model.refill(snapshot, true);
    ASSERT_EQ(model.rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const QVariantList& v = rows[std::size_t(row)];
        lookups::SearchListModel::Row expected{v[0], v[1], {v[2], v[4], v[6]}, {v[3], v[5], v[7]},
                                               v[8], v[9], v[10], v[11]};
        EXPECT_EQ(model.line(row), lookups::SearchListModel::BuildLine(expected, true)) << row;
    }
    // A number column holding text that is no number shows the text.
    EXPECT_EQ(model.line(1).mid(45, 10), "12/40/2020");
    EXPECT_EQ(model.line(2).mid(45, 6), "     X");
    EXPECT_EQ(model.index(0, 0).data().toString(), model.line(0));
}

TEST(SearchListModel, AFailureLeavesTheListEmpty)
{
    lookups::SearchListModel model;
    RowsSnapshot good({registerRow("A1", "PRIMO")});
    model.refill(good, true);
    RowsSnapshot failing({registerRow("B1", "X"), registerRow("B2", "Y"), registerRow("B3", "Z")}, 2);
    EXPECT_THROW(model.refill(failing, true), store::EngineError);
    EXPECT_EQ(model.rowCount(), 0);
    RowsSnapshot again({registerRow("C1", "X")});
    model.refill(again, true);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.line(0).left(2), "C1");
}

}  // namespace screen_tests
