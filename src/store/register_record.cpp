// Copies between RegisterRecord and the register table's current row.
#include "store/register_record.h"

#include "store/null_conversions.h"

namespace store {

namespace {

const char* const Stems[3] = {"Arr", "Cus", "Dep"};
const char* const WorkLetters[3] = {"A", "C", "D"};

// Loading and storing visit the work positions in this register order.
constexpr int WorkOrder[3] = {Arrivi, Deposito, Custodia};

}  // namespace

QString RegisterColumn(int k, const char* field)
{
    return QStringLiteral("Ssp%1%2").arg(QLatin1String(Stems[k]), QLatin1String(field));
}

QString WorkSerieColumn(int k, int n)
{
    return QStringLiteral("SspWk%1Serie%2").arg(QLatin1String(WorkLetters[k])).arg(n);
}

QString WorkCronColumn(int k, int n)
{
    return QStringLiteral("SspWk%1Cron%2").arg(QLatin1String(WorkLetters[k])).arg(n);
}

void ClearRegister(RegisterRecord& record)
{
    const QString code = record.SspCodice;
    record = RegisterRecord();
    record.SspCodice = code;
    record.SspDescrizione = QStringLiteral(" ");
}

void LoadRegister(const TableCursor& cursor, RegisterRecord& record)
{
    record.SspCodice = cursor.field(QStringLiteral("SspCodice")).toString();
    record.SspDescrizione = cursor.field(QStringLiteral("SspDescrizione")).toString();
    for (int k = 0; k < 3; ++k) {
        auto& reg = record.Registers[k];
        reg.Serie = NullToText(cursor.field(RegisterColumn(k, "Serie")));
        reg.Cron = ToLong(NullToNumber(cursor.field(RegisterColumn(k, "Cron"))));
        reg.Riga = ToLong(NullToNumber(cursor.field(RegisterColumn(k, "Riga"))));
        reg.Garanz = NullToNumber(cursor.field(RegisterColumn(k, "Garanz")));
        reg.Periodo = ToInteger(NullToNumber(cursor.field(RegisterColumn(k, "Periodo"))));
        reg.Data = ToLong(NullToNumber(cursor.field(RegisterColumn(k, "Data"))));
    }
    record.SspUltimoCarico = ToLong(NullToNumber(cursor.field(QStringLiteral("SspUltimoCarico"))));
    record.SspUltimoScarico = ToLong(NullToNumber(cursor.field(QStringLiteral("SspUltimoScarico"))));
    for (int n = 0; n < 5; ++n) {
        for (int k : WorkOrder) {
            auto& reg = record.Registers[k];
            reg.WkSerie[n] = NullToText(cursor.field(WorkSerieColumn(k, n)));
            reg.WkCron[n] = ToLong(NullToNumber(cursor.field(WorkCronColumn(k, n))));
        }
    }
    record.SspMagNum = Fixed(NullToFixed(cursor.field(QStringLiteral("SspMagNum"))), 6);
    record.SspMagCin = Fixed(NullToFixed(cursor.field(QStringLiteral("SspMagCin"))), 1);
    record.SspMeccanogNum = ToLong(NullToNumber(cursor.field(QStringLiteral("SspMeccanogNum"))));
    record.SspMeccanogCin = Fixed(NullToFixed(cursor.field(QStringLiteral("SspMeccanogCin"))), 1);
    record.SspSiglUC = NullToText(cursor.field(QStringLiteral("SspSiglUC")));
    record.SspSiglUD = NullToText(cursor.field(QStringLiteral("SspSiglUD")));
}

void StoreRegister(const RegisterRecord& record, TableCursor& cursor)
{
    auto set = [&cursor](const QString& column, const Value& value) { cursor.setField(column, value); };
    set(QStringLiteral("SspCodice"), record.SspCodice);
    set(QStringLiteral("SspDescrizione"), record.SspDescrizione);
    for (int k = 0; k < 3; ++k) {
        const auto& reg = record.Registers[k];
        set(RegisterColumn(k, "Serie"), reg.Serie);
        set(RegisterColumn(k, "Cron"), reg.Cron);
        set(RegisterColumn(k, "Riga"), reg.Riga);
        set(RegisterColumn(k, "Garanz"), reg.Garanz);
        set(RegisterColumn(k, "Periodo"), int(reg.Periodo));
        set(RegisterColumn(k, "Data"), reg.Data);
    }
    set(QStringLiteral("SspUltimoCarico"), record.SspUltimoCarico);
    set(QStringLiteral("SspUltimoScarico"), record.SspUltimoScarico);
    for (int n = 0; n < 5; ++n) {
        for (int k : WorkOrder) {
            set(WorkSerieColumn(k, n), record.Registers[k].WkSerie[n]);
            set(WorkCronColumn(k, n), record.Registers[k].WkCron[n]);
        }
    }
    set(QStringLiteral("SspMagNum"), Fixed(record.SspMagNum, 6));
    set(QStringLiteral("SspMagCin"), Fixed(record.SspMagCin, 1));
    set(QStringLiteral("SspMeccanogNum"), record.SspMeccanogNum);
    set(QStringLiteral("SspMeccanogCin"), Fixed(record.SspMeccanogCin, 1));
    set(QStringLiteral("SspSiglUC"), record.SspSiglUC);
    set(QStringLiteral("SspSiglUD"), record.SspSiglUD);
}

}  // namespace store
