// Translation between Qt's key events and the key codes the screen routines
// use: virtual key codes and the shift mask for KeyDown, the character code
// (KeyAscii) for KeyPress, and keystrokes for a changed KeyAscii or for a
// SendKeys string.
#pragma once

#include <QString>
#include <Qt>

#include <vector>

namespace runtime {

// One keystroke as a Qt key event carries it.
struct KeyStroke {
    int key = 0;  // Qt::Key
    Qt::KeyboardModifiers modifiers;
    QString text;
};

// Virtual key codes and shift-mask bits delivered to KeyDown.
namespace Vk {
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Escape = 27;
constexpr int Up = 38;
constexpr int Down = 40;
constexpr int F1 = 112;
constexpr int F2 = 113;
constexpr int F4 = 115;
constexpr int F7 = 118;
constexpr int F8 = 119;
constexpr int F9 = 120;
}  // namespace Vk
namespace ShiftMask {
constexpr int Shift = 1;
constexpr int Ctrl = 2;
constexpr int Alt = 4;
}  // namespace ShiftMask

// The virtual key code of a Qt key (65-90 letters, 48-57 digits, 112-123
// F1-F12, 13 Enter, 37-40 arrows, ...); 0 for a key with no code.
int VirtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// The KeyDown shift mask: the ShiftMask bits of the modifiers held.
int ShiftMaskOf(Qt::KeyboardModifiers modifiers);

// The character code a key types (KeyAscii), or 0 when it types none: Alt
// combinations (but a printable character with Ctrl+Alt, which is AltGr),
// arrows, function keys and Delete type nothing; Ctrl+letter types the
// control code (Ctrl+C 3, Ctrl+R 18, Ctrl+V 22).
int KeyAsciiOf(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

// The keystroke that types the character code `keyAscii`.
KeyStroke KeyStrokeTyping(int keyAscii);

// The keystrokes of a SendKeys string: "{TAB}", "{DOWN}", "%U", "~", plain
// characters, with the prefixes "+" Shift, "^" Ctrl and "%" Alt and names in
// braces ("{ENTER}", "{F4}", "{DOWN 3}"). Unknown names are skipped.
std::vector<KeyStroke> ParseSendKeys(const QString& keys);

// The accelerator letter of a caption, upper case: the character after the
// first single "&" ("&&" is a literal ampersand); null when there is none.
QChar MnemonicOf(const QString& caption);

}  // namespace runtime
