// Marks of the start-up's stages for the start-up benchmark: with
// QUENVOL_STARTUP_MARKS naming a file, each mark appends its stage and the
// monotonic clock's nanoseconds to it; without it a mark costs nothing.
#pragma once

namespace shell {

// Appends "<stage> <nanoseconds>\n" when marks are asked for.
void MarkStartup(const char* stage);
// Whether marks are asked for.
bool StartupMarksOn();

}  // namespace shell
