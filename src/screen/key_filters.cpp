// The key filters of the entry screen and the class of a field by its index.
#include "screen/key_filters.h"

#include "store/engine/null_conversions.h"
#include "store/record/register_fields.h"

namespace screen {

int UpperCaseKey(int& key)
{
    if (key >= 'a' && key <= 'z')
        key -= 32;
    return key;
}

int DigitsOnly(int& key)
{
    if (key == KeyAscii::Backspace || key == KeyAscii::CtrlC || key == KeyAscii::CtrlV ||
        key == KeyAscii::CtrlR)
        return key;
    if (key < '0' || key > '9')
        key = 0;
    return key;
}

int DecimalOnly(int& key)
{
    const int separator = store::DecimalSeparator().unicode();
    if (separator == '.' && key == ',')
        key = '.';
    else if (separator == ',' && key == '.')
        key = ',';
    if (key == separator || key == '-' || key == KeyAscii::CtrlC || key == KeyAscii::CtrlR ||
        key == KeyAscii::CtrlV || key == KeyAscii::Backspace)
        return key;
    if (key < '0' || key > '9')
        key = 0;
    return key;
}

int FieldClass(int i)
{
    // The register-field table says which fields take any key in upper case.
    const store::RegisterFieldRow* field = store::FieldOfText(i);
    if (field && field->keys == store::KeyClass::UpperCase)
        return UpperCaseClass;
    return i;
}

bool IsAmountField(int i)
{
    const store::RegisterFieldRow* field = store::FieldOfText(i);
    return field && field->keys == store::KeyClass::Decimal;
}

}  // namespace screen
