// The program's command line. The window takes no arguments; --version and
// --help answer without a display, and anything else is refused before a
// window is made.
#pragma once

#include <optional>

namespace shell {

// The exit status when the command line is answered here (the version or the
// usage printed, an argument refused); nullopt when the program goes on to
// its window.
std::optional<int> HandleCommandLine(int argc, char** argv);

}  // namespace shell
