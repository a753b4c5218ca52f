// The buttons of the register panel: confirm, abandon, delete, header lines,
// exit; and the return to the code field that ends the work on a register.
#include "screen/startup.h"

#include "store/registers/register_set.h"

#include <QLineEdit>

namespace screen {

void Startup::cmdD_Click(int Index)
{
    if (Index == CmdD::Uscita)
        SkipExitCheck = true;
    switch (Index) {
    case CmdD::Elimina:
        DeleteRegisterAsked();
        break;
    case CmdD::Conferma:
        // A failed write keeps the register and its edits on the screen, so
        // the operator can confirm again once the cause is gone, or abandon.
        // A change made meanwhile by another workstation is told first (see
        // store::WriteRegister); the edits stay on the screen unless written.
        if (Set.write(ReadScreen(), headerPanel().HeaderLinesOnScreen(), *runtime_))
            ReturnToCodeField();
        break;
    case CmdD::Uscita:
        Unload();
        break;
    case CmdD::Annulla:
        ReturnToCodeField();
        break;
    case CmdD::Testate:
        headerPanel().OpenHeaderPanel();
        break;
    case CmdD::ConfermaTestata:
        headerPanel().ConfirmHeaderPanel();
        break;
    case CmdD::AnnullaTestata:
        headerPanel().CancelHeaderPanel();
        break;
    default:
        ReturnToCodeField();
    }
}

void Startup::cmdD_MouseDown(int Index)
{
    if (Index == CmdD::Uscita)
        SkipExitCheck = true;
}

void Startup::ReturnToCodeField()
{
    RegisterRecord.SspCodice = QStringLiteral(" ");
    ClearScreen();
    ClearRegister();
    c.DicKod->setEnabled(true);
    runtime_->SetFocus(c.DicKod);
}

void Startup::DeleteRegisterAsked()
{
    const int answer = runtime_->MsgBox(QStringLiteral("CONFERMI LA CANCELLAZIONE DEL REGISTRO?"),
                                        store::BoxCode::YesNoQuestionNoDefault,
                                        QStringLiteral("MORVANEX - CONFERMA"));
    if (answer == store::BoxAnswer::No) {
        ClearScreen();
        ClearRegister();
        c.DicKod->setEnabled(true);
        runtime_->SetFocus(c.DicKod);
        return;
    }
    // A failed delete keeps both rows and the register on the screen, and so
    // does a register set that the operator keeps after a change made elsewhere.
    if (Set.remove(*runtime_) != store::DeleteResult::NotDeleted)
        ReturnToCodeField();
}

}  // namespace screen
