// The history panel's list model.
#include "lookups/history_list_model.h"

namespace lookups {

void HistoryListModel::reset(std::vector<store::Change> changes, const QString& emptyText)
{
    beginResetModel();
    changes_ = std::move(changes);
    emptyText_ = emptyText;
    lines_.clear();
    for (std::size_t c = 0; c < changes_.size(); ++c) {
        lines_.push_back({int(c), -1});
        for (std::size_t k = 0; k < changes_[c].columns.size(); ++k)
            lines_.push_back({int(c), int(k)});
    }
    endResetModel();
}

void HistoryListModel::clear()
{
    reset({}, QString());
}

int HistoryListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    if (lines_.empty())
        return emptyText_.isEmpty() ? 0 : 1;
    return int(lines_.size());
}

QVariant HistoryListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (lines_.empty())
        return emptyText_;
    const Line& line = lines_[std::size_t(index.row())];
    const store::Change& change = changes_[std::size_t(line.change)];
    return line.column < 0 ? store::ChangeLine(change)
                           : store::ColumnLine(change.columns[std::size_t(line.column)]);
}

}  // namespace lookups
