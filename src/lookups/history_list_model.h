// The history panel's list: the changes read for one register set, one line
// per change and one per column change beneath it, each line made only when
// the view shows it (so opening the panel costs little more than the read).
#pragma once

#include "store/history/history_reader.h"

#include <QAbstractListModel>

#include <vector>

namespace lookups {

class HistoryListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // The changes to show, newest first; `emptyText` is the one line shown
    // when there are none.
    void reset(std::vector<store::Change> changes, const QString& emptyText);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Line {
        int change;
        int column;  // -1: the change's own line
    };
    std::vector<store::Change> changes_;
    std::vector<Line> lines_;
    QString emptyText_;
};

}  // namespace lookups
