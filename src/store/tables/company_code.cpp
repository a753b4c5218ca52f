// The check of a company code before any file or schema is touched.
#include "store/tables/company_code.h"

#include <QStringList>

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

// Names Windows gives to devices: a folder cannot bear them, with or without
// an extension ("NUL.txt" is the device too).
bool IsDeviceName(const QString& code)
{
    const QString stem = code.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList devices = [] {
        QStringList names{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"), QStringLiteral("NUL")};
        for (int i = 1; i <= 9; ++i)
            names << QStringLiteral("COM%1").arg(i) << QStringLiteral("LPT%1").arg(i);
        return names;
    }();
    return devices.contains(stem);
}

// Schema names PostgreSQL keeps for itself ("pg_" ones it refuses to create)
// or already holds in every database.
bool IsServerName(const QString& code)
{
    const QString lower = code.toLower();
    return lower.startsWith(QLatin1String("pg_")) || lower == QLatin1String("public")
        || lower == QLatin1String("information_schema");
}

QString Refused(const QString& code, const QString& reason)
{
    return QStringLiteral("CODICE SOCIETA' NON VALIDO: \"%1\"\n").arg(code) + reason;
}

}  // namespace

QString CompanyCodeProblem(const QString& code)
{
    if (code == QLatin1String(".") || code.contains(QLatin1String("..")) || code.contains(QLatin1Char('/'))
        || code.contains(QLatin1Char('\\')) || code.contains(QLatin1Char(':')))
        return Refused(code, QStringLiteral("IL CODICE NON PUO' ESSERE \".\" NE' CONTENERE \"..\", \"/\", \"\\\" "
                                            "O \":\": NOMINEREBBE UN'ALTRA CARTELLA."));
    if (!code.isEmpty() && (code.front().isSpace() || code.back().isSpace()))
        return Refused(code, QStringLiteral("IL CODICE NON PUO' INIZIARE O FINIRE CON UNO SPAZIO."));
    if (code.endsWith(QLatin1Char('.')))
        return Refused(code, QStringLiteral("IL CODICE NON PUO' FINIRE CON UN PUNTO: WINDOWS LO TOGLIE, E DUE "
                                            "SOCIETA' AVREBBERO LA STESSA CARTELLA."));
    if (IsDeviceName(code))
        return Refused(code, QStringLiteral("CON, PRN, AUX, NUL, COM1-COM9 E LPT1-LPT9, ANCHE CON UN'ESTENSIONE, "
                                            "SONO NOMI RISERVATI DA WINDOWS."));
    if (IsServerName(code))
        return Refused(code, QStringLiteral("I CODICI CHE INIZIANO CON \"PG_\", \"PUBLIC\" E "
                                            "\"INFORMATION_SCHEMA\" SONO NOMI RISERVATI DAL SERVER POSTGRESQL."));
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
