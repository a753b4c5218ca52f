// How an engine error that no routine handles itself reaches the operator: a
// box with the engine's number and text under the program's own title.
#pragma once

#include "store/engine/engine.h"
#include "store/engine/message_boxes.h"

namespace store {

// "ERRORE <number>" and the engine's text on the next line.
QString EngineErrorText(const EngineError& error);
// Shows it with OK alone and the stop icon; the title is the program's own.
void ShowEngineError(MessageBoxes& boxes, const EngineError& error);

}  // namespace store
