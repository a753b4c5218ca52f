// The inspection sheet of a register set: the set as the screen shows it
// (every field under its screen label, the three registers side by side, the
// twenty header lines), its change history as the history panel lists it,
// then the company, when it was printed and the history's anchor (its last
// row and fingerprint), so that the paper vouches for the history.
#pragma once

#include "paper/pdf_file.h"
#include "store/engine/engine.h"
#include "store/registers/header_lines.h"
#include "store/history/history_event.h"
#include "store/history/history_reader.h"
#include "store/record/register_fields.h"
#include "store/record/register_record.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

class QPagedPaintDevice;

namespace paper {

struct InspectionSheet {
    QString company;
    QDateTime printed;  // local time
    store::RegisterRecord record;
    // The stored values its fields cannot show as they are ("FIELD: \"value\"",
    // as the window tells them): a text in a number column, a server's
    // infinite date, which the record holds as 0.
    QStringList unshowable;
    store::HeaderLines header;
    bool historyKept = true;  // false for a company without the history table
    std::vector<store::Change> history;
    std::optional<store::HistoryAnchor> anchor;
};

// The sheet of register set `code`; nothing when there is no such register
// set. Throws the engine's error when the tables cannot be read.
std::optional<InspectionSheet> ReadInspectionSheet(store::Database& database, const QString& company,
                                                   const QString& code);

// A line of the fields the sheet prints after the register columns: the
// field's caption, its Txt index, and the index of the check character
// printed joined to it (0 for none).
struct SheetFieldLine {
    QString caption;
    int field = 0;
    int joined = 0;
};
// Those lines, in the order of `fields`: every single field but the exit
// abbreviations (which stand in the register columns), a check character
// joined to its number. A field added to the register-field table is printed.
std::vector<SheetFieldLine> SheetSingleFields(const std::vector<store::RegisterFieldRow>& fields =
                                                  store::RegisterFields());

void PaintInspectionSheet(QPagedPaintDevice& device, const InspectionSheet& sheet);
DocumentInfo SheetInfo(const InspectionSheet& sheet);

// The closing lines: the company, when printed, the history's anchor.
QStringList ClosingLines(const InspectionSheet& sheet);

}  // namespace paper
