// The document-type list and check through the real window: where the list
// opens, picking from it, the check of a typed code when the field is left,
// and the ways of leaving a field that must not check it.
#include "startup_fixture.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

namespace screen_tests {

class DocTypeList : public StartupFixture {
protected:
    // R1 on the screen (its custody series is "C") and the focus in Txt(index).
    void enter(int index)
    {
        Start();
        lookUp("R1");
        ASSERT_EQ(form->ScreenMode, screen::Mode::Variazione);
        form->runtime().SetFocus(form->c.Txt[index]);
        settle();
        ASSERT_EQ(focused(), form->c.Txt[index]);
    }

    QListView* list() const { return form->c.List1; }

    QStringList lines() const { return Lines(list()); }

    int rowOf(const QString& code) const
    {
        const QStringList all = lines();
        for (int row = 0; row < all.size(); ++row)
            if (all[row].left(4).trimmed() == code)
                return row;
        return -1;
    }

    // Replaces what the field holds without leaving it.
    void setText(int index, const QString& text)
    {
        form->runtime().SetText(form->c.Txt[index], text);
        settle();
    }
};

// F4 opens the list under a document-type field, kept inside the window:
// against its right edge, or above a field near its bottom. Elsewhere F4 shows nothing.
TEST_F(DocTypeList, F4OpensTheListUnderTheFieldInsideTheWindow)
{
    enter(1);
    key(Qt::Key_F4);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(focused(), form->c.Txt[1]);

    const auto openAt = [this](int index) {
        form->runtime().SetFocus(form->c.Txt[index]);
        settle();
        key(Qt::Key_F4);
        EXPECT_TRUE(list()->isVisible()) << index;
        EXPECT_EQ(focused(), list()) << index;
        return form->c.Txt[index];
    };
    QLineEdit* field = openAt(24);
    EXPECT_EQ(list()->pos(), QPoint(field->x(), field->y() + field->height()));
    EXPECT_EQ(lines().size(), 10);
    key(Qt::Key_F2);

    field = form->c.Txt[52];
    ASSERT_GT(field->x() + list()->width(), form->c.window->width());
    openAt(52);
    EXPECT_EQ(list()->pos(), QPoint(form->c.window->width() - list()->width(), field->y() + field->height()));
    key(Qt::Key_F2);

    // The placement follows the field wherever it stands: bring one near the bottom.
    field = form->c.Txt[68];
    field->move(field->x(), form->c.window->height() - field->height() - 10);
    openAt(68);
    EXPECT_EQ(list()->pos(), QPoint(field->x(), field->y() - list()->height()));
}

TEST_F(DocTypeList, APickWritesTheCodeCutToTheFieldCopiesItToCustodyAndMovesOnNoPickOnlyMovesOn)
{
    company.exec("INSERT INTO TabellaDocScorta (Codice, Descrizione, tipo) VALUES ('ABCD', 'QUATTRO', 'X')");
    enter(26);
    ASSERT_EQ(text(36), "C");  // a custody series: arrivals work series are copied
    key(Qt::Key_F4);
    const int row = rowOf("DDT");
    ASSERT_GE(row, 0);
    doubleClickLine(list(), row);
    EXPECT_EQ(text(26), "DDT");
    EXPECT_EQ(text(40), "DDT");
    EXPECT_EQ(focused(), form->c.Txt[27]);
    EXPECT_FALSE(list()->isVisible());

    // A two-letter code comes without its padding.
    form->runtime().SetFocus(form->c.Txt[68]);
    settle();
    key(Qt::Key_F4);
    doubleClickLine(list(), rowOf("BL"));
    EXPECT_EQ(text(68), "BL");
    EXPECT_EQ(focused(), form->c.Txt[69]);

    // A code longer than the field is cut to its length.
    form->runtime().SetFocus(form->c.Txt[24]);
    settle();
    key(Qt::Key_F4);
    doubleClickLine(list(), rowOf("ABCD"));
    EXPECT_EQ(text(24), "ABC");

    // A double-click with no line selected only moves on.
    form->runtime().SetFocus(form->c.Txt[24]);
    settle();
    key(Qt::Key_F4);
    list()->selectionModel()->clearSelection();
    list()->setCurrentIndex(QModelIndex());
    form->docTypeList().List1_DblClick();
    settle();
    EXPECT_EQ(text(24), "ABC");
    EXPECT_EQ(focused(), form->c.Txt[25]);
    EXPECT_FALSE(list()->isVisible());
}

// Escape puts the list away: the field keeps its code and the focus, nothing checked.
TEST_F(DocTypeList, EscapeClosesTheListLeavingTheFieldAsItWas)
{
    enter(24);
    const QString before = form->c.Txt[24]->text();
    key(Qt::Key_F4);
    ASSERT_TRUE(list()->isVisible());
    ASSERT_EQ(focused(), list());
    key(Qt::Key_Escape);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(focused(), form->c.Txt[24]);
    EXPECT_EQ(form->c.Txt[24]->text(), before);
    EXPECT_TRUE(boxes->seen().empty());
    EXPECT_EQ(endings, 0);
}

TEST_F(DocTypeList, AnUnknownCodeIsReportedAndTheFocusStaysAnEmptyOrBlankOneIsAllowed)
{
    enter(24);
    for (const QString blank : {"", "  "}) {
        setText(24, blank);
        key(Qt::Key_Return);
        EXPECT_EQ(focused(), form->c.Txt[25]);
        form->runtime().SetFocus(form->c.Txt[24]);
    }
    EXPECT_TRUE(boxes->seen().empty());

    setText(24, "ZZ");
    boxes->expect(store::BoxAnswer::Ok);
    key(Qt::Key_Return);
    ASSERT_EQ(boxes->seen().size(), 1u);
    EXPECT_EQ(boxes->seen()[0].prompt, "TIPO DOCUMENTO INESISTENTE");
    EXPECT_EQ(boxes->seen()[0].code, store::BoxCode::OkOnly);
    EXPECT_NE(boxes->seen()[0].title, "MORVANEX - ERRORE");
    EXPECT_FALSE(boxes->seen()[0].title.isEmpty());
    EXPECT_EQ(focused(), form->c.Txt[24]);
    EXPECT_EQ(text(24), "ZZ");

    // Leaving again repeats the check; a known code, in any case, passes.
    boxes->expect(store::BoxAnswer::Ok);
    key(Qt::Key_Down);
    EXPECT_EQ(boxes->seen().size(), 2u);
    EXPECT_EQ(focused(), form->c.Txt[24]);
    setText(24, "fat");
    key(Qt::Key_Down);
    EXPECT_EQ(boxes->seen().size(), 2u);
    EXPECT_EQ(focused(), form->c.Txt[25]);
}

TEST_F(DocTypeList, ClickingElsewhereHidesTheList)
{
    enter(24);
    key(Qt::Key_F4);
    ASSERT_TRUE(list()->isVisible());
    click(form->c.Txt[1]);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(focused(), form->c.Txt[1]);
}

// Only leaving the field for another checks it: not opening the list (by F4
// or a double-click), not F2 back from it, not the exit, which ends the
// program without the box.
TEST_F(DocTypeList, OpeningTheListClosingItAndExitingDoNotCheckTheField)
{
    enter(24);
    setText(24, "ZZ");
    key(Qt::Key_F4);
    EXPECT_TRUE(list()->isVisible());
    EXPECT_EQ(focused(), list());

    // F2 goes back to the field, and does not leave the program.
    key(Qt::Key_F2);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(focused(), form->c.Txt[24]);
    EXPECT_EQ(endings, 0);

    doubleClick(form->c.Txt[24]);
    EXPECT_TRUE(list()->isVisible());
    EXPECT_EQ(focused(), list());
    key(Qt::Key_F2);
    ASSERT_EQ(focused(), form->c.Txt[24]);

    click(form->c.cmdD[screen::CmdD::Uscita]);
    EXPECT_EQ(endings, 1);
    EXPECT_TRUE(boxes->seen().empty());
}

TEST_F(DocTypeList, LinesHaveFixedColumnsAndNullsShowBlank)
{
    company.exec("INSERT INTO TabellaDocScorta (Codice, Descrizione, tipo) VALUES"
                 " ('XY', 'ABCDE', 'Q'),"
                 " ('LNG', '123456789012345678901234567890X', NULL),"
                 " ('NUL', NULL, NULL)");
    Start();
    const QStringList all = lines();
    ASSERT_GE(rowOf("XY"), 0);
    EXPECT_EQ(all[rowOf("XY")], "XY   - ABCDE" + QString(25, ' ') + " - Q");
    EXPECT_EQ(all[rowOf("LNG")], "LNG  - 123456789012345678901234567890 - ");
    EXPECT_EQ(all[rowOf("NUL")], "NUL  - " + QString(30, ' ') + " - ");
    EXPECT_EQ(all[rowOf("DAU")], "DAU  - DOCUMENTO AMMINISTRATIVO UNICO - I");
}

}  // namespace screen_tests
