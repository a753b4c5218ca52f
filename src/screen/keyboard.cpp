// Keyboard navigation of the entry screen: the window's key handlers, moving
// between fields by index, the filters by field class, advancing out of full
// fields, and what happens when a field is entered or left.
#include "screen/help_window.h"
#include "screen/key_filters.h"
#include "screen/startup.h"

#include "store/engine/null_conversions.h"
#include "store/record/screen_fields.h"

#include <QLineEdit>
#include <QListView>

namespace screen {

namespace Field = store::Field;

void Startup::Form_KeyDown(int& KeyCode, int Shift)
{
    // F1 shows the keys wherever the operator is.
    if (KeyCode == runtime::Vk::F1 && Shift == 0) {
        KeyCode = 0;
        ShowHelpWindow();
        return;
    }
    // The history panel is read-only: Escape, F2 and F9 close it (as its
    // "&CHIUDI" does), the other hot keys work, every other key stays in its list.
    if (c.PictStorico->isVisible()) {
        if (KeyCode == runtime::Vk::Escape || KeyCode == runtime::Vk::F2 || KeyCode == runtime::Vk::F9)
            historyPanel().CloseHistoryPanel();
        else
            GlobalHotKeys(KeyCode, Shift);
        return;
    }
    // Escape puts away the search panel or the document-type list with
    // nothing picked, back where it was opened.
    if (KeyCode == runtime::Vk::Escape && c.Pict[0]->isVisible()) {
        KeyCode = 0;
        searchPanel().CancelSearchPanel();
        return;
    }
    if (KeyCode == runtime::Vk::Escape && c.List1->isVisible()) {
        KeyCode = 0;
        docTypeList_->HideDocTypeList();
        return;
    }
    if (KeyCode == runtime::Vk::F7 && c.Pict[1]->isEnabled()) {
        historyPanel().OpenHistoryPanel();
        return;
    }
    if (KeyCode == runtime::Vk::F8) {
        PrintKey();
        return;
    }
    if (KeyCode == runtime::Vk::F2 && c.List1->isVisible()) {
        runtime_->SetFocus(c.Txt[CurField]);
        return;
    }
    GlobalHotKeys(KeyCode, Shift);
    if (KeyCode == runtime::Vk::Return && searchPanel().ListHasFocus) {
        searchPanel().Lista_DblClick();
        return;
    }
    if (EnterMode == lookups::EnterMode::LikeTab) {
        EnterAsTab(KeyCode);
        return;
    }
    if (KeyCode == runtime::Vk::F4) {
        if (CurField == 0) {
            SkipExitCheck = true;
            searchPanel().OpenSearchPanel();
        } else {
            docTypeList_->ShowDocTypeList();
        }
        return;
    }
    if (KeyCode == runtime::Vk::Return) {
        if (CurField == 0 || CurField == Field::Last) {
            runtime_->SendKeys(QStringLiteral("{TAB}"));
            return;
        }
        KeyCode = runtime::Vk::Down;
    }
    if (KeyCode != runtime::Vk::Up && KeyCode != runtime::Vk::Down)
        return;
    if (KeyCode == runtime::Vk::Up)
        PreviousField();
    else
        NextField();
    if (CurField >= Field::First && CurField <= Field::Last)
        runtime_->SetFocus(c.Txt[CurField]);
}

void Startup::Form_KeyPress(int& KeyAscii)
{
    if (KeyAscii == KeyAscii::Enter) {
        KeyAscii = 0;
        return;
    }
    if (c.PictStorico->isVisible())
        return;
    if (c.Pict[0]->isVisible()) {
        UpperCaseKey(KeyAscii);
        return;
    }
    if (CurField < Field::FirstHeaderLine)
        UpperCaseKey(KeyAscii);
    if (CurField <= Field::LastHeaderLine)
        return;
    const int fieldClass = FieldClass(CurField);
    if (fieldClass == UpperCaseClass)
        UpperCaseKey(KeyAscii);
    else if (IsAmountField(CurField))
        DecimalOnly(KeyAscii);
    else
        DigitsOnly(KeyAscii);
    AdvanceWhenFull(c.Txt[CurField], KeyAscii);
}

void Startup::PreviousField()
{
    // The ring is Txt(1) to Txt(71); a full turn without a field that can
    // take the focus leaves CurField where it was.
    const int start = CurField;
    int field = CurField;
    for (int step = 0; step < Field::Last; ++step) {
        field = field <= Field::First ? Field::Last : field - 1;
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
    for (int step = 0; step < Field::Last; ++step) {
        field = field >= Field::Last ? Field::First : field + 1;
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
    if (code == runtime::Vk::Return)
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
    // An amount typed takes the field's pattern. One still as it was shown
    // keeps its text, and so its stored value: the pattern would make another
    // amount of one it cannot show (1e+308 cut short, 5e-324 as 0,00).
    const QString text = c.Txt[Index]->text();
    const bool asShown = Set.shown.screen && std::size_t(Index) < Set.shown.screen->Txt.size() &&
                         Set.shown.screen->Txt[std::size_t(Index)] == text;
    if (IsAmountField(Index) && !asShown)
        runtime_->SetText(c.Txt[Index], store::FormatAmountText(text));
    MirrorCustodySeries(Index);
    if (Index == Field::CustodySerie)
        for (int n = 0; n < Field::WorkPositions; ++n)
            MirrorCustodySeries(Field::WorkSerie(store::Arrivi, n));
    if (!SkipExitCheck)
        docTypeList_->CheckDocType(Index);
}

void Startup::MirrorCustodySeries(int Index)
{
    if (!Field::IsArriviWorkSerie(Index))
        return;
    if (!c.Txt[Field::CustodySerie]->text().trimmed().isEmpty())
        runtime_->SetText(c.Txt[Field::CustodyMirror(Index)], c.Txt[Index]->text());
    else
        runtime_->SetText(c.Txt[Field::CustodyMirror(Index)], QString());
}

void Startup::ShowHelpWindow()
{
    if (!helpWindow_)
        helpWindow_ = new HelpWindow(window_, [this](const QString& message) {
            runtime_->MsgBox(message, store::BoxCode::OkOnly + store::BoxCode::ExclamationIcon);
        });
    helpWindow_->showFor(session);
}

void Startup::returnToCodeField(const QString& code)
{
    ReturnToCodeField();
    runtime_->SetText(c.DicKod, code);
    SelectAllText(c.DicKod);
}

void Startup::Txt_DblClick(int /*Index*/)
{
    docTypeList_->ShowDocTypeList();
}

}  // namespace screen
