// The register search list's model: the rows of the last fill, kept as the
// values the line needs, with each line built only when the view shows it, so
// a refill over a large company costs little more than the query itself.
#pragma once

#include "store/engine.h"

#include <QAbstractListModel>
#include <QString>

#include <vector>

namespace lookups {

class SearchListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // The values of one register the line is built from.
    struct Row {
        store::Value code, description;
        store::Value series[3], cron[3];
        store::Value carico, scarico, magNum, magCin;
    };

    // Replaces every row with the rows of the snapshot, read to its end.
    // `codeFirst`: the line starts with the code (code mode) or the description.
    void refill(store::Snapshot& snapshot, bool codeFirst);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The line of row `row`, column by column as the headings expect it.
    QString line(int row) const;
    static QString BuildLine(const Row& row, bool codeFirst);

private:
    std::vector<Row> rows_;
    bool codeFirst_ = true;
};

}  // namespace lookups
