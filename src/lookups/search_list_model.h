// The register search list's model: the rows of the last fill, kept packed
// (the texts of every row in one buffer, the numbers beside them), with each
// line built only when the view shows it. A fill can show its first rows at
// once and read the rest of its snapshot in steps, so a keystroke over a
// large company does not wait for the whole query.
#pragma once

#include "store/engine/engine.h"

#include <QAbstractListModel>
#include <QString>

#include <cstdint>
#include <memory>
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
    // `mustBeginWith`, when not empty: only rows whose code (code mode) or
    // description begins with this text, compared without regard to case, are
    // kept; for filters the engine's pattern cannot say literally.
    // On an engine error the list is left empty and the error thrown on.
    void refill(store::Snapshot& snapshot, bool codeFirst, const QString& mustBeginWith = {});

    // The same, reading only the first `firstRows` rows now: while rows
    // remain, the model keeps the snapshot open (one read of the engine, so
    // the rows stay those of one moment) and readMore() takes the rest.
    void startRefill(std::unique_ptr<store::Snapshot> snapshot, bool codeFirst,
                     const QString& mustBeginWith, int firstRows);
    // Whether rows of the last fill are still to be read.
    bool reading() const { return snapshot_ != nullptr; }
    // Reads up to `rows` more rows; once the snapshot ends, closes it and
    // shows every row read after the first ones at the end of the list.
    // On an engine error the list is left empty and the error thrown on.
    void readMore(int rows);
    void readAll() { readMore(-1); }
    // Closes a snapshot still being read; the rows already shown stay.
    void stopReading();
    void clear();

    // What data() gives besides the line (Qt::DisplayRole): the register
    // code of the row, as the line shows it without its blanks.
    static constexpr int CodeRole = Qt::UserRole;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The line of row `row`, column by column as the headings expect it.
    QString line(int row) const;
    static QString BuildLine(const Row& row, bool codeFirst);
    // The widths of the code and the description in a line.
    static constexpr int CodeWidth = 10;
    static constexpr int DescriptionWidth = 29;

private:
    // Pieces of a row in the order they are stored: the texts, then the numbers.
    enum Piece { Code, Description, Series0, Series1, Series2, MagNum, MagCin,
                 Cron0, Cron1, Cron2, Carico, Scarico, PieceCount };
    static constexpr int FirstNumber = Cron0;
    static constexpr int NumberCount = PieceCount - FirstNumber;

    // One row: its texts lie one after the other in texts_ from `start`. A
    // number is held as a double, or as text when the column holds text.
    struct PackedRow {
        std::uint32_t start = 0;
        std::uint16_t length[PieceCount] = {};
        std::uint16_t nullNumbers = 0;  // bit k: number k is Null
        std::uint16_t textNumbers = 0;  // bit k: number k is held as text
        double number[NumberCount] = {};
    };

    bool append(const store::Snapshot& snapshot, const int (&columns)[PieceCount],
                const QString& mustBeginWith);
    // Empties the list and reads up to `rows` rows of `snapshot` into it (all
    // when negative); on an engine error the list is left empty.
    void fill(store::Snapshot& snapshot, bool codeFirst, const QString& mustBeginWith, int rows);
    // Where the pieces stand in the snapshot (an engine error when one is missing).
    void resolveColumns(const store::Snapshot& snapshot);
    // Reads up to `rows` rows (all when negative) of `snapshot` into rows_.
    void readRows(store::Snapshot& snapshot, int rows);
    void drop();
    Row unpack(const PackedRow& packed) const;

    std::vector<PackedRow> rows_;
    QString texts_;
    bool codeFirst_ = true;
    // The snapshot being read, where its columns are, and what the rows must
    // begin with; rows_ beyond `shown_` are read but not yet in the list.
    std::unique_ptr<store::Snapshot> snapshot_;
    int columns_[PieceCount] = {};
    QString mustBeginWith_;
    std::size_t shown_ = 0;
};

}  // namespace lookups
