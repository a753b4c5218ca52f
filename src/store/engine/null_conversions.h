// The null-safe conversions between database or screen values and the values
// of RegisterRecord, under the user's regional settings (QLocale()).
#pragma once

#include "store/engine/engine.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <limits>

namespace store {

// Day 0 of the day numbers in which dates are held and written.
inline const QDate DayZero(1899, 12, 30);

QString NullToText(const Value& value);
// The value's text as it stands (not trimmed); Null gives "". For the lists.
QString ValueText(const Value& value);
// 0 for Null or blank; a text with two "/" is read as a date (day, month, year
// in the locale's order) and gives its day number; otherwise the number as the
// locale writes it; anything else 0. A text with two "/" that is no valid date
// raises error 13, as the conversion it stands for did.
double NullToNumber(const Value& value);
// The value's text, or the default (one blank when none is given or it is
// blank) when the value is Null, blank or starts with a NUL character.
QString NullToFixed(const Value& value, const QString& defaultText = {});

// The record's conversion of a number to a whole number of type Whole: the
// nearest one, a half to the even neighbour; error 6 (overflow) outside the
// type's range. ToLong and ToInteger are its 32- and 16-bit forms.
double RoundHalfEven(double number);
[[noreturn]] void ThrowOverflow();
template <class Whole>
Whole ToWhole(double number)
{
    const double rounded = RoundHalfEven(number);
    if (!(rounded >= double(std::numeric_limits<Whole>::min()) &&
          rounded <= double(std::numeric_limits<Whole>::max())))
        ThrowOverflow();
    return Whole(rounded);
}
inline std::int32_t ToLong(double number) { return ToWhole<std::int32_t>(number); }
inline std::int16_t ToInteger(double number) { return ToWhole<std::int16_t>(number); }

// A text fitted to a fixed width: cut, or padded with blanks on the right.
QString Fixed(const QString& text, int width);

// "#,###,###,##0.00" under the locale: groups of thousands, two decimals;
// NaN, +Infinito and -Infinito for the values that are no number.
QString FormatAmount(double amount);
// A stored amount as its field and the inspection sheet show it: as
// FormatAmount, unless that would show another amount (one that is not 0 but
// rounds to 0,00, or one with more figures than the field holds, which it
// would cut): then in the shortest form that reads back exactly ("1e+308").
QString ShownAmount(double amount);
// Whether ShownAmount shows `amount` as the field's pattern does, so the
// field can hold it as it is.
bool AmountFitsItsField(double amount);
// The amount formatting of a field's text: blank gives "", a number gives its
// formatted form, any other text is returned trimmed and unchanged.
QString FormatAmountText(const QString& text);

// Day numbers and dates.
int DayNumber(const QDate& date);
QDate DateOfDay(int dayNumber);

// The locale's decimal separator as the key filter finds it: "." when one half
// reads "0.5", "," otherwise.
QChar DecimalSeparator();

}  // namespace store
