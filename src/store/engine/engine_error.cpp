// The engine's error: a number and a description, as the suite reports them.
#include "store/engine/engine.h"

namespace store {

EngineError::EngineError(int number, const QString& description)
    : std::runtime_error(QStringLiteral("%1: %2").arg(number).arg(description).toStdString()),
      number_(number),
      description_(description)
{
}

}  // namespace store
