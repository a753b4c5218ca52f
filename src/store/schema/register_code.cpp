// The rule of a register set's code, for the program, the server and the file.
#include "store/schema/register_code.h"

#include "store/engine/sql_text.h"
#include "store/schema/table_description.h"

namespace store {

namespace {

// The code points InvisibleCharacter names beside whole categories, as
// ranges: the same list the server's and the file's patterns are made of.
struct Range {
    char32_t first, last;
};
constexpr Range Invisible[] = {{0x01, 0x1F},     {0x7F, 0x9F},     {0xA0, 0xA0},     {0xAD, 0xAD},
                               {0x34F, 0x34F},   {0x115F, 0x1160}, {0x180E, 0x180E}, {0x2000, 0x200F},
                               {0x2028, 0x202F}, {0x205F, 0x206F}, {0x2800, 0x2800}, {0x3000, 0x3000},
                               {0x3164, 0x3164}, {0xFE00, 0xFE0F}, {0xFEFF, 0xFEFF}, {0xFFA0, 0xFFA0},
                               {0xFFF9, 0xFFFB}};

QString codeColumn()
{
    return RegisterTableDescription().key().name;
}

}  // namespace

bool InvisibleCharacter(char32_t c)
{
    for (const Range& range : Invisible)
        if (c >= range.first && c <= range.last)
            return true;
    if (c >= 0xE0100 && c <= 0xE01EF)  // variation selectors, supplement
        return true;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    case QChar::Separator_Space: return c != U' ';
    default: return false;
    }
}

QString RegisterCodeProblem(const QString& code)
{
    if (!code.isEmpty() && (code.front().isSpace() || code.back().isSpace()))
        return QStringLiteral("il codice \"%1\" ha spazi all'inizio o alla fine").arg(code);
    for (qsizetype i = 0; i < code.size(); ++i) {
        char32_t c = code.at(i).unicode();
        if (code.at(i).isHighSurrogate() && i + 1 < code.size() && code.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(code.at(i), code.at(i + 1));
            ++i;
        }
        if (InvisibleCharacter(c))
            return QStringLiteral("il codice contiene un carattere invisibile o di controllo (U+%1)")
                .arg(QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
    if (code != code.normalized(QString::NormalizationForm_C))
        return QStringLiteral("il codice non è in forma composta (NFC): due codici uguali a vedersi sarebbero "
                              "diversi");
    return {};
}

QString RegisterCodeConstraint()
{
    return RegisterTable + QStringLiteral("_codice_ammesso");
}

QString RegisterCodeCheck()
{
    QString characters;
    for (const Range& range : Invisible)
        characters += range.first == range.last
            ? QStringLiteral("\\u%1").arg(uint(range.first), 4, 16, QLatin1Char('0'))
            : QStringLiteral("\\u%1-\\u%2")
                  .arg(uint(range.first), 4, 16, QLatin1Char('0'))
                  .arg(uint(range.last), 4, 16, QLatin1Char('0'));
    const QString column = quoted(codeColumn());
    // The composed form and the characters past ASCII can be checked in a
    // database of UTF-8 alone; in another the ends and the controls are.
    return QStringLiteral("CASE WHEN pg_catalog.getdatabaseencoding() = 'UTF8' THEN %1 !~ '^[[:space:]]|[[:space:]]$' "
                          "AND %1 !~ '[%2[:cntrl:]]' AND %1 IS NFC NORMALIZED "
                          "ELSE %1 !~ '^[[:space:]]|[[:space:]]$' AND %1 !~ '[[:cntrl:]]' END")
        .arg(column, characters);
}

QStringList RegisterCodeFileTriggers()
{
    // SQLite's GLOB takes a class of characters: every one of the list, each
    // range written out by its ends, made with char() so the statement's text
    // holds none of them.
    QStringList ends;
    for (const Range& range : Invisible)
        ends << (range.first == range.last
                     ? QStringLiteral("char(%1)").arg(uint(range.first))
                     : QStringLiteral("char(%1) || '-' || char(%2)").arg(uint(range.first)).arg(uint(range.last)));
    const QString column = quoted(codeColumn());
    const QString broken = QStringLiteral("(NEW.%1 <> trim(NEW.%1) OR NEW.%1 GLOB '*[' || %2 || ']*')")
                               .arg(column, ends.join(QStringLiteral(" || ")));
    const QString refusal = QStringLiteral(
        " BEGIN SELECT RAISE(ABORT, "
        "'%1: codice del registro non ammesso (spazi all''inizio o alla fine, o caratteri invisibili o di "
        "controllo)'); END")
                                .arg(RegisterTable);
    // A write that lists the code but keeps it (the program's writes list
    // every column) passes: a set stored before the rule stays changeable.
    return {QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 BEFORE INSERT ON %2 WHEN %3%4")
                .arg(quoted(RegisterTable + QStringLiteral("_codice_nuovo")), quoted(RegisterTable), broken, refusal),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 BEFORE UPDATE OF %2 ON %3 WHEN NEW.%2 IS NOT OLD.%2 AND %4%5")
                .arg(quoted(RegisterTable + QStringLiteral("_codice_cambiato")), column, quoted(RegisterTable),
                     broken, refusal)};
}

QStringList DropRegisterCodeCheck(const QString& qualifiedTable)
{
    return {QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT IF EXISTS %2").arg(qualifiedTable, quoted(RegisterCodeConstraint()))};
}

QStringList RegisterCodeCheckAfterRows(const QString& qualifiedTable)
{
    const QString constraint = quoted(RegisterCodeConstraint());
    // VALIDATE fails on the first code breaking the rule: that failure is
    // caught in its own block, and the constraint stays NOT VALID.
    return {QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 CHECK (%3) NOT VALID")
                .arg(qualifiedTable, constraint, RegisterCodeCheck()),
            QStringLiteral("DO $quenvol$ BEGIN ALTER TABLE %1 VALIDATE CONSTRAINT %2; "
                           "EXCEPTION WHEN check_violation THEN NULL; END $quenvol$")
                .arg(qualifiedTable, constraint)};
}

}  // namespace store
