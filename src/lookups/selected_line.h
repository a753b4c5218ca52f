// The text of a list's selected line, as both look-up lists read it.
#pragma once

#include <QString>
#include <Qt>

class QListView;

namespace lookups {

// The selected line's text (or what the model gives for `role`); empty when
// nothing is selected.
QString SelectedLine(const QListView* list, int role = Qt::DisplayRole);

}  // namespace lookups
