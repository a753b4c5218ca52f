// Copies between RegisterRecord and the register table's current row: the
// register-field table pairs each member with its column, and the column's
// description says how the value is converted on the way in and out.
#include "store/record/register_record.h"

#include "store/engine/null_conversions.h"
#include "store/record/register_fields.h"

#include <cmath>
#include <limits>
#include <variant>

namespace store {

namespace {

// The pickers' range: a date outside it cannot be shown.
const QDate FirstShownDate(2000, 1, 1);
const QDate LastShownDate(2099, 12, 31);

bool IsNumberValue(const Value& value)
{
    const int type = value.typeId();
    return type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::Double ||
           type == QMetaType::UInt || type == QMetaType::ULongLong;
}

// Whether a stored value cannot be shown on its field, `fieldLength`
// characters long (0: no limit), as it is.
bool Unshowable(const ColumnDescription& column, const Value& value, int fieldLength)
{
    if (value.isNull())
        return false;
    switch (column.kind) {
    case ColumnKind::Text:
    case ColumnKind::FixedText:
        return value.toString().size() > column.length;  // the field would cut it
    case ColumnKind::Counter:
        return false;
    default:
        break;
    }
    // A number column: text in it, a fraction in a whole-number column, a
    // whole number outside its type or with more figures than its field
    // holds (which would cut it), a date outside the pickers, a period
    // outside 0-12.
    if (!IsNumberValue(value))
        return !value.toString().trimmed().isEmpty();  // blank reads as 0, as Null does
    const double number = value.toDouble();
    switch (column.kind) {
    case ColumnKind::Long:
        return number != std::trunc(number) || number < std::numeric_limits<std::int32_t>::min() ||
               number > std::numeric_limits<std::int32_t>::max() ||
               (fieldLength > 0 && QString::number(qint64(number)).size() > fieldLength);
    case ColumnKind::Integer:  // the periods, in months
        return number != std::trunc(number) || number < 0 || number > 12;
    case ColumnKind::Date: {
        if (number == 0)
            return false;  // no date
        if (number != std::trunc(number) || number < DayNumber(FirstShownDate) ||
            number > DayNumber(LastShownDate))
            return true;
        return false;
    }
    default:  // an amount the field would show as another (0,00, or cut short)
        return !AmountFitsItsField(number);
    }
}

// A stored value as the operator reads it: a number that is none named (NaN,
// +Infinito, -Infinito), a whole day number as its date, anything else as
// the engine gives it.
QString StoredText(const ColumnDescription& column, const Value& value)
{
    if (!IsNumberValue(value))
        return value.toString();
    const double number = value.toDouble();
    if (!std::isfinite(number))
        return FormatAmount(number);
    if (column.kind == ColumnKind::Date && number == std::trunc(number) &&
        std::fabs(number) <= std::numeric_limits<int>::max())
        return DateOfDay(int(number)).toString(QStringLiteral("dd/MM/yyyy"));
    return value.toString();
}

// A number column's value as the record keeps it; 0 when it cannot be read.
double ReadNumber(const Value& value)
{
    try {
        return NullToNumber(value);
    } catch (const EngineError&) {
        return 0;
    }
}

template <class Whole>
Whole ReadWhole(const Value& value)
{
    try {
        return ToWhole<Whole>(ReadNumber(value));
    } catch (const EngineError&) {
        return 0;
    }
}

}  // namespace

void ClearRegister(RegisterRecord& record)
{
    const QString code = record.SspCodice;
    record = RegisterRecord();
    record.SspCodice = code;
    record.SspDescrizione = QStringLiteral(" ");
}

void LoadRegister(const TableCursor& cursor, RegisterRecord& record, const std::vector<RegisterFieldRow>& fields,
                  const TableDescription& table)
{
    for (const RegisterFieldRow& member : fields) {
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
                    *target = ReadNumber(value);
                } else {
                    *target = ReadWhole<T>(value);
                }
            },
            member.member(record));
    }
}

void StoreRegister(const RegisterRecord& record, TableCursor& cursor, const std::vector<bool>* columns,
                   const std::vector<RegisterFieldRow>& fields, const TableDescription& table)
{
    for (const RegisterFieldRow& member : fields) {
        if (columns && !(*columns)[std::size_t(member.column)])
            continue;
        const ColumnDescription& column = table.columns[std::size_t(member.column)];
        std::visit(
            [&](auto* target) {
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
            member.value(record));
    }
}

}  // namespace store

namespace store {

QStringList UnshowableValues(const TableCursor& cursor)
{
    const TableDescription& table = RegisterTableDescription();
    QStringList lines;
    for (const RegisterFieldRow& field : RegisterFields()) {
        const ColumnDescription& column = table.columns[std::size_t(field.column)];
        const Value value = cursor.field(column.name);
        if (Unshowable(column, value, field.control == FieldControl::Text ? field.length : 0))
            lines << field.name + QStringLiteral(": \"") + StoredText(column, value) + QLatin1Char('"');
    }
    return lines;
}

}  // namespace store
