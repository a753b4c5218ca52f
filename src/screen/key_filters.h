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

// The filter class of field index i (only asked for the register blocks and
// the fields after them): UpperCaseClass for a field whose keys the
// register-field table gives as upper case, the index itself otherwise, which
// is decimal for an amount field and digits for any other.
constexpr int UpperCaseClass = 1;
int FieldClass(int i);
// An amount field: its keys in the register-field table are Decimal. It is
// typed as a decimal and shown formatted when left.
bool IsAmountField(int i);

}  // namespace screen
