// Finding a column of a stored table by name, as the engines do.
#include "store/engine/table_shape.h"

namespace store {

int TableShape::columnIndex(const QString& field) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

}  // namespace store
