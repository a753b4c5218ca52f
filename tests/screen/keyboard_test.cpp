// Keyboard navigation and the input filters of the window Startup, driven by
// real key events: Up, Down and Enter by field index, the filters by field
// class, fields that move on when full, amounts, the mirrored custody series,
// and a whole register set filled and confirmed without the mouse.
#include "startup_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <vector>

namespace screen_tests {

namespace {

using store::Field::Last;         // the end of the field ring, wherever fields are added
using store::Field::MeccanogCin;  // the authorisation's one-character check field

// The field after i in the ring: from the last, round to the first.
constexpr int NextInRing(int i) { return i == Last ? store::Field::First : i + 1; }

class KeyboardTest : public StartupFixture {
protected:
    // The field index of the control with the focus: 0 for DicKod, -1 for a
    // control that is no field (a button, a list, a date picker).
    int at() const
    {
        QWidget* control = focused();
        if (control == form->c.DicKod)
            return 0;
        for (int i = store::Field::First; i <= store::Field::Last; ++i)
            if (control == form->c.Txt[i])
                return i;
        return -1;
    }

    // Puts the focus on a field as a click would, through the runtime.
    void focusField(int index)
    {
        ASSERT_TRUE(form->runtime().SetFocus(form->c.Txt[index])) << index;
        settle();
        ASSERT_EQ(at(), index);
    }

    // The fields visited by pressing `k` `count` times, starting where the focus is.
    std::vector<int> walk(Qt::Key k, int count)
    {
        std::vector<int> visited;
        for (int n = 0; n < count; ++n) {
            key(k);
            visited.push_back(at());
        }
        return visited;
    }

    // A new register: the screen as the clear routine leaves it, in insert mode.
    void newRegister()
    {
        Start();
        lookUp("NEW", store::BoxAnswer::Yes);
        ASSERT_EQ(form->ScreenMode, screen::Mode::Inserimento);
    }
};

// The register panel's ring for Down from Txt(1): the header lines 2-21 (on
// their hidden panel) and the disabled custody work series 38, 40, 42 and 44
// are passed over; Txt(61) comes in its place, after 60.
std::vector<int> RegisterRing()
{
    std::vector<int> ring{22};
    for (int i = 23; i <= store::Field::Last; ++i)
        if (i != 38 && i != 40 && i != 42 && i != 44)
            ring.push_back(i);
    ring.push_back(1);
    return ring;
}

}  // namespace

// Up, Down and Enter move by field index, Enter on the code field and on the
// last field by the tab order.
TEST_F(KeyboardTest, UpDownAndEnterFromTheCodeFieldAndTheFieldsAtTheEndsOfTheOrder)
{
    Start();
    key(Qt::Key_Down);
    EXPECT_EQ(at(), 1);

    form->runtime().SetFocus(form->c.DicKod);
    settle();
    key(Qt::Key_Up);
    EXPECT_EQ(at(), Last);

    // With a code typed, leaving by Up looks the register up first.
    form->runtime().SetFocus(form->c.DicKod);
    settle();
    type("r1");
    key(Qt::Key_Up);
    EXPECT_EQ(form->ScreenMode, screen::Mode::Variazione);
    EXPECT_EQ(text(1), "MAGAZZINO NORD");
    EXPECT_EQ(at(), Last);

    click(form->c.cmdD[screen::CmdD::Annulla]);
    lookUp("R1");
    EXPECT_EQ(at(), 1);
    EXPECT_EQ(text(0), "R1") << "Enter was typed into the code field";

    // Txt(61) stands last in the tab order: Enter moves by index to it.
    focusField(60);
    key(Qt::Key_Return);
    EXPECT_EQ(at(), 61);
    key(Qt::Key_Return);
    EXPECT_EQ(at(), 62);

    // On the last field Enter is Tab: on to the first button, not round to Txt(1).
    focusField(Last);
    key(Qt::Key_Return);
    EXPECT_EQ(focused(), form->c.cmdD[screen::CmdD::Conferma]);

    // Enter is never typed into a field, whatever the field's class.
    for (int i : {1, 23, 35, 66}) {
        focusField(i);
        const QString before = text(i);
        key(Qt::Key_Return);
        EXPECT_EQ(text(i), i == 35 ? "150.000,00" : before) << i;
        EXPECT_FALSE(text(i).contains('\r')) << i;
    }
}

TEST_F(KeyboardTest, UpAndDownPassOverTheHeaderLinesAndTheDisabledCustodySeriesAndKeepToTheHeaderPanel)
{
    Start();
    lookUp("R1");
    ASSERT_EQ(at(), 1);
    const std::vector<int> ring = RegisterRing();
    EXPECT_EQ(walk(Qt::Key_Down, int(ring.size())), ring);

    std::vector<int> back(ring.rbegin() + 1, ring.rend());
    back.push_back(1);
    EXPECT_EQ(walk(Qt::Key_Up, int(back.size())), back);
    // Leaving the fields on the way formatted the amounts and kept the data.
    EXPECT_EQ(text(35), "150.000,00");
    EXPECT_EQ(text(22), "A");

    // With both panels that hold fields out of use a full turn of the ring
    // finds nothing, and the field index stays where it was.
    focusField(22);
    form->c.Pict[1]->setEnabled(false);
    form->NextField();
    EXPECT_EQ(form->CurField, 22);
    form->PreviousField();
    EXPECT_EQ(form->CurField, 22);
    form->c.Pict[1]->setEnabled(true);

    // On the header panel they visit only its lines.
    click(form->c.cmdD[screen::CmdD::Testate]);
    ASSERT_TRUE(form->c.Pict[2]->isVisible());
    ASSERT_EQ(at(), 2);

    std::vector<int> down;
    for (int i = 3; i <= 21; ++i)
        down.push_back(i);
    down.push_back(2);
    EXPECT_EQ(walk(Qt::Key_Down, 20), down);

    std::vector<int> up{21};
    for (int i = 20; i >= 2; --i)
        up.push_back(i);
    EXPECT_EQ(walk(Qt::Key_Up, 20), up);

    // Enter is Down here too, and a line of 160 characters never moves on by itself.
    key(Qt::Key_Return);
    EXPECT_EQ(at(), 3);
    type("abc");
    EXPECT_EQ(at(), 3);
    EXPECT_EQ(text(3), "abc") << "header lines take what is typed, unfiltered";
}

// A field of fixed length moves on by itself once its last character is in,
// never before; a series of one character waits for the operator.
TEST_F(KeyboardTest, FieldsMoveOnWhenFullAndNotBefore)
{
    // The screen as the clear routine leaves it: every field holds one blank,
    // selected when the field is entered. The first character replaces it.
    Start();
    key(Qt::Key_Down);
    ASSERT_EQ(at(), 1);
    const struct {
        int field;
        QString typed, shown;
        int next;
    } cases[] = {
        {22, "ab", "AB", 23},          {36, "ab", "AB", 37},          {50, "c", "C", 50},
        {37, "123456", "123456", 39},  // 38, disabled, is passed over
        {66, "123456", "123456", 67},  {67, "x", "X", 68},
        {MeccanogCin, "k", "K", NextInRing(MeccanogCin)},  // from the last field round to Txt(1)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        focusField(c.field);
        ASSERT_EQ(text(c.field).trimmed(), "");
        for (int n = 0; n + 1 < c.typed.size(); ++n) {
            type(c.typed.mid(n, 1));
            EXPECT_EQ(at(), c.field) << "moved on after " << n + 1 << " characters";
        }
        type(c.typed.right(1));
        EXPECT_EQ(text(c.field), c.shown);
        EXPECT_EQ(at(), c.next);
    }
    EXPECT_EQ(text(23), " ") << "a character of the series landed in the next field";

    // Typed at the end of a series that holds one character (no selection),
    // the second character fills it and moves on.
    focusField(50);
    form->c.Txt[50]->deselect();
    form->c.Txt[50]->end(false);
    type("z");
    EXPECT_EQ(text(50), "CZ");
    EXPECT_EQ(at(), 51);

    // A new register: the numbers show 0, selected and replaced.
    form->runtime().SetFocus(form->c.DicKod);
    settle();
    lookUp("NEW", store::BoxAnswer::Yes);
    ASSERT_EQ(form->ScreenMode, screen::Mode::Inserimento);
    focusField(37);
    type("12345");
    EXPECT_EQ(at(), 37);
    type("6");
    EXPECT_EQ(text(37), "123456");
    EXPECT_EQ(at(), 39);

    // Backspace and Ctrl+C leave a one-character field where it is.
    focusField(67);
    key(Qt::Key_Backspace);
    EXPECT_EQ(text(67), "");
    EXPECT_EQ(at(), 67);
    type("7");
    EXPECT_EQ(text(67), "7");
    EXPECT_EQ(at(), 68);
    focusField(MeccanogCin);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(at(), MeccanogCin);
    EXPECT_EQ(QApplication::clipboard()->text(), " ") << "Ctrl+C still copies";
    key(Qt::Key_Backspace);
    EXPECT_EQ(at(), MeccanogCin);

    // Only the field being typed into moves on: from the last field Tab goes
    // to the first button, and what is typed there neither changes the field
    // nor moves the focus nor presses the button.
    focusField(Last);
    key(Qt::Key_Tab);
    ASSERT_EQ(focused(), form->c.cmdD[screen::CmdD::Conferma]);
    const QString kept = text(Last);
    type("x");
    EXPECT_EQ(focused(), form->c.cmdD[screen::CmdD::Conferma]);
    EXPECT_EQ(text(Last), kept);
    EXPECT_EQ(form->ScreenMode, screen::Mode::Inserimento) << "the button was pressed";
}

TEST_F(KeyboardTest, DigitsFieldsSwallowLettersAndLetEditingKeysThrough)
{
    newRegister();
    focusField(64);
    type("1a2-b.3");
    EXPECT_EQ(text(64), "123");
    key(Qt::Key_Backspace);
    EXPECT_EQ(text(64), "12");
    key(Qt::Key_A, Qt::ControlModifier);  // Ctrl+A types 1: a digits field swallows it
    EXPECT_EQ(text(64), "12");
    QApplication::clipboard()->setText("98");
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(text(64), "1298");
    form->c.Txt[64]->selectAll();
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "1298");
    EXPECT_EQ(at(), 64);

    // One short of full, a rejected letter is not typed but still moves on.
    key(Qt::Key_End);
    type("5");
    ASSERT_EQ(text(64), "12985");
    type("z");
    EXPECT_EQ(text(64), "12985");
    EXPECT_EQ(at(), 65);

    // A character typed with AltGr, which some systems report as Ctrl+Alt,
    // goes through the same filter: a letter never reaches a digits field.
    focusField(65);
    QTest::sendKeyEvent(QTest::Click, form->c.Txt[65], Qt::Key_X, "x",
                        Qt::ControlModifier | Qt::AltModifier);
    settle();
    EXPECT_EQ(text(65), "0");
    focusField(1);
    QTest::sendKeyEvent(QTest::Click, form->c.Txt[1], Qt::Key_At, "@",
                        Qt::ControlModifier | Qt::AltModifier);
    settle();
    EXPECT_EQ(text(1), "@");
}

// Either sign typed is the locale's decimal separator; leaving the field
// shows the amount with the locale's separators, and confirm reads them back.
TEST_F(KeyboardTest, AmountsAreTypedShownAndStoredInTheUsersLocale)
{
    const struct {
        QLocale locale;
        QString loaded, typed, whileTyping, left;
        double stored;
    } cases[] = {
        {QLocale(QLocale::Italian, QLocale::Italy), "150.000,00", "1234.5x", "1234,5", "1.234,50", 1234.5},
        // What the first row stored, shown under the other locale.
        {QLocale(QLocale::English, QLocale::UnitedStates), "1,234.50", "-1234,5", "-1234.5", "-1,234.50", -1234.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.loaded.toStdString());
        form.reset();
        QLocale::setDefault(c.locale);
        Start();
        lookUp("R1");
        EXPECT_EQ(text(35), c.loaded);
        focusField(35);
        type(c.typed);
        EXPECT_EQ(text(35), c.whileTyping);
        key(Qt::Key_Down);
        EXPECT_EQ(text(35), c.left);
        click(form->c.cmdD[screen::CmdD::Conferma]);
        EXPECT_DOUBLE_EQ(column("SspArrGaranz", "R1").toDouble(), c.stored);
    }
}

TEST_F(KeyboardTest, AnAmountOfBlanksIsLeftEmptyAndOneTooLongForItsSeparatorsKeepsEveryFigure)
{
    Start();
    lookUp("R1");
    for (int amount : {35, 49, 63}) {
        focusField(amount);
        form->runtime().SetText(form->c.Txt[amount], "   ");
        key(Qt::Key_Down);
        EXPECT_EQ(text(amount), "") << amount;
        EXPECT_EQ(at(), amount + 1);
    }

    focusField(49);
    type("9999999999,99");
    key(Qt::Key_Down);
    EXPECT_EQ(text(49), "9.999.999.999,99") << "the widest amount the pattern holds";
    focusField(35);
    type("1234567890123,5");
    key(Qt::Key_Down);
    EXPECT_EQ(text(35), "1234567890123,50");

    key(Qt::Key_C, Qt::AltModifier);
    EXPECT_DOUBLE_EQ(column("SspArrGaranz", "R1").toDouble(), 1234567890123.5);
    EXPECT_DOUBLE_EQ(column("SspCusGaranz", "R1").toDouble(), 9999999999.99);
    // Shown again and confirmed again, the amount stays whole.
    lookUp("R1");
    EXPECT_EQ(text(35), "1234567890123,50");
    key(Qt::Key_C, Qt::AltModifier);
    EXPECT_DOUBLE_EQ(column("SspArrGaranz", "R1").toDouble(), 1234567890123.5);
}

TEST_F(KeyboardTest, CustodyWorkSeriesFollowTheArrivalsWhileTheCustodySeriesIsSet)
{
    Start();
    lookUp("R1");
    ASSERT_EQ(text(36), "C");
    focusField(24);
    type("cmr");  // fills the field: moves on, and leaving it mirrors it
    EXPECT_EQ(at(), 25);
    EXPECT_EQ(text(24), "CMR");
    EXPECT_EQ(text(38), "CMR");

    // Emptying the custody series blanks all five custody work series.
    focusField(36);
    key(Qt::Key_Backspace);
    key(Qt::Key_Down);
    for (int i : {38, 40, 42, 44, 46})
        EXPECT_EQ(text(i), "") << i;

    // Setting it again copies the arrivals' five into them.
    focusField(36);
    type("c");
    key(Qt::Key_Down);
    for (int i : {24, 26, 28, 30, 32})
        EXPECT_EQ(text(i + 14), text(i)) << i + 14;
    EXPECT_EQ(text(40), "FAT");

    // While the custody series is empty a changed arrivals series is not copied.
    focusField(36);
    key(Qt::Key_Backspace);
    focusField(26);
    type("t1");
    key(Qt::Key_Down);
    EXPECT_EQ(text(40), "");
}

TEST_F(KeyboardTest, WholeRegisterSetIsFilledAndConfirmedFromTheKeyboard)
{
    newRegister();
    ASSERT_EQ(at(), 1);
    type("deposito di prova");
    key(Qt::Key_Return);
    ASSERT_EQ(at(), 22);
    // ARRIVI: series, number, five document types and numbers, row, guarantee.
    type("ab");
    type("42");
    key(Qt::Key_Return);
    type("dau");
    type("7");
    key(Qt::Key_Return);
    type("t1");
    key(Qt::Key_Return);
    EXPECT_EQ(at(), 27);
    for (int n = 0; n < 7; ++n)
        key(Qt::Key_Down);
    ASSERT_EQ(at(), 34);
    type("3");
    key(Qt::Key_Return);
    type("1500.5");
    key(Qt::Key_Return);
    // CUSTODIA and DEPOSITO series; the rest left as it is.
    ASSERT_EQ(at(), 36);
    type("cu");
    type("9");
    key(Qt::Key_Return);
    EXPECT_EQ(at(), 39);
    while (at() != 50 && at() > 0)
        key(Qt::Key_Down);
    ASSERT_EQ(at(), 50);
    type("d");
    key(Qt::Key_Down);
    type("123456");
    ASSERT_EQ(at(), 52);
    while (at() != 64 && at() > 0)
        key(Qt::Key_Down);
    type("11");
    key(Qt::Key_Return);
    type("22");
    key(Qt::Key_Return);
    type("123456");  // warehouse number, full: on to its check character
    ASSERT_EQ(at(), 67);
    type("q");
    ASSERT_EQ(at(), 68);
    type("ddt");
    ASSERT_EQ(at(), 69);
    type("ex1");
    ASSERT_EQ(at(), 70);

    // The period of ARRIVI, from 69 by Tab: the date picker and the month list.
    focusField(69);
    key(Qt::Key_Tab);
    ASSERT_EQ(focused(), form->c.lbData[0]);
    type("15032024");  // the whole year: the picker shows dd/MM/yyyy
    key(Qt::Key_Tab);
    ASSERT_EQ(focused(), form->c.Combo1[0]);
    key(Qt::Key_End);
    EXPECT_EQ(form->c.Combo1[0]->currentText(), "12");

    // Down from a month list goes by index from the last field visited.
    key(Qt::Key_Down);
    ASSERT_EQ(at(), 70);
    type("654321");
    ASSERT_EQ(at(), MeccanogCin);
    type("z");
    ASSERT_EQ(at(), NextInRing(MeccanogCin));

    key(Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(at(), 0) << "confirming returns to the code field";
    EXPECT_EQ(text(0), " ");

    // SspWkCSerie0 is mirrored from ARRIVI; the date is a day number.
    const std::pair<const char*, QVariant> stored[] = {
        {"SspDescrizione", "DEPOSITO DI PROVA"}, {"SspArrSerie", "AB"},     {"SspArrCron", 42},
        {"SspWkASerie0", "DAU"},                 {"SspWkACron0", 7},        {"SspWkASerie1", "T1"},
        {"SspArrRiga", 3},                       {"SspArrGaranz", 1500.5},  {"SspCusSerie", "CU"},
        {"SspWkCSerie0", "DAU"},                 {"SspCusCron", 9},         {"SspDepSerie", "D"},
        {"SspDepCron", 123456},                  {"SspUltimoCarico", 11},   {"SspUltimoScarico", 22},
        {"SspMagNum", "123456"},                 {"SspMagCin", "Q"},        {"SspSiglUC", "DDT"},
        {"SspSiglUD", "EX1"},                    {"SspMeccanogNum", 654321}, {"SspMeccanogCin", "Z"},
        {"SspArrPeriodo", 12},
        {"SspArrData", QDate(1899, 12, 30).daysTo(QDate(2024, 3, 15))},
    };
    for (const auto& [name, value] : stored)
        EXPECT_EQ(column(name, "NEW").toString(), value.toString()) << name;
}

}  // namespace screen_tests
