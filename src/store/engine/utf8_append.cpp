// Appending stored UTF-8 texts for the lists.
#include "store/engine/utf8_append.h"

namespace store {

qsizetype AppendUtf8(QString& out, const char* text, int bytes)
{
    bool ascii = true;
    for (int i = 0; i < bytes && ascii; ++i)
        ascii = static_cast<unsigned char>(text[i]) < 0x80;
    const qsizetype before = out.size();
    if (ascii)
        out.append(QLatin1StringView(text, bytes));  // the common case: no decoding
    else
        out.append(QString::fromUtf8(text, bytes));
    return out.size() - before;
}

}  // namespace store
