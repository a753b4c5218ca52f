// The history panel's list: the changes read for one register set, one line
// per change and one per column change beneath it, each line made only when
// the view shows it. The changes come a page at a time, the older ones as the
// list is scrolled down to them, so opening the panel costs one page's read
// however long the history is.
#pragma once

#include "store/history/history_reader.h"

#include <QAbstractListModel>

#include <functional>
#include <vector>

namespace lookups {

class HistoryListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // Reads the page of changes below `below`. It reports a failure itself
    // and answers an empty page.
    using PageReader = std::function<store::HistoryPage(const store::Value& below)>;

    // Shows the first page and asks `more` for the next ones as the view
    // needs them; `emptyText` is the one line shown when there are none.
    void open(store::HistoryPage first, PageReader more, const QString& emptyText);
    // The changes to show, all at once, newest first.
    void reset(std::vector<store::Change> changes, const QString& emptyText);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Line {
        int change;
        int column;  // -1: the change's own line
    };
    void append(std::vector<store::Change> changes);

    std::vector<store::Change> changes_;
    std::vector<Line> lines_;
    QString emptyText_;
    PageReader read_;
    store::Value below_;  // where the next page starts; Null when none is left
    int generation_ = 0;  // counts the lists shown, so a page read for an earlier one is dropped
};

}  // namespace lookups
