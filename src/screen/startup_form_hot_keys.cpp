// The suite-wide hot keys, seen by the window on every key: F2 and F9 press the
// exit button of the screen in use; Ctrl+Shift+L and Ctrl+Shift+S start or
// bring forward the sibling programs Pavoxa and Rimbelo.
#include "screen/startup.h"

#include "shell/moduli_opzionali.h"

namespace screen {

namespace {

constexpr int KeyL = 76;
constexpr int KeyS = 83;

}  // namespace

void Startup::GlobalHotKeys(int KeyCode, int Shift)
{
    const bool shiftHeld = (Shift & runtime::ShiftMask::Shift) != 0;
    const bool ctrlHeld = (Shift & runtime::ShiftMask::Ctrl) != 0;
    if (KeyCode == runtime::Vk::F2) {
        runtime_->SendKeys(QStringLiteral("%U"));
        return;
    }
    if (KeyCode == runtime::Vk::F9)
        runtime_->SendKeys(QStringLiteral("%U"));
    if (KeyCode == KeyL && shiftHeld && ctrlHeld)
        shell::LaunchModule(QStringLiteral("Pavoxa"), session, *runtime_);
    if (KeyCode == KeyS && shiftHeld && ctrlHeld)
        shell::LaunchModule(QStringLiteral("Rimbelo"), session, *runtime_);
}

}  // namespace screen
