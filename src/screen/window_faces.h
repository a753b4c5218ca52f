// The faces the window sets every text in: Liberation Sans, and Liberation
// Mono where columns must line up (F1's list of keys).
#pragma once

namespace screen {

// Makes both faces usable (loaded from the program's own folder where the
// system lacks them, as on Windows) and makes Liberation Sans the face of
// every text the program does not set itself: boxes, Qt's dialogs. Without
// the faces nothing changes, and the print key says what is missing.
void UseWindowFaces();

}  // namespace screen
