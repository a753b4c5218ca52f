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
    screen.Txt[Field::Description] = record.SspDescrizione;
    for (int k = 0; k < 3; ++k) {
        const auto& reg = record.Registers[k];
        screen.comboIndex[k] = reg.Periodo >= 1 && reg.Periodo <= 12 ? reg.Periodo - 1 : -1;
        screen.pickerDate[k] = reg.Data > 0 ? DateOfDay(reg.Data) : QDate();
        screen.Txt[Field::Serie(k)] = reg.Serie;
        screen.Txt[Field::Cron(k)] = Decimal(reg.Cron);
        for (int n = 0; n < Field::WorkPositions; ++n) {
            screen.Txt[Field::WorkSerie(k, n)] = reg.WkSerie[n];
            screen.Txt[Field::WorkCron(k, n)] = Decimal(reg.WkCron[n]);
        }
        screen.Txt[Field::Riga(k)] = Decimal(reg.Riga);
        screen.Txt[Field::Garanz(k)] = FormatAmount(reg.Garanz);
    }
    screen.Txt[Field::UltimoCarico] = Decimal(record.SspUltimoCarico);
    screen.Txt[Field::UltimoScarico] = Decimal(record.SspUltimoScarico);
    screen.Txt[Field::MagNum] = record.SspMagNum;
    screen.Txt[Field::MagCin] = record.SspMagCin;
    screen.Txt[Field::SiglUC] = record.SspSiglUC;
    screen.Txt[Field::SiglUD] = record.SspSiglUD;
    screen.Txt[Field::MeccanogNum] = Decimal(record.SspMeccanogNum);
    screen.Txt[Field::MeccanogCin] = record.SspMeccanogCin;
    return screen;
}

void ScreenToRegister(const ScreenValues& screen, RegisterRecord& record)
{
    record.SspCodice = screen.DicKod;
    record.SspDescrizione = screen.Txt[Field::Description];
    for (int k = 0; k < 3; ++k) {
        auto& reg = record.Registers[k];
        reg.Periodo = ToInteger(NullToNumber(screen.comboText[k]));
        if (!screen.pickerText[k].trimmed().isEmpty() && screen.pickerDate[k].isValid())
            reg.Data = DayNumber(screen.pickerDate[k]);
        reg.Serie = screen.Txt[Field::Serie(k)];
        reg.Cron = ToLong(NullToNumber(screen.Txt[Field::Cron(k)]));
        for (int n = 0; n < Field::WorkPositions; ++n) {
            reg.WkSerie[n] = screen.Txt[Field::WorkSerie(k, n)];
            reg.WkCron[n] = ToLong(NullToNumber(screen.Txt[Field::WorkCron(k, n)]));
        }
        reg.Riga = ToLong(NullToNumber(screen.Txt[Field::Riga(k)]));
        reg.Garanz = NullToNumber(screen.Txt[Field::Garanz(k)]);
    }
    record.SspUltimoCarico = ToLong(NullToNumber(screen.Txt[Field::UltimoCarico]));
    record.SspUltimoScarico = ToLong(NullToNumber(screen.Txt[Field::UltimoScarico]));
    record.SspMeccanogNum = ToLong(NullToNumber(screen.Txt[Field::MeccanogNum]));
    record.SspMagNum = Fixed(screen.Txt[Field::MagNum], 6);
    record.SspMagCin = Fixed(screen.Txt[Field::MagCin], 1);
    record.SspMeccanogCin = Fixed(screen.Txt[Field::MeccanogCin], 1);
    record.SspSiglUC = screen.Txt[Field::SiglUC];
    record.SspSiglUD = screen.Txt[Field::SiglUD];
}

}  // namespace store
