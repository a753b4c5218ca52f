// Appending a stored UTF-8 text to a QString the quick way: ASCII, the common
// case in the registers, is widened without decoding.
#pragma once

#include <QString>

namespace store {

// Appends the `bytes` bytes at `text`; returns how many characters were added.
qsizetype AppendUtf8(QString& out, const char* text, int bytes);

}  // namespace store
