// Small shared routines of the suite's module SubRoutines.
#include "shell/sub_routines.h"

namespace shell {

QString PadLeft(const QString& text, int width)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() >= width)
        return text;
    return QString(width - trimmed.size(), QLatin1Char(' ')) + trimmed;
}

}  // namespace shell
