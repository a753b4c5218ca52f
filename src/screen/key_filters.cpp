// The key filters of the entry screen and the class rule on the field index.
#include "screen/key_filters.h"

#include "store/null_conversions.h"
#include "store/screen_fields.h"

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
    namespace Field = store::Field;
    // Even indices up to DEPOSITO's last work series are series fields, but
    // for the row numbers of ARRIVI and CUSTODIA.
    const bool series = i % 2 == 0 && i <= Field::WorkSerie(2, Field::WorkPositions - 1) &&
                        i != Field::Riga(0) && i != Field::Riga(1);
    if (series || i > Field::UltimoScarico)
        return UpperCaseClass;
    return i;
}

}  // namespace screen
