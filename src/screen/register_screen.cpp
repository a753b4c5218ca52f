// The register on the screen: showing RegisterRecord with its header lines,
// reading the screen back, and blanking screen and record.
#include "screen/startup.h"

#include "store/screen_values.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>

namespace screen {

void Startup::ShowRegister()
{
    const store::ScreenValues values = store::RegisterToScreen(RegisterRecord);
    runtime_->SetText(c.DicKod, values.DicKod);
    runtime_->SetText(c.Txt[1], values.Txt[1]);
    for (int k = 0; k < 3; ++k) {
        c.Combo1[k]->setCurrentIndex(values.comboIndex[k]);
        c.lbData[k]->setDate(values.pickerDate[k].isValid() ? values.pickerDate[k]
                                                            : c.lbData[k]->minimumDate());
        const int b = store::RegisterBase[k];
        for (int i = b; i <= b + 13; ++i)
            runtime_->SetText(c.Txt[i], values.Txt[i]);
    }
    for (int i = 64; i <= 71; ++i)
        runtime_->SetText(c.Txt[i], values.Txt[i]);
    for (int i = 2; i <= 21; ++i)
        runtime_->SetText(c.Txt[i], QStringLiteral(" "));
    const store::HeaderLines lines = store::ReadHeaderLines(*company.HeaderCursor, RegisterRecord.SspCodice);
    for (int i = 2; i <= 21; ++i)
        runtime_->SetText(c.Txt[i], lines[i]);
}

store::ScreenValues Startup::ReadScreen() const
{
    store::ScreenValues values;
    values.DicKod = c.DicKod->text();
    for (int i = 1; i <= 71; ++i)
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
    for (int i = 1; i <= 71; ++i)
        runtime_->SetText(c.Txt[i], QStringLiteral(" "));
    for (int k = 0; k < 3; ++k) {
        c.lbData[k]->setDate(c.lbData[k]->minimumDate());
        c.Combo1[k]->setCurrentIndex(-1);
    }
}

void Startup::ClearRegister()
{
    store::ClearRegister(RegisterRecord);
}

}  // namespace screen
