// The field map between RegisterRecord and the entry screen's values, a loop
// over the register-field table, and which fields the operator changed.
#include "store/record/screen_values.h"

#include "store/engine/null_conversions.h"
#include "store/record/register_fields.h"

#include <variant>

namespace store {

QString Decimal(std::int32_t number)
{
    return QString::number(number);
}

namespace {

// The text of Txt(index), empty past the values' end.
QString TextAt(const ScreenValues& screen, int index)
{
    return std::size_t(index) < screen.Txt.size() ? screen.Txt[std::size_t(index)] : QString();
}

}  // namespace

ScreenValues RegisterToScreen(const RegisterRecord& record, const std::vector<RegisterFieldRow>& fields)
{
    ScreenValues screen;
    for (const RegisterFieldRow& field : fields)
        if (field.control == FieldControl::Text && std::size_t(field.index) >= screen.Txt.size())
            screen.Txt.resize(std::size_t(field.index) + 1);
    for (const RegisterFieldRow& field : fields) {
        const MemberValue member = field.value(record);
        switch (field.control) {
        case FieldControl::Code:
            screen.DicKod = *std::get<const QString*>(member);
            break;
        case FieldControl::Months: {
            const int months = *std::get<const std::int16_t*>(member);
            screen.comboIndex[field.index] = months >= 1 && months <= 12 ? months - 1 : -1;
            break;
        }
        case FieldControl::Picker: {
            const std::int32_t day = *std::get<const std::int32_t*>(member);
            // 0 is no date; a day before it (a date before 30/12/1899) is one.
            screen.pickerDate[field.index] = day != 0 ? DateOfDay(day) : QDate();
            break;
        }
        case FieldControl::Text:
            std::visit(
                [&](auto* value) {
                    using T = std::remove_cv_t<std::remove_pointer_t<decltype(value)>>;
                    if constexpr (std::is_same_v<T, QString>)
                        screen.Txt[field.index] = *value;
                    else if constexpr (std::is_same_v<T, double>)
                        screen.Txt[field.index] = ShownAmount(*value);
                    else
                        screen.Txt[field.index] = Decimal(*value);
                },
                member);
            break;
        }
    }
    return screen;
}

void ScreenToRegister(const ScreenValues& screen, RegisterRecord& record, const std::vector<bool>* columns,
                      const std::vector<RegisterFieldRow>& fields, const TableDescription& table)
{
    for (const RegisterFieldRow& field : fields) {
        if (columns && !(*columns)[std::size_t(field.column)])
            continue;
        const MemberTarget member = field.member(record);
        switch (field.control) {
        case FieldControl::Code:
            *std::get<QString*>(member) = screen.DicKod;
            break;
        case FieldControl::Months:
            *std::get<std::int16_t*>(member) = ToInteger(NullToNumber(screen.comboText[field.index]));
            break;
        case FieldControl::Picker:
            if (!screen.pickerText[field.index].trimmed().isEmpty() && screen.pickerDate[field.index].isValid())
                *std::get<std::int32_t*>(member) = DayNumber(screen.pickerDate[field.index]);
            break;
        case FieldControl::Text: {
            const QString text = TextAt(screen, field.index);
            const ColumnDescription& column = table.columns[std::size_t(field.column)];
            std::visit(
                [&](auto* value) {
                    using T = std::remove_pointer_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, QString>)
                        *value = column.kind == ColumnKind::FixedText ? Fixed(text, column.length) : text;
                    else if constexpr (std::is_same_v<T, double>)
                        *value = NullToNumber(text);
                    else
                        *value = ToWhole<T>(NullToNumber(text));
                },
                member);
            break;
        }
        }
    }
}

namespace {

bool FieldChanged(const RegisterFieldRow& field, const ScreenValues& shown, const ScreenValues& now)
{
    switch (field.control) {
    case FieldControl::Code:
        return now.DicKod.trimmed().compare(shown.DicKod.trimmed(), Qt::CaseInsensitive) != 0;
    case FieldControl::Months:
        return now.comboIndex[field.index] != shown.comboIndex[field.index];
    case FieldControl::Picker:
        return now.pickerDate[field.index] != shown.pickerDate[field.index] ||
               now.pickerText[field.index].trimmed().isEmpty() != shown.pickerText[field.index].trimmed().isEmpty();
    case FieldControl::Text:
        return TextAt(now, field.index) != TextAt(shown, field.index);
    }
    return true;
}

}  // namespace

std::vector<bool> ChangedColumns(const ScreenValues& shown, const ScreenValues& now,
                                 const std::vector<RegisterFieldRow>& fields)
{
    std::vector<bool> columns(std::size_t(RegisterColumns::Count), false);
    for (const RegisterFieldRow& field : fields) {
        if (std::size_t(field.column) >= columns.size())
            columns.resize(std::size_t(field.column) + 1, false);
        if (FieldChanged(field, shown, now))
            columns[std::size_t(field.column)] = true;
    }
    return columns;
}

}  // namespace store
