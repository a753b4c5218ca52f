// The register on the screen: showing RegisterRecord with its header lines,
// reading the screen back, and blanking screen and record.
#include "screen/startup.h"

#include "store/record/screen_fields.h"
#include "store/record/screen_values.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>

namespace screen {

namespace Field = store::Field;

namespace {

// Shows `date` (none: the picker's first day). A stored date outside the
// picker's range (a year past 9999 on a server) is shown as written, as the
// text of a day just before the range: it reads back as that same day, so a
// save leaves the stored date alone unless the operator picks another.
void ShowDate(QDateEdit* picker, const QDate& date)
{
    if (!picker->specialValueText().isEmpty()) {
        picker->setSpecialValueText(QString());
        picker->setMinimumDate(picker->minimumDate().addDays(1));
    }
    if (!date.isValid() || (date >= picker->minimumDate() && date <= picker->maximumDate())) {
        picker->setDate(date.isValid() ? date : picker->minimumDate());
        return;
    }
    picker->setMinimumDate(picker->minimumDate().addDays(-1));
    picker->setSpecialValueText(date.toString(QStringLiteral("dd/MM/yyyy")));
    picker->setDate(picker->minimumDate());
}

}  // namespace

void Startup::ShowRegister()
{
    const store::ScreenValues values = store::RegisterToScreen(RegisterRecord);
    runtime_->SetText(c.DicKod, values.DicKod);
    runtime_->SetText(c.Txt[Field::Description], values.Txt[Field::Description]);
    for (int k = 0; k < 3; ++k) {
        c.Combo1[k]->setCurrentIndex(values.comboIndex[k]);
        ShowDate(c.lbData[k], values.pickerDate[k]);
        const int b = Field::RegisterBase[k];
        for (int i = b; i < b + Field::BlockLength; ++i)
            runtime_->SetText(c.Txt[i], values.Txt[i]);
    }
    for (int i = Field::UltimoCarico; i <= Field::Last; ++i)
        runtime_->SetText(c.Txt[i], values.Txt[i]);
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        runtime_->SetText(c.Txt[i], QStringLiteral(" "));
    const store::HeaderLines lines = Set.headerLines();
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        runtime_->SetText(c.Txt[i], lines[i]);
    // What the fields show now is what the operator starts from: a save
    // writes only the fields whose values differ from it.
    Set.shown.screen.reset();
    if (Set.shown.row)
        Set.shown.screen = ReadScreen();
}

store::ScreenValues Startup::ReadScreen() const
{
    store::ScreenValues values;
    values.DicKod = c.DicKod->text();
    for (int i = Field::First; i <= Field::Last; ++i)
        values.Txt[i] = c.Txt[i]->text();
    for (int k = 0; k < 3; ++k) {
        values.comboIndex[k] = c.Combo1[k]->currentIndex();
        values.comboText[k] = c.Combo1[k]->currentIndex() >= 0 ? c.Combo1[k]->currentText() : QString();
        values.pickerDate[k] = c.lbData[k]->date();
        values.pickerText[k] = c.lbData[k]->text();
    }
    return values;
}

void Startup::ClearScreen()
{
    runtime_->SetText(c.DicKod, RegisterRecord.SspCodice);
    for (int i = Field::First; i <= Field::Last; ++i)
        runtime_->SetText(c.Txt[i], QStringLiteral(" "));
    for (int k = 0; k < 3; ++k) {
        ShowDate(c.lbData[k], QDate());
        c.Combo1[k]->setCurrentIndex(-1);
    }
}

void Startup::ClearRegister()
{
    store::ClearRegister(RegisterRecord);
}

}  // namespace screen
