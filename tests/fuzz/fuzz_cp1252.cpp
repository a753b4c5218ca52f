// Fuzz target: the Windows-1252 conversions of the INI values. Every byte
// string comes back byte for byte through text; any text converts to one byte
// per character, and converting the result again changes nothing.
#include "shell/profile.h"

#include <QList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = shell::FromAnsi(bytes);
    if (text.size() != bytes.size() || shell::ToAnsi(text) != bytes)
        std::abort();

    // The same bytes read as UTF-16 text, as a user could type it.
    const QString typed = QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2));
    const QByteArray ansi = shell::ToAnsi(typed);
    if (ansi.size() != typed.toUcs4().size())
        std::abort();
    if (shell::ToAnsi(shell::FromAnsi(ansi)) != ansi)
        std::abort();
    return 0;
}
