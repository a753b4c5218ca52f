// The field map between RegisterRecord and the entry screen's values.
#include "store/screen_values.h"

#include "store/null_conversions.h"

namespace store {

QString Decimal(std::int32_t number)
{
    return QString::number(number);
}

ScreenValues RegisterToScreen(const RegisterRecord& record)
{
    ScreenValues screen;
    screen.DicKod = record.SspCodice;
    screen.Txt[1] = record.SspDescrizione;
    for (int k = 0; k < 3; ++k) {
        const auto& reg = record.Registers[k];
        const int b = RegisterBase[k];
        screen.comboIndex[k] = reg.Periodo >= 1 && reg.Periodo <= 12 ? reg.Periodo - 1 : -1;
        screen.pickerDate[k] = reg.Data > 0 ? DateOfDay(reg.Data) : QDate();
        screen.Txt[b] = reg.Serie;
        screen.Txt[b + 1] = Decimal(reg.Cron);
        for (int n = 0; n < 5; ++n) {
            screen.Txt[b + 2 + 2 * n] = reg.WkSerie[n];
            screen.Txt[b + 3 + 2 * n] = Decimal(reg.WkCron[n]);
        }
        screen.Txt[b + 12] = Decimal(reg.Riga);
        screen.Txt[b + 13] = FormatAmount(reg.Garanz);
    }
    screen.Txt[64] = Decimal(record.SspUltimoCarico);
    screen.Txt[65] = Decimal(record.SspUltimoScarico);
    screen.Txt[66] = record.SspMagNum;
    screen.Txt[67] = record.SspMagCin;
    screen.Txt[68] = record.SspSiglUC;
    screen.Txt[69] = record.SspSiglUD;
    screen.Txt[70] = Decimal(record.SspMeccanogNum);
    screen.Txt[71] = record.SspMeccanogCin;
    return screen;
}

void ScreenToRegister(const ScreenValues& screen, RegisterRecord& record)
{
    record.SspCodice = screen.DicKod;
    record.SspDescrizione = screen.Txt[1];
    for (int k = 0; k < 3; ++k) {
        auto& reg = record.Registers[k];
        const int b = RegisterBase[k];
        reg.Periodo = ToInteger(NullToNumber(screen.comboText[k]));
        if (!screen.pickerText[k].trimmed().isEmpty() && screen.pickerDate[k].isValid())
            reg.Data = DayNumber(screen.pickerDate[k]);
        reg.Serie = screen.Txt[b];
        reg.Cron = ToLong(NullToNumber(screen.Txt[b + 1]));
        for (int n = 0; n < 5; ++n) {
            reg.WkSerie[n] = screen.Txt[b + 2 + 2 * n];
            reg.WkCron[n] = ToLong(NullToNumber(screen.Txt[b + 3 + 2 * n]));
        }
        reg.Riga = ToLong(NullToNumber(screen.Txt[b + 12]));
        reg.Garanz = NullToNumber(screen.Txt[b + 13]);
    }
    record.SspUltimoCarico = ToLong(NullToNumber(screen.Txt[64]));
    record.SspUltimoScarico = ToLong(NullToNumber(screen.Txt[65]));
    record.SspMeccanogNum = ToLong(NullToNumber(screen.Txt[70]));
    record.SspMagNum = Fixed(screen.Txt[66], 6);
    record.SspMagCin = Fixed(screen.Txt[67], 1);
    record.SspMeccanogCin = Fixed(screen.Txt[71], 1);
    record.SspSiglUC = screen.Txt[68];
    record.SspSiglUD = screen.Txt[69];
}

}  // namespace store
