// The application's colours made readable: every text colour of the palette
// against the background it is drawn on at a contrast of at least 4.5 to 1,
// the WCAG 2.1 AA level for text, in the active and inactive groups.
#pragma once

#include <QColor>
#include <QPalette>

namespace runtime {

// The WCAG 2.1 minimum contrast for text of normal size.
inline constexpr double ReadableContrast = 4.5;

// The WCAG 2.1 contrast ratio of two colours, from 1 (the same) to 21.
double ContrastRatio(const QColor& a, const QColor& b);

// `palette` with every text and background pair below ReadableContrast
// brought to it: the background darkened under a light text, the text
// darkened over a light background, each as little as it takes. Pairs that
// already read keep their colours. Disabled colours are left alone: an
// inactive control is exempt.
QPalette ReadablePalette(QPalette palette);

}  // namespace runtime
