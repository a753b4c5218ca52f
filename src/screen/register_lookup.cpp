// The register-code field and the lookup: a typed code is sought and its
// register shown for change, or offered for insertion.
#include "screen/startup.h"

#include "store/registers/register_set.h"
#include "store/schema/table_description.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace screen {

void Startup::DicKod_GotFocus()
{
    CurField = 0;
    SelectAllText(c.DicKod);
    c.Label1->setText(ModeCaption[Mode::Gestione]);
    for (int i : {CmdD::Elimina, CmdD::Conferma, CmdD::Annulla, CmdD::Testate})
        c.cmdD[i]->hide();
}

void Startup::DicKod_LostFocus()
{
    RegisterRecord.SspCodice = c.DicKod->text().trimmed();
    if (RegisterRecord.SspCodice.isEmpty() || SkipExitCheck)
        return;
    FindRegister();
    if (ScreenMode == Mode::Gestione)
        ReturnToCodeField();
}

void Startup::DicKod_DblClick()
{
    SkipExitCheck = true;
    searchPanel().OpenSearchPanel();
}

void Startup::FindRegister()
{
    ScreenMode = Mode::Gestione;
    // The register row and the header row are read together: a failure of
    // either (a lock held beyond the wait, a damaged file, a table gone, the
    // connection lost between the two) is told, nothing of the register is
    // shown, and the caller goes back to the code field.
    const store::LookupResult result = Set.lookUp(RegisterRecord.SspCodice, *runtime_);
    if (result == store::LookupResult::Failed) {
        c.DicKod->setEnabled(true);
        ShowButtonsForMode();
        c.Label1->setText(ModeCaption[ScreenMode]);
        return;
    }
    const bool found = result == store::LookupResult::Found;
    if (!found) {
        const int answer = runtime_->MsgBox(QStringLiteral("REGISTRO INESISTENTE: INSERISCO"),
                                            store::BoxCode::YesNoQuestionNoDefault,
                                            QStringLiteral("MORVANEX - CONFERMA"));
        if (answer == store::BoxAnswer::No) {
            c.DicKod->setEnabled(true);
            ScreenMode = Mode::Gestione;
        } else {
            c.DicKod->setEnabled(false);
            ScreenMode = Mode::Inserimento;
        }
    } else {
        c.DicKod->setEnabled(false);
        ScreenMode = Mode::Variazione;
    }
    ShowRegister();
    ShowButtonsForMode();
    c.Label1->setText(ModeCaption[ScreenMode]);
    SelectAllText(c.Txt[store::Field::Description]);
    if (ScreenMode == Mode::Variazione && !Set.shown.unshowable.isEmpty())
        runtime_->MsgBox(store::UnshowableText(RegisterRecord.SspCodice, Set.shown.unshowable),
                         store::BoxCode::OkOnly);
}

void Startup::ShowButtonsForMode()
{
    const bool open = ScreenMode != Mode::Gestione;
    c.cmdD[CmdD::Elimina]->setVisible(ScreenMode == Mode::Variazione);
    c.cmdD[CmdD::Conferma]->setVisible(open);
    c.cmdD[CmdD::Annulla]->setVisible(open);
    c.cmdD[CmdD::Testate]->setVisible(open);
    if (ScreenMode == Mode::Inserimento)
        CurField = store::Field::Description;
}

QString Startup::typedCode() const
{
    return c.DicKod->text().trimmed();
}

void Startup::lookUpRegister(const QString& code)
{
    RegisterRecord.SspCodice = code;
    FindRegister();
    focusAfterSearch();
}

void Startup::focusAfterSearch()
{
    // The panel that had the focus is gone: the register panel takes it back,
    // in the description after a lookup, in the code field after a refusal.
    if (ScreenMode == Mode::Gestione)
        ReturnToCodeField();
    else
        runtime_->SetFocus(c.Txt[store::Field::Description]);
}

}  // namespace screen
