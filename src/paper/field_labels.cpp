// The screen's labels by field index.
#include "paper/field_labels.h"

#include "store/record/register_fields.h"

namespace paper {

QString ScreenLabel(int field)
{
    // The caption the screen draws beside the field, from the register-field
    // table; a check character printed joined to its number takes the
    // number's caption.
    const store::RegisterFieldRow* row = store::FieldOfText(field);
    while (row && row->joinsPrevious)
        row = store::FieldOfText(row->index - 1);
    return row ? row->caption : QString();
}

QString HeaderBlockLabel(int block)
{
    static const char* const labels[] = {"ARRIVI", "DEPOSITO", "CUSTODIA", "Intestazione Preavviso"};
    return block >= 0 && block < 4 ? QString::fromLatin1(labels[block]) : QString();
}

}  // namespace paper
