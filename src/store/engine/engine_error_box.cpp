// The box of an engine error that no routine handles itself.
#include "store/engine/engine_error_box.h"

namespace store {

QString EngineErrorText(const EngineError& error)
{
    return QStringLiteral("ERRORE %1\n%2").arg(error.number()).arg(error.description());
}

void ShowEngineError(MessageBoxes& boxes, const EngineError& error)
{
    boxes.MsgBox(EngineErrorText(error), BoxCode::OkCritical);
}

}  // namespace store
