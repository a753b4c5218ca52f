// The register-field table: one row per field of the entry screen that shows a
// column of TabellaSerieSemplificata, with the control and index that show it,
// the column, the RegisterRecord member, the name the operator reads in boxes,
// the history and print, the screen's caption and the keys the field takes.
// The record copies, the screen conversion, the conflict lists, the history's
// names, the key filter and the fields' lengths are all loops over it.
#pragma once

#include "store/record/register_record.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <variant>
#include <vector>

namespace store {

// The control that shows a field.
enum class FieldControl {
    Code,    // DicKod, the register code
    Text,    // Txt(index)
    Months,  // Combo1(index), the period's length in months of register `index`
    Picker,  // lbData(index), the period's start date of register `index`
};

// The keys a text field takes (see the key filters of the window).
enum class KeyClass {
    UpperCase,  // any character, letters in upper case
    Digits,     // digits only
    Decimal,    // digits, the decimal separator and the minus sign
    None,       // a list or a picker: no typed text
};

// The RegisterRecord member a field writes, and the same member for reading.
using MemberTarget = std::variant<QString*, std::int32_t*, std::int16_t*, double*>;
using MemberValue = std::variant<const QString*, const std::int32_t*, const std::int16_t*, const double*>;

struct RegisterFieldRow {
    FieldControl control = FieldControl::Text;
    int index = 0;        // Txt index, register 0-2 for Months and Picker, 0 for Code
    int column = 0;       // RegisterColumns position
    QString name;         // for the operator: "ARRIVI ULT. CRONOL."
    QString heading;      // the screen's heading above the field ("ARRIVI"), or ""
    QString caption;      // the caption the screen draws beside it ("Ult. Cronol.")
    KeyClass keys = KeyClass::None;
    int length = 0;       // characters the field takes; for text columns the column's length
    std::function<MemberTarget(RegisterRecord&)> member;
    std::function<MemberValue(const RegisterRecord&)> value;  // `member`, read only
    bool verbatim = false;  // text kept as stored, blanks and all
    bool joinsPrevious = false;  // a check character: the conflict box shows it
                                 // joined to the previous field's value

    // The caption under which the screen shows the field: "ARRIVI Ult. Cronol.".
    QString screenLabel() const { return heading.isEmpty() ? caption : heading + QLatin1Char(' ') + caption; }
};

// A single field's RegisterRecord member.
using SingleMember = std::variant<QString RegisterRecord::*, std::int32_t RegisterRecord::*>;

// The single text fields after the register blocks, one row each in the order
// of their Txt indices: the first row shows Txt(64), each next row the next
// index, and the last row's index is Field::Last (screen_fields.h), which
// sizes the window's Txt array. A text field added to the entry screen is one
// row at the end; the register-field table makes its full row from this one.
struct SingleFieldRow {
    int column;          // RegisterColumns position
    const char* name;    // for the operator: "ULT. CARICO"
    int heading;         // the register whose name heads the caption, or -1
    const char* caption; // the caption beside the field: "Ult. Carico"
    KeyClass keys;
    SingleMember member;
    bool joinsPrevious = false;  // a check character, shown joined to the previous field
};
inline constexpr SingleFieldRow SingleFields[] = {
    {RegisterColumns::UltimoCarico, "ULT. CARICO", -1, "Ult. Carico", KeyClass::Digits,
     &RegisterRecord::SspUltimoCarico},
    {RegisterColumns::UltimoScarico, "ULT. SCARICO", -1, "Ult. Scarico", KeyClass::Digits,
     &RegisterRecord::SspUltimoScarico},
    {RegisterColumns::MagNum, "MAGAZZINO", -1, "Magazzino", KeyClass::UpperCase, &RegisterRecord::SspMagNum},
    {RegisterColumns::MagCin, "MAGAZZINO CIN", -1, "Magazzino (cin)", KeyClass::UpperCase,
     &RegisterRecord::SspMagCin, true},
    {RegisterColumns::SiglUC, "SIGLA PER USCITA C", Custodia, "Sigla per uscita", KeyClass::UpperCase,
     &RegisterRecord::SspSiglUC},
    {RegisterColumns::SiglUD, "SIGLA PER USCITA D", Deposito, "Sigla per uscita", KeyClass::UpperCase,
     &RegisterRecord::SspSiglUD},
    // The authorisation's number takes any key, as its check character does.
    {RegisterColumns::MeccanogNum, "AUTORIZZAZIONE COD. MECCANOGR.", -1, "Autorizzazione Cod. meccanogr.",
     KeyClass::UpperCase, &RegisterRecord::SspMeccanogNum},
    {RegisterColumns::MeccanogCin, "AUTORIZZAZIONE COD. MECCANOGR. CIN", -1,
     "Autorizzazione Cod. meccanogr. (cin)", KeyClass::UpperCase, &RegisterRecord::SspMeccanogCin, true},
};

// Every field, in the order of the screen: the code, the description, each
// register's block (series, number, the five document types with their
// numbers, row, guarantee, then the period's months and start date), then
// the single fields from Txt(64), one for each row of SingleFields.
const std::vector<RegisterFieldRow>& RegisterFields();

// What is wrong with a register-field table, in Italian for whoever sees the
// window stop (the operator, the developer who changed the table): a Txt index
// outside Field::First to Field::Last or on a header line, a control shown by
// two rows, a Txt index between them without a row, a column of `table` named
// twice or not at all, a row without its name, caption or member. Empty when
// the table is sound. The window checks its table before it makes a control
// and stops on a problem, so no index ever lands on another control.
QString FieldTableProblem(const std::vector<RegisterFieldRow>& rows,
                          const TableDescription& table = RegisterTableDescription());

// The field that shows register column `column`, or of Txt(index); nullptr when none.
const RegisterFieldRow* FieldOfColumn(int column);
const RegisterFieldRow* FieldOfText(int index);

// The name of register k (0 ARRIVI, 1 CUSTODIA, 2 DEPOSITO), the one list of
// the register names.
QString RegisterName(int k);
// The name of header block b (0 ARRIVI, 1 DEPOSITO, 2 CUSTODIA, 3 PREAVVISO),
// the order of the header lines and of the numbered pages.
QString HeaderBlockName(int block);

// The name of a column of the change history for the operator: a register
// field's name, a header line's ("TESTATA ARRIVI RIGA 1"), the header row's
// code ("TESTATA CODICE"); any other column keeps its own name.
// A register column's name comes from the row of `fields` that shows it.
QString ColumnOperatorName(const QString& column, const std::vector<RegisterFieldRow>& fields = RegisterFields(),
                           const TableDescription& registers = RegisterTableDescription());
// The name of header line `line` (1 to 5) of block b (0 A, 1 D, 2 C, 3 P).
QString HeaderLineName(int block, int line);

}  // namespace store
