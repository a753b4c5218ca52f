// The columns of one stored table as an engine finds them: names as stored,
// in their stored order, and the column of the index "primaria".
#pragma once

#include <QString>
#include <QStringList>

namespace store {

struct TableShape {
    QString name;            // as stored
    QStringList columns;     // as stored
    int keyColumn = -1;      // the column of the index "primaria"
    int columnIndex(const QString& field) const;  // case-insensitive; -1 when absent
};

}  // namespace store
