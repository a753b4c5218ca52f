// The faces every printed document is set in: Liberation Sans for the text,
// Liberation Mono for what keeps its columns (header lines, the history). They
// are embedded in every PDF, so a file still shows the same in years.
#pragma once

#include <QFont>
#include <QString>

namespace paper {

// Makes sure both faces can be used, loading them from the fonts-liberation
// package's folder when the font configuration does not list them. Empty when
// they can; otherwise the message for the operator.
QString LoadLiberationFonts();

QFont Sans(double points, bool bold = false);
QFont Mono(double points, bool bold = false);

}  // namespace paper
