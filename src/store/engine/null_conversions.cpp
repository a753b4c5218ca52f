// Null-safe conversions, number and amount formats, day numbers.
#include "store/engine/null_conversions.h"

#include <QLocale>

#include <cfenv>
#include <cmath>
#include <limits>

namespace store {

namespace {

// The positions of day, month and year in the locale's short date format.
struct DateOrder {
    int day = 0, month = 1, year = 2;
};

DateOrder localeDateOrder()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    const qsizetype d = format.indexOf(QLatin1Char('d'));
    const qsizetype m = format.indexOf(QLatin1Char('M'));
    const qsizetype y = format.indexOf(QLatin1Char('y'));
    DateOrder order;
    if (d < 0 || m < 0 || y < 0)
        return order;
    order.day = int((d > m) + (d > y));
    order.month = int((m > d) + (m > y));
    order.year = int((y > d) + (y > m));
    return order;
}

// A text with two "/" read as a date; error 13 when it is none.
double dateTextToDayNumber(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    bool ok[3] = {false, false, false};
    int numbers[3] = {0, 0, 0};
    if (parts.size() == 3)
        for (int i = 0; i < 3; ++i)
            numbers[i] = parts[i].trimmed().toInt(&ok[i]);
    const DateOrder order = localeDateOrder();
    int year = numbers[order.year];
    if (ok[order.year] && parts[order.year].trimmed().size() <= 2)
        year += year < 30 ? 2000 : 1900;  // two-digit years: 00-29 this century
    const QDate date(year, numbers[order.month], numbers[order.day]);
    if (!(ok[0] && ok[1] && ok[2]) || !date.isValid())
        throw EngineError(EngineErrorNumber::TypeMismatch,
                          QStringLiteral("Tipo non corrispondente: '%1'.").arg(text));
    return DayNumber(date);
}

// A number as the locale writes it; nullopt when the text is no number.
bool parseLocaleNumber(const QString& text, double* number)
{
    const QLocale locale;
    bool ok = false;
    *number = locale.toDouble(text, &ok);
    if (ok)
        return std::isfinite(*number);  // "inf" and "nan" are no amounts
    // Thousands separators in places the strict parser refuses ("1.2345,0").
    QString plain = text;
    plain.remove(locale.groupSeparator());
    *number = locale.toDouble(plain, &ok);
    return ok && std::isfinite(*number);
}


}  // namespace

QString NullToText(const Value& value)
{
    if (value.isNull())
        return QString();
    return value.toString().trimmed();
}

QString ValueText(const Value& value)
{
    return value.isNull() ? QString() : value.toString();
}

double NullToNumber(const Value& value)
{
    if (value.isNull())
        return 0;
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int ||
        value.typeId() == QMetaType::Double)
        return value.toDouble();
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return 0;
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash >= 0 && text.indexOf(QLatin1Char('/'), slash + 1) > slash)
        return dateTextToDayNumber(text);
    double number = 0;
    if (parseLocaleNumber(text, &number))
        return number;
    return 0;
}

QString NullToFixed(const Value& value, const QString& defaultText)
{
    const QString fallback = defaultText.trimmed().isEmpty() ? QStringLiteral(" ") : defaultText;
    QString result = value.isNull() ? fallback : value.toString();
    if (result.trimmed().isEmpty())
        result = fallback;
    if (!result.isEmpty() && result.at(0).unicode() == 0)
        result = fallback;
    return result;
}

double RoundHalfEven(double number)
{
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(number);
    std::fesetround(saved);
    return rounded;
}

void ThrowOverflow()
{
    throw EngineError(EngineErrorNumber::Overflow, QStringLiteral("Overflow."));
}

QString Fixed(const QString& text, int width)
{
    if (text.size() >= width)
        return text.left(width);
    return text + QString(width - text.size(), QLatin1Char(' '));
}

namespace {

// The amount fields hold as many characters as the pattern has (16, up to
// 9.999.999.999,99).
constexpr int AmountFieldLength = 16;

}  // namespace

QString FormatAmount(double amount)
{
    // A field cuts a longer text short, and the figures it loses change the
    // amount that is saved: a larger amount is shown without the thousands
    // separators, which keeps every figure.
    // A value that is no number (a server's NaN and infinities) is named,
    // never shown as a figure.
    if (std::isnan(amount))
        return QStringLiteral("NaN");
    if (std::isinf(amount))
        return amount > 0 ? QStringLiteral("+Infinito") : QStringLiteral("-Infinito");
    // An amount that rounds to nothing is shown as "0,00", never as "-0,00".
    if (std::fabs(amount) < 0.005)
        amount = 0;
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    const QString grouped = locale.toString(amount, 'f', 2);
    if (grouped.size() <= AmountFieldLength)
        return grouped;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(amount, 'f', 2);
}

bool AmountFitsItsField(double amount)
{
    return std::isfinite(amount) && (amount == 0 || std::fabs(amount) >= 0.005) &&
           FormatAmount(amount).size() <= AmountFieldLength;
}

QString ShownAmount(double amount)
{
    if (!std::isfinite(amount) || AmountFitsItsField(amount))
        return FormatAmount(amount);
    return QLocale().toString(amount, 'g', QLocale::FloatingPointShortest);
}

QString FormatAmountText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QString();
    double number = 0;
    if (!parseLocaleNumber(trimmed, &number))
        return trimmed;
    return FormatAmount(number);
}

int DayNumber(const QDate& date)
{
    return int(DayZero.daysTo(date));
}

QDate DateOfDay(int dayNumber)
{
    return DayZero.addDays(dayNumber);
}

QChar DecimalSeparator()
{
    return QLocale().toString(0.5) == QLatin1String("0.5") ? QLatin1Char('.') : QLatin1Char(',');
}

}  // namespace store
