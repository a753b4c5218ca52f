// The null-safe conversions between database or screen values and the values
// of RegisterRecord, under the user's regional settings (QLocale()).
#pragma once

#include "store/engine.h"

#include <QDate>
#include <QString>

#include <cstdint>

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

// The record's conversions of a number: nearest whole number, a half to the
// even neighbour; error 6 (overflow) outside the type's range.
std::int32_t ToLong(double number);
std::int16_t ToInteger(double number);

// A text fitted to a fixed width: cut, or padded with blanks on the right.
QString Fixed(const QString& text, int width);

// "#,###,###,##0.00" under the locale: groups of thousands, two decimals.
QString FormatAmount(double amount);
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
