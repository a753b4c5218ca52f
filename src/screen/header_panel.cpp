// The header panel: the twenty header lines of the register on the screen,
// opened over the register panel, written in their own transaction or
// restored from the copy taken when the panel opened.
#include "screen/startup.h"

#include "store/header_lines.h"
#include "store/register_set.h"
#include "store/screen_fields.h"

#include <QLineEdit>

namespace screen {

namespace Field = store::Field;

void Startup::OpenHeaderPanel()
{
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        HeaderBackup[i] = store::WithoutTrailingBlanks(c.Txt[i]->text());
    headerReturnField_ = CurField;
    c.Pict[1]->setEnabled(false);
    c.Pict[2]->show();
    c.Pict[2]->setEnabled(true);
    c.Pict[2]->raise();
    runtime_->SetFocus(c.Txt[Field::FirstHeaderLine]);
}

void Startup::ConfirmHeaderPanel()
{
    const store::HeaderLines lines = HeaderLinesOnScreen();
    Set.writeHeader(lines, *runtime_);
    closeHeaderPanel();
}

void Startup::CancelHeaderPanel()
{
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        runtime_->SetText(c.Txt[i], HeaderBackup[i]);
    closeHeaderPanel();
}

void Startup::closeHeaderPanel()
{
    c.Pict[1]->setEnabled(true);
    c.Pict[2]->hide();
    c.Pict[2]->setEnabled(false);
    // Back to the register field that had the focus before the panel opened.
    QWidget* back = headerReturnField_ >= Field::First && headerReturnField_ <= Field::Last
                         ? c.Txt[headerReturnField_] : nullptr;
    if (!back || !runtime_->SetFocus(back))
        runtime_->SetFocus(c.Txt[Field::Description]);
}

}  // namespace screen
