// The engine's "*" pattern written as an SQL LIKE pattern, for both engines.
#pragma once

#include <QString>

namespace store {

// "*" becomes "%" (any run of characters); "%", "_" and "\" are escaped with
// "\" so they stand for themselves; every other character stands for itself.
// `escaped` tells whether an escape was written (the statement then needs
// ESCAPE '\').
QString LikePattern(const QString& pattern, bool* escaped);

}  // namespace store
