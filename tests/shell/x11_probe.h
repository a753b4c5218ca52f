// A look at the X display for the hand-off tests: which process owns the
// window that has the input focus, and moving the focus away first.
#pragma once

namespace shell_tests {

// The _NET_WM_PID of the focused window (or of its nearest ancestor that has
// one); -1 when there is none or no display.
long long FocusedWindowPid();
// Gives the focus to the root window, so a later activation is visible.
void FocusRootWindow();

}  // namespace shell_tests
