// Fuzz target: the number, amount and date conversions of the register fields,
// under an Italian and an English locale. Any text converts to a finite number
// or fails with error 13; an amount shown comes back as itself to the cent;
// formatting a field's amount twice gives what formatting it once gave; a day
// number written as a date comes back as itself.
#include "store/engine/null_conversions.h"

#include <QLocale>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

double NumberOfText(const QString& text, bool* failed)
{
    *failed = false;
    try {
        return store::NullToNumber(store::Value(text));
    } catch (const store::EngineError& error) {
        if (error.number() != store::EngineErrorNumber::TypeMismatch)
            std::abort();
        *failed = true;
        return 0;
    }
}

void CheckUnder(const QLocale& locale, const uint8_t* data, size_t size)
{
    QLocale::setDefault(locale);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    bool failed = false;
    const double number = NumberOfText(text, &failed);
    if (!std::isfinite(number))
        std::abort();
    const QString once = store::FormatAmountText(text);
    if (store::FormatAmountText(once) != once)
        std::abort();

    if (size >= sizeof(double)) {
        double amount = 0;
        std::memcpy(&amount, data, sizeof amount);
        if (std::isfinite(amount) && std::fabs(amount) < 1e13) {
            const double back = NumberOfText(store::FormatAmount(amount), &failed);
            if (failed || std::fabs(back - amount) > 0.005 + 1e-9 * std::fabs(amount))
                std::abort();
        }
    }
    if (size >= sizeof(std::int32_t)) {
        std::int32_t raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        // Four-digit years, 1000 to 9999: two-digit years are read in this century or the last.
        const int first = store::DayNumber(QDate(1000, 1, 1));
        const int last = store::DayNumber(QDate(9999, 12, 31));
        const int day = first + int(std::uint32_t(raw) % std::uint32_t(last - first + 1));
        const QDate date = store::DateOfDay(day);
        if (store::DayNumber(date) != day)
            std::abort();
        const bool dayFirst = locale.dateFormat(QLocale::ShortFormat).indexOf(QLatin1Char('d')) <
                              locale.dateFormat(QLocale::ShortFormat).indexOf(QLatin1Char('M'));
        const QString shown = date.toString(dayFirst ? QStringLiteral("dd/MM/yyyy") : QStringLiteral("MM/dd/yyyy"));
        if (NumberOfText(shown, &failed) != day || failed)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckUnder(QLocale(QLocale::Italian, QLocale::Italy), data, size);
    CheckUnder(QLocale(QLocale::English, QLocale::UnitedStates), data, size);
    return 0;
}
