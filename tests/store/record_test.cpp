// RegisterRecord and the field map: conversions both ways under the Italian and
// the English locale, day numbers, fixed-width texts, and the field positions.
#include "opened_company.h"

#include "store/engine/null_conversions.h"
#include "store/record/screen_values.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace store;

namespace {

struct LocaleScope {
    explicit LocaleScope(QLocale::Language language, QLocale::Country country)
    {
        QLocale::setDefault(QLocale(language, country));
    }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

}  // namespace

TEST(Conversions, NullBlankNumbersDatesAndText)
{
    LocaleScope italian(QLocale::Italian, QLocale::Italy);
    EXPECT_EQ(NullToNumber(QVariant()), 0);
    EXPECT_EQ(NullToNumber(" "), 0);
    EXPECT_EQ(NullToNumber(" 42 "), 42);
    EXPECT_EQ(NullToNumber("1.234,50"), 1234.5);
    EXPECT_EQ(NullToNumber("-7"), -7);
    EXPECT_EQ(NullToNumber("ABC"), 0);
    EXPECT_EQ(NullToNumber("15/09/2003"), 37879);
    EXPECT_EQ(NullToNumber("1/2/2004"), DayNumber(QDate(2004, 2, 1)));
    EXPECT_THROW(NullToNumber("31/02/2004"), EngineError);
    EXPECT_EQ(NullToNumber(qlonglong(37879)), 37879);

    EXPECT_EQ(NullToText(QVariant()), "");
    EXPECT_EQ(NullToText("  AB "), "AB");
    EXPECT_EQ(NullToFixed(QVariant()), " ");
    EXPECT_EQ(NullToFixed("   "), " ");
    EXPECT_EQ(NullToFixed(QString(QChar(0)) + "X"), " ");
    EXPECT_EQ(NullToFixed("12"), "12");
    EXPECT_EQ(Fixed("12", 6), "12    ");
    EXPECT_EQ(Fixed("1234567", 6), "123456");

    EXPECT_EQ(ToLong(2.5), 2);  // a half goes to the even neighbour
    EXPECT_EQ(ToLong(3.5), 4);
    EXPECT_THROW(ToLong(3e9), EngineError);
    EXPECT_THROW(ToInteger(40000), EngineError);
}

TEST(Conversions, AmountsFollowTheLocaleBothWays)
{
    {
        LocaleScope italian(QLocale::Italian, QLocale::Italy);
        EXPECT_EQ(FormatAmount(1234.5), "1.234,50");
        EXPECT_EQ(FormatAmount(0), "0,00");
        EXPECT_EQ(FormatAmount(1234567.891), "1.234.567,89");
        EXPECT_EQ(NullToNumber(FormatAmount(1234.5)), 1234.5);
        EXPECT_EQ(FormatAmountText("   "), "");
        EXPECT_EQ(FormatAmountText("1234,5"), "1.234,50");
        EXPECT_EQ(FormatAmountText("-"), "-");
        EXPECT_EQ(DecimalSeparator(), ',');
    }
    {
        LocaleScope english(QLocale::English, QLocale::UnitedStates);
        EXPECT_EQ(FormatAmount(1234.5), "1,234.50");
        EXPECT_EQ(NullToNumber("1,234.50"), 1234.5);
        EXPECT_EQ(NullToNumber("9/15/2003"), 37879);  // month first in this locale
        EXPECT_EQ(DecimalSeparator(), '.');
    }
}

TEST(FieldMap, RecordShowsInItsFieldsAndReadsBackUnchanged)
{
    LocaleScope italian(QLocale::Italian, QLocale::Italy);
    const RegisterRecord record = store_tests::FullRegister("R1", "MAGAZZINO NORD");
    ScreenValues screen = RegisterToScreen(record);
    // Each register's series and work positions 0 and 4, a line, two amounts, a fixed-width text.
    const std::pair<int, const char*> shown[] = {
        {22, "S0"}, {23, "100"}, {24, "A0"}, {25, "1000"}, {32, "A4"}, {33, "1004"}, {38, "B0"},
        {47, "1014"}, {52, "C0"}, {61, "1024"}, {34, "7"}, {35, "1.234,50"}, {63, "3.703,50"}, {66, "12    "}};
    for (const auto& [index, text] : shown)
        EXPECT_EQ(screen.Txt[index], text) << "Txt " << index;
    EXPECT_EQ(screen.comboIndex[2], 2);
    EXPECT_EQ(screen.pickerDate[0], QDate(2003, 9, 15));

    // What the window would hand back: the period lists' texts and the pickers.
    for (int k = 0; k < 3; ++k) {
        screen.comboText[k] = QString::number(k + 1).rightJustified(2);
        screen.pickerText[k] = screen.pickerDate[k].toString("dd/MM/yyyy");
    }
    RegisterRecord back;
    ScreenToRegister(screen, back);
    EXPECT_EQ(back, record);
}

TEST(FieldMap, BlankScreenValuesSaveAsZeroBlankAndTheMinimumDate)
{
    LocaleScope italian(QLocale::Italian, QLocale::Italy);
    RegisterRecord blank;
    blank.SspCodice = "NEW";
    ClearRegister(blank);
    ScreenValues screen = RegisterToScreen(blank);
    EXPECT_FALSE(screen.pickerDate[0].isValid());  // the picker goes to its minimum
    EXPECT_EQ(screen.comboIndex[0], -1);

    // The clear routine leaves one blank in every field; the pickers sit at 01/01/2000.
    for (int i = store::Field::First; i <= store::Field::Last; ++i)
        screen.Txt[i] = " ";
    for (int k = 0; k < 3; ++k) {
        screen.pickerDate[k] = QDate(2000, 1, 1);
        screen.pickerText[k] = "01/01/2000";
        screen.comboText[k].clear();
    }
    RegisterRecord back;
    ScreenToRegister(screen, back);
    EXPECT_EQ(back.Registers[0].Cron, 0);
    EXPECT_EQ(back.Registers[1].Garanz, 0);
    EXPECT_EQ(back.Registers[2].Serie, " ");
    EXPECT_EQ(back.Registers[0].Periodo, 0);
    EXPECT_EQ(back.Registers[0].Data, 36526);
    EXPECT_EQ(back.SspMagNum, "      ");

    // A text with two "/" in a number field is stored as its day number.
    screen.Txt[23] = "1/2/2004";
    ScreenToRegister(screen, back);
    EXPECT_EQ(back.Registers[0].Cron, DayNumber(QDate(2004, 2, 1)));
}
