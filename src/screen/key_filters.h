// The key filters of the entry screen: each takes a typed character code, may
// change it (0 swallows the key) and returns the result.
#pragma once

namespace screen {

// Codes that every filter lets through unchanged.
namespace KeyAscii {
constexpr int CtrlC = 3;
constexpr int Backspace = 8;
constexpr int Enter = 13;
constexpr int CtrlR = 18;
constexpr int CtrlV = 22;
}  // namespace KeyAscii

int UpperCaseKey(int& key);
int DigitsOnly(int& key);
int DecimalOnly(int& key);

// The filter class of field index i: 1 upper case, 35/49/63 decimal, any
// other class digits (only for i >= 22).
int FieldClass(int i);

}  // namespace screen
