// The header panel: the twenty header lines of the register on the screen,
// opened over the register panel, written in their own transaction or
// restored from the copy taken when the panel opened.
#include "screen/header_panel.h"

#include <QLineEdit>

namespace screen {

namespace Field = store::Field;

HeaderPanel::HeaderPanel(const HeaderPanelControls& controls, runtime::FormRuntime& runtime, store::RegisterSet& set,
                         lookups::PanelWindow& window)
    : c(controls), runtime_(runtime), set_(set), window_(window)
{
}

void HeaderPanel::OpenHeaderPanel()
{
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        HeaderBackup[i] = store::WithoutTrailingBlanks(c.Txt[i]->text());
    headerReturnField_ = window_.currentField();
    c.registerPanel->setEnabled(false);
    c.panel->show();
    c.panel->setEnabled(true);
    c.panel->raise();
    runtime_.SetFocus(c.Txt[Field::FirstHeaderLine]);
}

void HeaderPanel::ConfirmHeaderPanel()
{
    set_.writeHeader(HeaderLinesOnScreen(), runtime_);
    closeHeaderPanel();
}

void HeaderPanel::CancelHeaderPanel()
{
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        runtime_.SetText(c.Txt[i], HeaderBackup[i]);
    closeHeaderPanel();
}

store::HeaderLines HeaderPanel::HeaderLinesOnScreen() const
{
    store::HeaderLines lines;
    for (int i = Field::FirstHeaderLine; i <= Field::LastHeaderLine; ++i)
        lines[i] = c.Txt[i]->text();
    return lines;
}

void HeaderPanel::closeHeaderPanel()
{
    c.registerPanel->setEnabled(true);
    c.panel->hide();
    c.panel->setEnabled(false);
    // Back to the register field that had the focus before the panel opened.
    QWidget* back = headerReturnField_ >= Field::First && headerReturnField_ <= Field::Last
                         ? c.Txt[headerReturnField_] : nullptr;
    if (!back || !runtime_.SetFocus(back))
        runtime_.SetFocus(c.Txt[Field::Description]);
}

}  // namespace screen
