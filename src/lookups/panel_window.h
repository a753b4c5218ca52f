// What the header and history panels ask of the window that shows them: the
// window-wide values they share with its other routines. The window
// implements it; the panels know nothing else of the window.
#pragma once

namespace lookups {

class PanelWindow {
public:
    virtual ~PanelWindow() = default;

    // Set while the focus leaves a field on purpose: the checks a field runs
    // when it is left are skipped.
    virtual void setSkipExitCheck(bool skip) = 0;
    // The register field that has (or last had) the focus; 0 for the code field.
    virtual int currentField() const = 0;
};

}  // namespace lookups
