// The history panel's list model.
#include "lookups/history_list_model.h"

namespace lookups {

void HistoryListModel::open(store::HistoryPage first, PageReader more, const QString& emptyText)
{
    beginResetModel();
    ++generation_;
    changes_.clear();
    lines_.clear();
    emptyText_ = emptyText;
    read_ = first.below.isNull() ? PageReader() : std::move(more);
    below_ = first.below;
    append(std::move(first.changes));
    endResetModel();
}

void HistoryListModel::reset(std::vector<store::Change> changes, const QString& emptyText)
{
    beginResetModel();
    ++generation_;
    changes_.clear();
    lines_.clear();
    emptyText_ = emptyText;
    read_ = nullptr;
    below_ = store::Value();
    append(std::move(changes));
    endResetModel();
}

void HistoryListModel::clear()
{
    reset({}, QString());
}

void HistoryListModel::append(std::vector<store::Change> changes)
{
    for (store::Change& change : changes) {
        const int c = int(changes_.size());
        lines_.push_back({c, -1});
        for (std::size_t k = 0; k < change.columns.size(); ++k)
            lines_.push_back({c, int(k)});
        changes_.push_back(std::move(change));
    }
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

bool HistoryListModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && read_ && !below_.isNull();
}

void HistoryListModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    // Taken out first: a reader that fails shows a box, whose event loop may
    // ask for more again, or close the list.
    PageReader read = std::move(read_);
    read_ = nullptr;
    const int generation = generation_;
    store::HistoryPage page = read(below_);
    if (generation != generation_)
        return;
    below_ = page.below;
    if (!page.changes.empty()) {
        int lines = 0;
        for (const store::Change& change : page.changes)
            lines += 1 + int(change.columns.size());
        const bool wasEmpty = lines_.empty();
        if (wasEmpty) {
            beginResetModel();
            append(std::move(page.changes));
            endResetModel();
        } else {
            beginInsertRows(QModelIndex(), int(lines_.size()), int(lines_.size()) + lines - 1);
            append(std::move(page.changes));
            endInsertRows();
        }
    }
    if (!below_.isNull())
        read_ = std::move(read);
}

}  // namespace lookups
