// The field map between RegisterRecord and the values of the entry screen:
// which Txt index, period list and date picker shows which column, and how each
// value is converted on the way. The window applies and collects these values;
// the map itself needs no window.
#pragma once

#include "store/record/register_record.h"
#include "store/record/screen_fields.h"

#include <QDate>
#include <QString>

#include <array>
#include <vector>

namespace store {

struct ScreenValues {
    QString DicKod;
    // By Txt index: Txt(1) and Txt(22) to Txt(Field::Last); 2 to 21 are the
    // header lines. As long as the window's Txt array, or longer when the
    // values were made from a register-field table with more fields.
    std::vector<QString> Txt = std::vector<QString>(std::size_t(Field::Count));
    std::array<int, 3> comboIndex{-1, -1, -1};  // selected month position, -1 for none
    std::array<QString, 3> comboText;  // the selected item's text, empty when none
    std::array<QDate, 3> pickerDate;   // an invalid date resets the picker to its minimum
    std::array<QString, 3> pickerText; // the picker's value as text
};

// Record to screen: DicKod, Txt(1), the three register blocks, the single
// fields from Txt(64), periods and dates: a value for each row of `fields`.
ScreenValues RegisterToScreen(const RegisterRecord& record,
                              const std::vector<RegisterFieldRow>& fields = RegisterFields());
// Screen to record: every field of `fields`, or those whose columns `columns`
// marks (indexed by column position of `table`). A value that cannot be
// converted raises the engine error; the fields before it are already
// assigned. A text field past the values' Txt reads as empty.
void ScreenToRegister(const ScreenValues& screen, RegisterRecord& record,
                      const std::vector<bool>* columns = nullptr,
                      const std::vector<RegisterFieldRow>& fields = RegisterFields(),
                      const TableDescription& table = RegisterTableDescription());

// The register columns whose fields differ between the screen as the lookup
// left it and the screen now (indexed by column position): what the operator
// changed. A period's start date counts by its date; its list by the month
// selected; a text field by its text exactly.
std::vector<bool> ChangedColumns(const ScreenValues& shown, const ScreenValues& now,
                                 const std::vector<RegisterFieldRow>& fields = RegisterFields());

// The decimal text of a whole number.
QString Decimal(std::int32_t number);

}  // namespace store
