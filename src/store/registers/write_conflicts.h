// Two workstations on one register set: what the operator was shown when the
// set was opened, what the file holds now, and the fields that differ, named
// for the operator with the other workstation's value. Writes compare the two
// inside their transaction, so no change made elsewhere is lost untold.
#pragma once

#include "store/registers/header_lines.h"
#include "store/record/register_record.h"
#include "store/record/screen_values.h"

#include <QStringList>

#include <optional>

namespace store {

// The versions shown on the screen, as they were read: none where no row was
// stored (a new register set, a set without header lines).
struct ShownVersion {
    std::optional<RegisterRecord> row;
    // The same row column by column as the engine gave it, Nulls included
    // (empty without a row): what a set deleted elsewhere is written again
    // from, for every field the operator left as shown.
    std::vector<Value> columns;
    std::optional<HeaderLines> header;
    // The screen as the lookup left it, when the window keeps it: a write then
    // stores only the fields whose screen values differ from it (and those
    // the operator chose to write over a change made elsewhere); without it,
    // every field.
    std::optional<ScreenValues> screen;
    std::vector<bool> overwrite;  // by column position: written whatever the screen
    // The fields whose stored values the screen could not show (see
    // UnshowableValues), for the box that tells them at the lookup.
    QStringList unshowable;
};

// What a write transaction found when it compared.
enum class Found {
    AsShown,            // the stored version is the one shown: the write goes on
    ChangedElsewhere,   // the row was changed after it was shown
    DeletedElsewhere,   // the row was there when shown and is gone
    InsertedElsewhere,  // no row when shown, a row now
};

// The stored versions of `code` (seeks the cursor; none when there is no row).
std::optional<RegisterRecord> StoredRegister(TableCursor& registers, const QString& code);
std::optional<HeaderLines> StoredHeader(TableCursor& header, const QString& code);

// Compares a shown version with the stored one.
template <typename Version>
Found Compare(const std::optional<Version>& shown, const std::optional<Version>& stored)
{
    if (shown && !stored)
        return Found::DeletedElsewhere;
    if (!shown && stored)
        return Found::InsertedElsewhere;
    if (shown && *shown != *stored)
        return Found::ChangedElsewhere;
    return Found::AsShown;
}

// One line per differing field: its name and the stored (other) value, for
// example `DESCRIZIONE: "NUOVA"`.
QStringList RegisterDifferences(const RegisterRecord& shown, const RegisterRecord& stored);
QStringList HeaderDifferences(const HeaderLines& shown, const HeaderLines& stored);
// The register columns whose values differ, by column position.
std::vector<bool> DifferingColumns(const RegisterRecord& shown, const RegisterRecord& stored);

// Who made the last change of `code` and when, from the change history, for
// the box that tells a change made elsewhere: on a server the role the server
// authenticated and its workstation, on a file the workstation and its user.
// Empty when the history has none (or cannot be read).
QString LastChangeText(Database& database, const QString& code);

// The lines of a difference list for a box: at most a dozen, then how many more.
QString DifferenceLines(const QStringList& differences);

}  // namespace store
