// Small shared routines of the suite's module SubRoutines.
#pragma once

#include <QString>

namespace shell {

// When the trimmed text is not empty and shorter than `width`: the missing
// blanks, then the trimmed text. Otherwise the text unchanged, untrimmed.
QString PadLeft(const QString& text, int width);

}  // namespace shell
