// The register search list's model and the layout of its lines.
#include "lookups/search_list_model.h"

#include "shell/sub_routines.h"
#include "store/engine/null_conversions.h"
#include "store/history/history_reader.h"
#include "store/schema/register_code.h"
#include "store/schema/table_description.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace lookups {

namespace {

// A whole number written with at least one digit and no separators ("#0"),
// right-aligned in six places. A Null or blank value shows as six blanks;
// text that is no number is shown as it is, in the same six places.
QString number(const store::Value& value)
{
    const QString blanks(6, QLatin1Char(' '));
    if (value.isNull())
        return blanks;
    bool ok = value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double ||
              value.typeId() == QMetaType::Int;
    double figure = ok ? value.toDouble() : 0;
    if (!ok) {
        const QString text = value.toString().trimmed();
        if (text.isEmpty())
            return blanks;
        figure = QLocale().toDouble(text, &ok);
        if (!ok)
            figure = text.toDouble(&ok);
        if (!ok)
            return shell::PadLeft(value.toString(), 6);
    }
    return shell::PadLeft(QString::number(qlonglong(std::llround(figure))), 6);
}

QString series(const store::Value& value)
{
    return store::Fixed(store::NullToFixed(value), 3);
}

// A code as the line shows it: one stored before the code rule that breaks
// it (a blank at an end, an invisible character, a decomposed letter) quoted
// and escaped as the history shows it, whole, so it is told from the code it
// looks like; any other as it is, in its column.
QString shownCode(const store::Value& value)
{
    const QString code = store::ValueText(value);
    if (store::RegisterCodeProblem(code).isEmpty())
        return store::Fixed(code, SearchListModel::CodeWidth);
    const QString shown = store::ShownCode(code);
    return store::Fixed(shown, std::max<int>(int(shown.size()), SearchListModel::CodeWidth));
}

// A description holding a control or invisible character (a line break, an
// escape) written with visible escapes, so its line stays one line.
QString shownDescription(const store::Value& value)
{
    QString text = store::ValueText(value);
    const QList<uint> characters = text.toUcs4();
    for (const uint c : characters)
        if (store::InvisibleCharacter(char32_t(c))) {
            text = store::Visible(text);
            break;
        }
    return store::Fixed(text, SearchListModel::DescriptionWidth);
}

bool isNumber(const store::Value& value)
{
    const int type = value.typeId();
    return type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::Double ||
           type == QMetaType::Long || type == QMetaType::UInt || type == QMetaType::ULongLong;
}

}  // namespace

QString SearchListModel::BuildLine(const Row& row, bool codeFirst)
{
    const QString code = shownCode(row.code);
    const QString description = shownDescription(row.description);
    QString line;
    line.reserve(100);
    line += codeFirst ? code + QLatin1Char(' ') + description : description + QLatin1Char(' ') + code;
    line += QLatin1Char(' ') + series(row.series[0]) + QLatin1Char(' ') + number(row.cron[0]);
    line += QLatin1String("  ") + series(row.series[1]) + QLatin1Char(' ') + number(row.cron[1]);
    line += QLatin1String("  ") + series(row.series[2]) + QLatin1Char(' ') + number(row.cron[2]);
    line += QLatin1Char(' ') + number(row.carico) + QLatin1Char(' ') + number(row.scarico);
    line += QLatin1Char(' ') + store::ValueText(row.magNum).trimmed() + store::ValueText(row.magCin);
    return line;
}

void SearchListModel::resolveColumns(const store::Snapshot& snapshot)
{
    namespace R = store::RegisterColumns;
    static constexpr int pieceColumns[PieceCount] = {
        R::Code,   R::Description, R::Of(0, R::Serie), R::Of(1, R::Serie), R::Of(2, R::Serie),
        R::MagNum, R::MagCin,      R::Of(0, R::Cron),  R::Of(1, R::Cron),  R::Of(2, R::Cron),
        R::UltimoCarico, R::UltimoScarico};
    const store::TableDescription& table = store::RegisterTableDescription();
    int columns[PieceCount];
    for (int piece = 0; piece < PieceCount; ++piece)
        columns[piece] = snapshot.fieldIndex(table.columnName(pieceColumns[piece]));
    std::copy(std::begin(columns), std::end(columns), std::begin(columns_));
}

void SearchListModel::refill(store::Snapshot& snapshot, bool codeFirst, const QString& mustBeginWith)
{
    fill(snapshot, codeFirst, mustBeginWith, -1);
}

void SearchListModel::startRefill(std::unique_ptr<store::Snapshot> snapshot, bool codeFirst,
                                  const QString& mustBeginWith, int firstRows)
{
    fill(*snapshot, codeFirst, mustBeginWith, firstRows);
    if (snapshot->atEnd())
        snapshot->close();
    else
        snapshot_ = std::move(snapshot);
}

void SearchListModel::fill(store::Snapshot& snapshot, bool codeFirst, const QString& mustBeginWith,
                           int rows)
{
    stopReading();
    // Resolved before the list is touched: a missing column leaves it as it was.
    resolveColumns(snapshot);
    beginResetModel();
    drop();
    codeFirst_ = codeFirst;
    mustBeginWith_ = mustBeginWith;
    try {
        readRows(snapshot, rows);
    } catch (...) {
        drop();
        endResetModel();
        throw;
    }
    shown_ = rows_.size();
    endResetModel();
}

void SearchListModel::readMore(int rows)
{
    if (!snapshot_)
        return;
    try {
        readRows(*snapshot_, rows);
    } catch (...) {
        snapshot_.reset();
        beginResetModel();
        drop();
        endResetModel();
        throw;
    }
    if (!snapshot_->atEnd())
        return;
    snapshot_->close();
    snapshot_.reset();
    if (rows_.size() > shown_) {
        beginInsertRows({}, int(shown_), int(rows_.size()) - 1);
        shown_ = rows_.size();
        endInsertRows();
    }
}

void SearchListModel::stopReading()
{
    if (!snapshot_)
        return;
    snapshot_->close();
    snapshot_.reset();
    if (shown_ < rows_.size()) {
        texts_.resize(rows_[shown_].start);
        rows_.resize(shown_);
    }
}

void SearchListModel::readRows(store::Snapshot& snapshot, int rows)
{
    for (int read = 0; !snapshot.atEnd() && (rows < 0 || read < rows); ++read) {
        append(snapshot, columns_, mustBeginWith_);
        snapshot.moveNext();
    }
}

void SearchListModel::drop()
{
    rows_.clear();
    texts_.resize(0);
    shown_ = 0;
}

bool SearchListModel::append(const store::Snapshot& snapshot, const int (&columns)[PieceCount],
                             const QString& mustBeginWith)
{
    constexpr std::size_t longest = std::numeric_limits<std::uint16_t>::max();
    PackedRow row;
    row.start = std::uint32_t(texts_.size());
    auto keepText = [&](int piece, const store::Value& value) {
        if (value.isNull())
            return;
        // Text is read in place; anything else is converted first.
        const QString converted = value.typeId() == QMetaType::QString ? QString() : value.toString();
        const QString& text = value.typeId() == QMetaType::QString
                                  ? *static_cast<const QString*>(value.constData())
                                  : converted;
        const qsizetype kept = std::min<qsizetype>(text.size(), qsizetype(longest));
        texts_.append(text.constData(), kept);
        row.length[piece] = std::uint16_t(kept);
    };
    for (int piece = 0; piece < FirstNumber; ++piece) {
        const qsizetype added = snapshot.appendText(columns[piece], texts_);
        if (added > qsizetype(longest))
            texts_.resize(texts_.size() - (added - qsizetype(longest)));
        row.length[piece] = std::uint16_t(std::clamp<qsizetype>(added, 0, qsizetype(longest)));
    }
    if (!mustBeginWith.isEmpty()) {
        const int filtered = codeFirst_ ? Code : Description;
        qsizetype at = row.start;
        for (int piece = 0; piece < filtered; ++piece)
            at += row.length[piece];
        const QStringView kept(texts_.constData() + at, row.length[filtered]);
        if (!kept.startsWith(mustBeginWith, Qt::CaseInsensitive)) {
            texts_.resize(row.start);
            return false;
        }
    }
    for (int k = 0; k < NumberCount; ++k) {
        const store::Value value = snapshot.field(columns[FirstNumber + k]);
        if (value.isNull())
            row.nullNumbers |= std::uint16_t(1u << k);
        else if (value.typeId() == QMetaType::LongLong)
            row.number[k] = double(*static_cast<const qlonglong*>(value.constData()));
        else if (isNumber(value))
            row.number[k] = value.toDouble();
        else {
            row.textNumbers |= std::uint16_t(1u << k);
            keepText(FirstNumber + k, value);
        }
    }
    rows_.push_back(row);
    return true;
}

SearchListModel::Row SearchListModel::unpack(const PackedRow& packed) const
{
    store::Value values[PieceCount];
    qsizetype at = packed.start;
    for (int piece = 0; piece < PieceCount; ++piece) {
        const bool isText = piece < FirstNumber || (packed.textNumbers & (1u << (piece - FirstNumber)));
        if (isText) {
            values[piece] = QString(texts_.constData() + at, packed.length[piece]);
            at += packed.length[piece];
        } else if (!(packed.nullNumbers & (1u << (piece - FirstNumber)))) {
            values[piece] = packed.number[piece - FirstNumber];
        }
    }
    Row row;
    row.code = values[Code];
    row.description = values[Description];
    for (int k = 0; k < 3; ++k) {
        row.series[k] = values[Series0 + k];
        row.cron[k] = values[Cron0 + k];
    }
    row.carico = values[Carico];
    row.scarico = values[Scarico];
    row.magNum = values[MagNum];
    row.magCin = values[MagCin];
    return row;
}

void SearchListModel::clear()
{
    stopReading();
    beginResetModel();
    drop();
    endResetModel();
}

int SearchListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_);
}

QVariant SearchListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(shown_))
        return {};
    if (role == CodeRole)
        return store::ValueText(unpack(rows_[std::size_t(index.row())]).code);
    if (role != Qt::DisplayRole)
        return {};
    return line(index.row());
}

QString SearchListModel::line(int row) const
{
    if (row < 0 || row >= int(shown_))
        return QString();
    return BuildLine(unpack(rows_[std::size_t(row)]), codeFirst_);
}

}  // namespace lookups
