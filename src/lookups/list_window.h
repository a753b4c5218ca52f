// What the look-up lists ask of the window that shows them: the window-wide
// values they share with its other routines, and the routines they hand over
// to once a choice is made. The window implements it; the lists know nothing
// else of the window.
#pragma once

#include <QString>

class QLineEdit;

namespace lookups {

// What Enter does in the window (setEnterMode).
namespace EnterMode {
constexpr int LikeTab = 1;        // moves on like Tab (while the search panel is open)
constexpr int DownTheFields = 2;  // moves down the register fields
}  // namespace EnterMode

class ListWindow {
public:
    virtual ~ListWindow() = default;

    // Set while a click or a key leaves a field on purpose: the checks a field
    // runs when it is left are skipped.
    virtual bool skipExitCheck() const = 0;
    virtual void setSkipExitCheck(bool skip) = 0;
    // What Enter does: one of EnterMode.
    virtual void setEnterMode(int mode) = 0;
    virtual void selectAllText(QLineEdit* field) = 0;

    // --- The search panel -----------------------------------------------------
    // The code typed in the register-code field.
    virtual QString typedCode() const = 0;
    // Blanks the register set being worked on.
    virtual void clearRegister() = 0;
    // Looks up the code picked or typed in the panel and gives the focus back
    // to the register panel.
    virtual void lookUpRegister(const QString& code) = 0;
    // Gives the focus back to the register-code field holding `code`, with
    // nothing looked up (the panel was put away).
    virtual void returnToCodeField(const QString& code) = 0;
    // Leaves the program.
    virtual void unload() = 0;

    // --- The document-type list ----------------------------------------------
    // The register field that has (or last had) the focus; 0 for the code field.
    virtual int currentField() const = 0;
    // A code was put into field `index` from the list.
    virtual void fieldFilled(int index) = 0;
};

}  // namespace lookups
