// Copies between RegisterRecord and the register table's current row: one list
// pairs each member with its column, and the column's description says how the
// value is converted on the way in and out.
#include "store/register_record.h"

#include "store/null_conversions.h"

#include <variant>
#include <vector>

namespace store {

namespace {

namespace R = RegisterColumns;

template <class Record>
struct Member {
    template <class T>
    using Ptr = std::conditional_t<std::is_const_v<Record>, const T*, T*>;
    int column;
    std::variant<Ptr<QString>, Ptr<std::int32_t>, Ptr<std::int16_t>, Ptr<double>> target;
    bool verbatim = false;  // text kept as stored, blanks and all
};

// Every member with its column, in the order the copies visit them (the work
// positions by position, registers in the order Arrivi, Deposito, Custodia).
template <class Record>
std::vector<Member<Record>> members(Record& r)
{
    std::vector<Member<Record>> m;
    m.reserve(R::Count);
    m.push_back({R::Code, &r.SspCodice, true});
    m.push_back({R::Description, &r.SspDescrizione, true});
    for (int k = 0; k < 3; ++k) {
        auto& reg = r.Registers[std::size_t(k)];
        m.push_back({R::Of(k, R::Serie), &reg.Serie});
        m.push_back({R::Of(k, R::Cron), &reg.Cron});
        m.push_back({R::Of(k, R::Riga), &reg.Riga});
        m.push_back({R::Of(k, R::Garanz), &reg.Garanz});
        m.push_back({R::Of(k, R::Periodo), &reg.Periodo});
        m.push_back({R::Of(k, R::Data), &reg.Data});
    }
    m.push_back({R::UltimoCarico, &r.SspUltimoCarico});
    m.push_back({R::UltimoScarico, &r.SspUltimoScarico});
    for (int n = 0; n < R::WorkPositions; ++n) {
        for (int k : {Arrivi, Deposito, Custodia}) {
            auto& reg = r.Registers[std::size_t(k)];
            m.push_back({R::WorkSerie(k, n), &reg.WkSerie[std::size_t(n)]});
            m.push_back({R::WorkCron(k, n), &reg.WkCron[std::size_t(n)]});
        }
    }
    m.push_back({R::MagNum, &r.SspMagNum});
    m.push_back({R::MagCin, &r.SspMagCin});
    m.push_back({R::MeccanogNum, &r.SspMeccanogNum});
    m.push_back({R::MeccanogCin, &r.SspMeccanogCin});
    m.push_back({R::SiglUC, &r.SspSiglUC});
    m.push_back({R::SiglUD, &r.SspSiglUD});
    return m;
}

}  // namespace

void ClearRegister(RegisterRecord& record)
{
    const QString code = record.SspCodice;
    record = RegisterRecord();
    record.SspCodice = code;
    record.SspDescrizione = QStringLiteral(" ");
}

void LoadRegister(const TableCursor& cursor, RegisterRecord& record)
{
    const TableDescription& table = RegisterTableDescription();
    for (const auto& member : members(record)) {
        const ColumnDescription& column = table.columns[std::size_t(member.column)];
        const Value value = cursor.field(column.name);
        std::visit(
            [&](auto* target) {
                using T = std::remove_pointer_t<decltype(target)>;
                if constexpr (std::is_same_v<T, QString>) {
                    if (member.verbatim)
                        *target = value.toString();
                    else if (column.kind == ColumnKind::FixedText)
                        *target = Fixed(NullToFixed(value), column.length);
                    else
                        *target = NullToText(value);
                } else if constexpr (std::is_same_v<T, double>) {
                    *target = NullToNumber(value);
                } else {
                    *target = ToWhole<T>(NullToNumber(value));
                }
            },
            member.target);
    }
}

void StoreRegister(const RegisterRecord& record, TableCursor& cursor)
{
    const TableDescription& table = RegisterTableDescription();
    for (const auto& member : members(record)) {
        const ColumnDescription& column = table.columns[std::size_t(member.column)];
        std::visit(
            [&](const auto* target) {
                using T = std::remove_cv_t<std::remove_pointer_t<decltype(target)>>;
                if constexpr (std::is_same_v<T, QString>)
                    cursor.setField(column.name, column.kind == ColumnKind::FixedText
                                                     ? Fixed(*target, column.length)
                                                     : *target);
                else if constexpr (std::is_same_v<T, std::int16_t>)
                    cursor.setField(column.name, int(*target));
                else
                    cursor.setField(column.name, *target);
            },
            member.target);
    }
}

}  // namespace store
