// The selected line of a list.
#include "lookups/selected_line.h"

#include <QItemSelectionModel>
#include <QListView>

namespace lookups {

QString SelectedLine(const QListView* list, int role)
{
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return QString();
    return selected.first().data(role).toString();
}

}  // namespace lookups
