// RegisterRecord and the field map: conversions both ways under the Italian and
// the English locale, day numbers, fixed-width texts, and the field positions.
#include "store/null_conversions.h"
#include "store/screen_values.h"

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
    RegisterRecord record;
    record.SspCodice = "R1";
    record.SspDescrizione = "MAGAZZINO NORD";
    for (int k = 0; k < 3; ++k) {
        auto& reg = record.Registers[k];
        reg.Serie = QString("S%1").arg(k);
        reg.Cron = 100 + k;
        reg.Riga = 7 + k;
        reg.Garanz = 1234.5 * (k + 1);
        reg.Periodo = std::int16_t(k + 1);
        reg.Data = 37879 + k;
        for (int n = 0; n < 5; ++n) {
            reg.WkSerie[n] = QString("%1%2").arg(QChar('A' + k)).arg(n);
            reg.WkCron[n] = 10 * k + n;
        }
    }
    record.SspUltimoCarico = 11;
    record.SspUltimoScarico = 12;
    record.SspMagNum = "12    ";
    record.SspMagCin = "X";
    record.SspMeccanogNum = 999;
    record.SspMeccanogCin = "K";
    record.SspSiglUC = "DAU";
    record.SspSiglUD = "T1";

    ScreenValues screen = RegisterToScreen(record);
    // The first, the serie and the work positions 0 and 4 of each register, an amount, a fixed text.
    const std::pair<int, const char*> shown[] = {{22, "S0"}, {23, "100"}, {24, "A0"}, {25, "0"}, {32, "A4"},
                                                 {33, "4"},  {38, "B0"},  {47, "14"}, {52, "C0"}, {61, "24"},
                                                 {34, "7"},  {35, "1.234,50"}, {63, "3.703,50"}, {66, "12    "}};
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
    for (int i = 1; i <= 71; ++i)
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
