// The text of a list's selected line, as both look-up lists read it.
#pragma once

#include <QString>

class QListView;

namespace lookups {

// The selected line's text; empty when nothing is selected.
QString SelectedLine(const QListView* list);

}  // namespace lookups
