// The header panel: the twenty header lines of the register on the screen,
// opened over the register panel, written in their own transaction or
// restored from the copy taken when the panel opened.
#include "screen/startup.h"

#include "store/header_lines.h"

#include <QLineEdit>

namespace screen {

void Startup::OpenHeaderPanel()
{
    for (int i = 2; i <= 21; ++i)
        HeaderBackup[i] = store::WithoutTrailingBlanks(c.Txt[i]->text());
    headerReturnField_ = CurField;
    c.Pict[1]->setEnabled(false);
    c.Pict[2]->show();
    c.Pict[2]->setEnabled(true);
    c.Pict[2]->raise();
    runtime_->SetFocus(c.Txt[2]);
}

void Startup::ConfirmHeaderPanel()
{
    store::HeaderLines lines;
    for (int i = 2; i <= 21; ++i)
        lines[i] = c.Txt[i]->text();
    store::WriteHeader(company, RegisterRecord.SspCodice, lines, *runtime_);
    closeHeaderPanel();
}

void Startup::CancelHeaderPanel()
{
    for (int i = 2; i <= 21; ++i)
        runtime_->SetText(c.Txt[i], HeaderBackup[i]);
    closeHeaderPanel();
}

void Startup::closeHeaderPanel()
{
    c.Pict[1]->setEnabled(true);
    c.Pict[2]->hide();
    c.Pict[2]->setEnabled(false);
    // Back to the register field that had the focus before the panel opened.
    QWidget* back = headerReturnField_ >= 1 && headerReturnField_ <= 71 ? c.Txt[headerReturnField_] : nullptr;
    if (!back || !runtime_->SetFocus(back))
        runtime_->SetFocus(c.Txt[1]);
}

}  // namespace screen
