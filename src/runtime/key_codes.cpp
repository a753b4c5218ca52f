// Translation between Qt's key events and the routines' key codes. The
// virtual key codes are those of the Windows-era toolkit the routines were
// written for; punctuation follows the US layout's codes.
#include "key_codes.h"

#include <QHash>

namespace runtime {

namespace {

// Codes of keys that are neither letters, digits nor function keys.
int namedKeyCode(int key)
{
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    // Shifted digits: the code of the digit key.
    case Qt::Key_ParenRight: return 48;
    case Qt::Key_Exclam: return 49;
    case Qt::Key_At: return 50;
    case Qt::Key_NumberSign: return 51;
    case Qt::Key_Dollar: return 52;
    case Qt::Key_Percent: return 53;
    case Qt::Key_AsciiCircum: return 54;
    case Qt::Key_Ampersand: return 55;
    case Qt::Key_Asterisk: return 56;
    case Qt::Key_ParenLeft: return 57;
    // Punctuation keys.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater: return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 222;
    default: return 0;
    }
}

// Codes of the numeric keypad.
int keypadCode(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return 96 + (key - Qt::Key_0);
    switch (key) {
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma: return 110;
    case Qt::Key_Slash: return 111;
    default: return namedKeyCode(key);  // Enter, arrows, Home, ... on the keypad
    }
}

// Keys named in braces in a SendKeys string, with the text they type.
struct NamedKey {
    int key;
    const char* text;
};

const QHash<QString, NamedKey>& sendKeysNames()
{
    static const QHash<QString, NamedKey> names = [] {
        QHash<QString, NamedKey> n{
            {"TAB", {Qt::Key_Tab, "\t"}},          {"ENTER", {Qt::Key_Return, "\r"}},
            {"DOWN", {Qt::Key_Down, ""}},          {"UP", {Qt::Key_Up, ""}},
            {"LEFT", {Qt::Key_Left, ""}},          {"RIGHT", {Qt::Key_Right, ""}},
            {"HOME", {Qt::Key_Home, ""}},          {"END", {Qt::Key_End, ""}},
            {"PGUP", {Qt::Key_PageUp, ""}},        {"PGDN", {Qt::Key_PageDown, ""}},
            {"ESC", {Qt::Key_Escape, "\x1b"}},     {"ESCAPE", {Qt::Key_Escape, "\x1b"}},
            {"BACKSPACE", {Qt::Key_Backspace, "\b"}}, {"BS", {Qt::Key_Backspace, "\b"}},
            {"BKSP", {Qt::Key_Backspace, "\b"}},   {"DELETE", {Qt::Key_Delete, ""}},
            {"DEL", {Qt::Key_Delete, ""}},         {"INSERT", {Qt::Key_Insert, ""}},
            {"INS", {Qt::Key_Insert, ""}},
        };
        for (int i = 1; i <= 16; ++i)
            n.insert(QStringLiteral("F%1").arg(i), {Qt::Key_F1 + i - 1, ""});
        return n;
    }();
    return names;
}

KeyStroke characterStroke(QChar c, Qt::KeyboardModifiers modifiers)
{
    const int upper = c.toUpper().unicode();
    KeyStroke stroke{upper, modifiers, QString(c)};
    if ((modifiers & Qt::ControlModifier) && upper >= 'A' && upper <= 'Z')
        stroke.text = QString(QChar(upper - 64));
    else if (modifiers & Qt::ShiftModifier)
        stroke.text = QString(c.toUpper());
    return stroke;
}

}  // namespace

int VirtualKeyCode(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::KeypadModifier)
        return keypadCode(key);
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;  // Qt's codes for these are their upper-case character codes
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    return namedKeyCode(key);
}

int ShiftMaskOf(Qt::KeyboardModifiers modifiers)
{
    int mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= ShiftMask::Shift;
    if (modifiers & Qt::ControlModifier)
        mask |= ShiftMask::Ctrl;
    if (modifiers & Qt::AltModifier)
        mask |= ShiftMask::Alt;
    return mask;
}

int KeyAsciiOf(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    if (modifiers & Qt::AltModifier) {
        // Ctrl+Alt carrying a printable character is AltGr where the system
        // reports it so ("@" on an Italian keyboard): a typed character that
        // KeyPress must see, or it would reach the field unfiltered. Any
        // other Alt combination types nothing.
        const bool altGr = (modifiers & Qt::ControlModifier) && !text.isEmpty()
                           && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127;
        return altGr ? text.at(0).unicode() : 0;
    }
    if (modifiers & Qt::ControlModifier)
        return key >= Qt::Key_A && key <= Qt::Key_Z ? key - 64 : 0;
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Delete: return 0;
    default: break;
    }
    if (text.isEmpty())
        return 0;
    const char16_t c = text.at(0).unicode();
    return c >= 32 && c != 127 ? c : 0;
}

KeyStroke KeyStrokeTyping(int code)
{
    switch (code) {
    case 8: return {Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b")};
    case 13: return {Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")};
    case 27: return {Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b")};
    default: break;
    }
    if (code >= 1 && code <= 26)
        return {Qt::Key_A + code - 1, Qt::ControlModifier, QString(QChar(code))};
    const QChar c(static_cast<char16_t>(code));
    return {c.toUpper().unicode(), Qt::NoModifier, QString(c)};
}

std::vector<KeyStroke> ParseSendKeys(const QString& keys)
{
    std::vector<KeyStroke> strokes;
    Qt::KeyboardModifiers modifiers;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QChar c = keys.at(i);
        if (c == '+') {
            modifiers |= Qt::ShiftModifier;
            continue;
        }
        if (c == '^') {
            modifiers |= Qt::ControlModifier;
            continue;
        }
        if (c == '%') {
            modifiers |= Qt::AltModifier;
            continue;
        }
        if (c == '~') {
            strokes.push_back({Qt::Key_Return, modifiers, QStringLiteral("\r")});
        } else if (c == '{') {
            // "{}}" names the brace itself: the closing brace is searched
            // from the second character on.
            const qsizetype close = keys.indexOf('}', i + 2);
            if (close < 0)
                break;
            QString name = keys.mid(i + 1, close - i - 1);
            i = close;
            int count = 1;
            const qsizetype space = name.lastIndexOf(' ');
            if (space > 0) {
                bool ok = false;
                const int n = name.mid(space + 1).toInt(&ok);
                if (ok && n >= 0) {
                    count = n;
                    name.truncate(space);
                }
            }
            KeyStroke stroke;
            if (name.size() == 1) {
                stroke = characterStroke(name.at(0), modifiers);
            } else {
                auto found = sendKeysNames().constFind(name.toUpper());
                if (found == sendKeysNames().constEnd()) {
                    modifiers = {};
                    continue;
                }
                stroke = {found->key, modifiers, QString::fromLatin1(found->text)};
            }
            for (int n = 0; n < count; ++n)
                strokes.push_back(stroke);
        } else {
            strokes.push_back(characterStroke(c, modifiers));
        }
        modifiers = {};
    }
    return strokes;
}

QChar MnemonicOf(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&'))
            continue;
        if (caption.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption.at(i + 1).toUpper();
    }
    return {};
}

}  // namespace runtime
