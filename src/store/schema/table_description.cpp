// The descriptions of the register, header and document-type tables.
#include "store/schema/table_description.h"

#include <iterator>

namespace store {

namespace {

TableDescription describeRegisterTable()
{
    using K = ColumnKind;
    namespace R = RegisterColumns;
    static const char* const stems[3] = {"Arr", "Cus", "Dep"};
    static const char* const workLetters[3] = {"A", "C", "D"};
    // The six columns of each register, in the order of RegisterField.
    static const struct { const char* name; ColumnKind kind; int length; } perRegister[] = {
        {"Serie", K::Text, 2}, {"Cron", K::Long, 0},    {"Riga", K::Long, 0},
        {"Garanz", K::Double, 0}, {"Periodo", K::Integer, 0}, {"Data", K::Date, 0}};
    static_assert(std::size(perRegister) == R::FieldsPerRegister);

    TableDescription t{RegisterTable, {}, R::Code};
    auto& c = t.columns;
    c.push_back({QStringLiteral("SspCodice"), K::Text, 10});
    c.push_back({QStringLiteral("SspDescrizione"), K::Text, 30});
    for (int k = 0; k < 3; ++k)
        for (const auto& field : perRegister)
            c.push_back({QStringLiteral("Ssp%1%2").arg(QLatin1String(stems[k]), QLatin1String(field.name)),
                         field.kind, field.length});
    c.push_back({QStringLiteral("SspUltimoCarico"), K::Long, 0});
    c.push_back({QStringLiteral("SspUltimoScarico"), K::Long, 0});
    for (int k = 0; k < 3; ++k) {
        for (int n = 0; n < R::WorkPositions; ++n)
            c.push_back({QStringLiteral("SspWk%1Serie%2").arg(QLatin1String(workLetters[k])).arg(n), K::Text, 3});
        for (int n = 0; n < R::WorkPositions; ++n)
            c.push_back({QStringLiteral("SspWk%1Cron%2").arg(QLatin1String(workLetters[k])).arg(n), K::Long, 0});
    }
    for (const StoreColumnRow& column : StoreColumns)
        c.push_back({QString::fromLatin1(column.name), column.kind, column.length});
    return t;
}

TableDescription describeHeaderTable()
{
    static const char letters[] = {'A', 'D', 'C', 'P'};
    TableDescription t{HeaderTable, {{QStringLiteral("TpsCodice"), ColumnKind::Text, 10}}, HeaderColumns::Code};
    for (int block = 0; block < HeaderColumns::Blocks; ++block)
        for (int line = 1; line <= HeaderColumns::LinesPerBlock; ++line)
            t.columns.push_back({QStringLiteral("TpsRig%1%2").arg(QLatin1Char(letters[block])).arg(line),
                                 ColumnKind::Text, block == 3 ? 80 : 160});
    return t;
}

TableDescription describeDocTypeTable()
{
    return {DocTypeTable,
            {{QStringLiteral("Codice"), ColumnKind::Text, 4},
             {QStringLiteral("Descrizione"), ColumnKind::Text, 50},
             {QStringLiteral("tipo"), ColumnKind::Text, 10}},
            DocTypeColumns::Code};
}

TableDescription describeHistoryTable()
{
    using K = ColumnKind;
    TableDescription t{HistoryTable,
                       {{QStringLiteral("StoId"), K::Counter, 0},
                        {QStringLiteral("StoModifica"), K::Text, 32},
                        {QStringLiteral("StoQuando"), K::Text, 24},
                        {QStringLiteral("StoUtente"), K::Text, 64},
                        {QStringLiteral("StoPostazione"), K::Text, 64},
                        {QStringLiteral("StoVersione"), K::Text, 16},
                        {QStringLiteral("StoCodice"), K::Text, 10},
                        {QStringLiteral("StoAzione"), K::Text, 15},  // "ristampa pagine"
                        {QStringLiteral("StoColonna"), K::Text, 32},
                        {QStringLiteral("StoPrima"), K::Text, 255},
                        {QStringLiteral("StoDopo"), K::Text, 255},
                        {QStringLiteral("StoRuolo"), K::Text, 64},
                        {QStringLiteral("StoIndirizzo"), K::Text, 64},
                        {QStringLiteral("StoImpronta"), K::Text, 64}},
                       HistoryColumns::Id};
    t.searchColumn = HistoryColumns::Codice;
    t.appendOnly = true;
    return t;
}

}  // namespace

int TableDescription::columnIndex(QStringView name) const
{
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (name.compare(columns[i].name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

const TableDescription& RegisterTableDescription()
{
    static const TableDescription table = describeRegisterTable();
    return table;
}

const TableDescription& HeaderTableDescription()
{
    static const TableDescription table = describeHeaderTable();
    return table;
}

const TableDescription& DocTypeTableDescription()
{
    static const TableDescription table = describeDocTypeTable();
    return table;
}

const TableDescription& HistoryTableDescription()
{
    static const TableDescription table = describeHistoryTable();
    return table;
}

std::vector<const TableDescription*> SharedTables()
{
    return {&RegisterTableDescription(), &HeaderTableDescription(), &DocTypeTableDescription()};
}

std::vector<const TableDescription*> CompanyTables()
{
    return {&RegisterTableDescription(), &HeaderTableDescription(), &DocTypeTableDescription(),
            &HistoryTableDescription()};
}

QString HeaderField(int block, int line)
{
    return HeaderTableDescription().columnName(HeaderColumns::Line(block, line));
}

}  // namespace store
