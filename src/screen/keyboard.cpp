// Keyboard navigation of the entry screen: the window's key handlers, moving
// between fields by index, the filters by field class, advancing out of full
// fields, and what happens when a field is entered or left.
#include "screen/key_filters.h"
#include "screen/startup.h"

#include "store/null_conversions.h"

#include <QLineEdit>
#include <QListView>

namespace screen {

void Startup::Form_KeyDown(int& KeyCode, int Shift)
{
    if (KeyCode == Vk::F2 && c.List1->isVisible()) {
        runtime_->SetFocus(c.Txt[CurField]);
        return;
    }
    GlobalHotKeys(KeyCode, Shift);
    if (KeyCode == Vk::Return && ListHasFocus) {
        Lista_DblClick();
        return;
    }
    if (EnterMode == 1) {
        EnterAsTab(KeyCode);
        return;
    }
    if (KeyCode == Vk::F4) {
        if (CurField == 0) {
            SkipExitCheck = true;
            OpenSearchPanel();
        } else {
            ShowDocTypeList();
        }
        return;
    }
    if (KeyCode == Vk::Return) {
        if (CurField == 0 || CurField == 71) {
            runtime_->SendKeys(QStringLiteral("{TAB}"));
            return;
        }
        KeyCode = Vk::Down;
    }
    if (KeyCode != Vk::Up && KeyCode != Vk::Down)
        return;
    if (KeyCode == Vk::Up)
        PreviousField();
    else
        NextField();
    if (CurField >= 1 && CurField <= 71)
        runtime_->SetFocus(c.Txt[CurField]);
}

void Startup::Form_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyAscii::Enter) {
        KeyAscii = 0;
        return;
    }
    if (c.Pict[0]->isVisible()) {
        UpperCaseKey(KeyAscii);
        return;
    }
    if (CurField < 2)
        UpperCaseKey(KeyAscii);
    if (CurField <= 21)
        return;
    const int fieldClass = FieldClass(CurField);
    if (fieldClass == 1)
        UpperCaseKey(KeyAscii);
    else if (fieldClass == 35 || fieldClass == 49 || fieldClass == 63)
        DecimalOnly(KeyAscii);
    else
        DigitsOnly(KeyAscii);
    AdvanceWhenFull(c.Txt[CurField], KeyAscii);
}

void Startup::PreviousField()
{
    // The ring is 1 to 71; a full turn without a field that can take the
    // focus leaves CurField where it was.
    const int start = CurField;
    int field = CurField;
    for (int step = 0; step < 71; ++step) {
        field = field < 2 ? 71 : field - 1;
        if (runtime_->CanTakeFocus(c.Txt[field])) {
            CurField = field;
            return;
        }
    }
    CurField = start;
}

void Startup::NextField()
{
    const int start = CurField;
    int field = CurField;
    for (int step = 0; step < 71; ++step) {
        field = field >= 71 ? 1 : field + 1;
        if (runtime_->CanTakeFocus(c.Txt[field])) {
            CurField = field;
            return;
        }
    }
    CurField = start;
}

void Startup::AdvanceWhenFull(QLineEdit* field, int key)
{
    if (key == KeyAscii::Backspace || key == KeyAscii::CtrlC)
        return;
    // Only the field being typed into moves on (a month list or a date
    // picker keeps the last field's filter, not its advance).
    if (field != runtime_->ActiveControl())
        return;
    const int maxLength = field->maxLength();
    if (maxLength <= 0)
        return;
    // The character typed replaces the selected text: the field is full once
    // it is in when the rest of the text is one short of the maximum.
    const qsizetype kept = field->text().size() - field->selectedText().size();
    if (kept == maxLength - 1 || maxLength == 1)
        runtime_->SendKeys(QStringLiteral("{DOWN}"));
}

void Startup::EnterAsTab(int code)
{
    if (code == Vk::Return)
        runtime_->SendKeys(QStringLiteral("{TAB}"));
}

void Startup::Txt_GotFocus(int Index)
{
    SkipExitCheck = false;
    CurField = Index;
    SelectAllText(c.Txt[Index]);
}

void Startup::Txt_LostFocus(int Index)
{
    if (Index == 35 || Index == 49 || Index == 63)
        runtime_->SetText(c.Txt[Index], store::FormatAmountText(c.Txt[Index]->text()));
    MirrorCustodySeries(Index);
    if (Index == 36)
        for (int i : {24, 26, 28, 30, 32})
            MirrorCustodySeries(i);
    if (!SkipExitCheck)
        CheckDocType(Index);
}

void Startup::MirrorCustodySeries(int Index)
{
    if (Index != 24 && Index != 26 && Index != 28 && Index != 30 && Index != 32)
        return;
    if (!c.Txt[36]->text().trimmed().isEmpty())
        runtime_->SetText(c.Txt[Index + 14], c.Txt[Index]->text());
    else
        runtime_->SetText(c.Txt[Index + 14], QString());
}

void Startup::Txt_DblClick(int /*Index*/)
{
    ShowDocTypeList();
}

}  // namespace screen
