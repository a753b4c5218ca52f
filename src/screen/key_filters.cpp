// The key filters of the entry screen and the class rule on the field index.
#include "screen/key_filters.h"

#include "store/null_conversions.h"

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
    int fieldClass = i;
    if (i % 2 == 0 && i <= 60 && i != 34 && i != 48)
        fieldClass = 1;
    if (fieldClass > 65)
        fieldClass = 1;
    return fieldClass;
}

}  // namespace screen
