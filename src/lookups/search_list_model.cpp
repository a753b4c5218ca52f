// The register search list's model and the layout of its lines.
#include "lookups/search_list_model.h"

#include "shell/sub_routines.h"
#include "store/null_conversions.h"

namespace lookups {

namespace {

// A value as text; Null shows as nothing.
QString text(const store::Value& value)
{
    return value.isNull() ? QString() : value.toString();
}

// A whole number written with at least one digit and no separators ("#0"),
// right-aligned in six places; a Null number shows as six blanks.
QString number(const store::Value& value)
{
    if (value.isNull())
        return QString(6, QLatin1Char(' '));
    const QString digits = QString::number(qlonglong(std::llround(store::NullToNumber(value))));
    return shell::PadLeft(digits, 6);
}

QString series(const store::Value& value)
{
    return store::Fixed(store::NullToFixed(value), 3);
}

}  // namespace

QString SearchListModel::BuildLine(const Row& row, bool codeFirst)
{
    const QString code = store::Fixed(text(row.code), 10);
    const QString description = store::Fixed(text(row.description), 29);
    QString line;
    line.reserve(100);
    line += codeFirst ? code + QLatin1Char(' ') + description : description + QLatin1Char(' ') + code;
    line += QLatin1Char(' ') + series(row.series[0]) + QLatin1Char(' ') + number(row.cron[0]);
    line += QLatin1String("  ") + series(row.series[1]) + QLatin1Char(' ') + number(row.cron[1]);
    line += QLatin1String("  ") + series(row.series[2]) + QLatin1Char(' ') + number(row.cron[2]);
    line += QLatin1Char(' ') + number(row.carico) + QLatin1Char(' ') + number(row.scarico);
    line += QLatin1Char(' ') + text(row.magNum).trimmed() + text(row.magCin);
    return line;
}

void SearchListModel::refill(store::Snapshot& snapshot, bool codeFirst)
{
    beginResetModel();
    rows_.clear();
    codeFirst_ = codeFirst;
    if (!snapshot.atEnd()) {
        const int code = snapshot.fieldIndex(QStringLiteral("SspCodice"));
        const int description = snapshot.fieldIndex(QStringLiteral("SspDescrizione"));
        const int series[3] = {snapshot.fieldIndex(QStringLiteral("SspArrSerie")),
                               snapshot.fieldIndex(QStringLiteral("SspCusSerie")),
                               snapshot.fieldIndex(QStringLiteral("SspDepSerie"))};
        const int cron[3] = {snapshot.fieldIndex(QStringLiteral("SspArrCron")),
                             snapshot.fieldIndex(QStringLiteral("SspCusCron")),
                             snapshot.fieldIndex(QStringLiteral("SspDepCron"))};
        const int carico = snapshot.fieldIndex(QStringLiteral("SspUltimoCarico"));
        const int scarico = snapshot.fieldIndex(QStringLiteral("SspUltimoScarico"));
        const int magNum = snapshot.fieldIndex(QStringLiteral("SspMagNum"));
        const int magCin = snapshot.fieldIndex(QStringLiteral("SspMagCin"));
        try {
            for (; !snapshot.atEnd(); snapshot.moveNext()) {
                Row row;
                row.code = snapshot.field(code);
                row.description = snapshot.field(description);
                for (int k = 0; k < 3; ++k) {
                    row.series[k] = snapshot.field(series[k]);
                    row.cron[k] = snapshot.field(cron[k]);
                }
                row.carico = snapshot.field(carico);
                row.scarico = snapshot.field(scarico);
                row.magNum = snapshot.field(magNum);
                row.magCin = snapshot.field(magCin);
                rows_.push_back(std::move(row));
            }
        } catch (...) {
            endResetModel();
            throw;
        }
    }
    endResetModel();
}

void SearchListModel::clear()
{
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int SearchListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant SearchListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(rows_.size()))
        return {};
    return line(index.row());
}

QString SearchListModel::line(int row) const
{
    if (row < 0 || row >= int(rows_.size()))
        return QString();
    return BuildLine(rows_[row], codeFirst_);
}

}  // namespace lookups
