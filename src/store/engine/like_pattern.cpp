// The engine's "*" pattern as an SQL LIKE pattern.
#include "store/engine/like_pattern.h"

namespace store {

QString LikePattern(const QString& pattern, bool* escaped)
{
    QString out;
    *escaped = false;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('*')) {
            out += QLatin1Char('%');
        } else if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            out += c;
            *escaped = true;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace store
