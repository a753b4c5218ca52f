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
    // The pre-advice's block is headed by what it holds rather than by its name.
    if (block == 3)
        return QStringLiteral("Intestazione Preavviso");
    return store::HeaderBlockName(block);
}

}  // namespace paper
