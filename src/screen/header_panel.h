// HeaderPanel: the twenty header lines of the register set on the screen,
// opened over the register panel, written in their own transaction or
// restored from the copy taken when the panel opened.
#pragma once

#include "lookups/panel_window.h"
#include "runtime/form_runtime.h"
#include "store/registers/header_lines.h"
#include "store/registers/register_set.h"
#include "store/record/screen_fields.h"

#include <array>

class QLineEdit;
class QWidget;

namespace screen {

// The controls of the panel, created by the window's layout.
struct HeaderPanelControls {
    QWidget* panel = nullptr;          // Pict(2), the panel itself
    QWidget* registerPanel = nullptr;  // Pict(1), disabled while the panel is open
    // The header lines (FirstHeaderLine to LastHeaderLine) and the register
    // fields the focus goes back to.
    std::array<QLineEdit*, store::Field::Count> Txt{};
};

class HeaderPanel {
public:
    HeaderPanel(const HeaderPanelControls& controls, runtime::FormRuntime& runtime, store::RegisterSet& set,
                lookups::PanelWindow& window);
    HeaderPanel(const HeaderPanel&) = delete;
    HeaderPanel& operator=(const HeaderPanel&) = delete;

    // "&TESTATE": keeps a copy of the lines and gives the first one the focus.
    void OpenHeaderPanel();
    // The panel's "&CONFERMA": the lines written for the set (a failure is
    // told and the lines stay), then the panel closes.
    void ConfirmHeaderPanel();
    // The panel's "&ANNULLA": the lines as they were when the panel opened.
    void CancelHeaderPanel();
    // The lines as the screen holds them.
    store::HeaderLines HeaderLinesOnScreen() const;

private:
    void closeHeaderPanel();

    HeaderPanelControls c;
    runtime::FormRuntime& runtime_;
    store::RegisterSet& set_;
    lookups::PanelWindow& window_;
    store::HeaderLines HeaderBackup;
    int headerReturnField_ = store::Field::Description;
};

}  // namespace screen
