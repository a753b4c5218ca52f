// "&CONFERMA" of a change on a server in one round trip: one statement whose
// condition is the row as the lookup read it writes the changed columns and
// commits; only when the row is no longer as read does the full write (which
// reads, compares and tells the difference) run.
#pragma once

#include "store/engine/message_boxes.h"
#include "store/history/history_writer.h"
#include "store/record/screen_values.h"
#include "store/registers/write_conflicts.h"
#include "store/tables/tables.h"

namespace store {

// The register row as the lookup read it, column by column, beside the
// version it was shown as: the condition of the one-statement write.
struct ReadRegisterRow {
    Row stored;
    RegisterRecord shownAs;
};

enum class OneStepWrite {
    Written,      // written and committed: `record`, `shown` and `read` updated
    Failed,       // the server refused the write: told, nothing written
    NotThisWay,   // nothing written: the full write decides (a new set, a
                  // change elsewhere, a file, the program writing the history)
};

// Writes the screen's changes over the row in one statement when the row is
// still as `read` holds it and `shown` still stands for it.
OneStepWrite WriteInOneStep(CompanyDatabase& company, const ScreenValues& screen, RegisterRecord& record,
                            ShownVersion& shown, std::optional<ReadRegisterRow>& read, MessageBoxes& boxes);

}  // namespace store
