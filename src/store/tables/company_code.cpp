// The check of a company code before any file or schema is touched.
#include "store/tables/company_code.h"

namespace store {

namespace {

// The characters Windows-1252 gives the bytes 0x80..0x9F (five are unused).
constexpr char16_t Cp1252High[] = u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ";

bool IniCanHold(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u <= 0xFF))
        return true;
    for (const char16_t high : Cp1252High)
        if (high != 0 && high == u)
            return true;
    return false;
}

QString Refused(const QString& code, const QString& reason)
{
    return QStringLiteral("CODICE SOCIETA' NON VALIDO: \"%1\"\n").arg(code) + reason;
}

}  // namespace

QString CompanyCodeProblem(const QString& code)
{
    if (code == QLatin1String(".") || code == QLatin1String("..") || code.contains(QLatin1Char('/')))
        return Refused(code, QStringLiteral("IL CODICE NON PUO' ESSERE \".\" O \"..\" NE' CONTENERE \"/\"."));
#ifdef _WIN32
    // On Windows "\" separates folders too, and "C:" names a drive.
    if (code.contains(QLatin1Char('\\')) || code.contains(QLatin1Char(':')))
        return Refused(code, QStringLiteral("IL CODICE NON PUO' CONTENERE \"\\\" NE' \":\"."));
#endif
    if (!code.isEmpty() && (code.front().isSpace() || code.back().isSpace()))
        return Refused(code, QStringLiteral("IL CODICE NON PUO' INIZIARE O FINIRE CON UNO SPAZIO."));
    for (const QChar c : code)
        if (!IniCanHold(c))
            return Refused(code, QStringLiteral("IL CODICE PUO' CONTENERE SOLO LETTERE, CIFRE E SEGNI "
                                                "SCRIVIBILI NEL FILE INI (WINDOWS-1252)."));
    if (code.toUtf8().size() > CompanyCodeMaxBytes)
        return Refused(code, QStringLiteral("IL CODICE NON PUO' SUPERARE I %1 BYTE (UNA LETTERA ACCENTATA "
                                            "NE OCCUPA DUE).")
                                 .arg(CompanyCodeMaxBytes));
    return {};
}

}  // namespace store
