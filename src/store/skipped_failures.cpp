// The end of a write: commit, or show the failure once and roll back.
#include "store/skipped_failures.h"

namespace store {

bool FinishWrite(Database& database, SkippedFailures& failures, const QString& message,
                 MessageBoxes& boxes)
{
    if (failures.lastError() == 0)
        failures.run([&] { database.commitTrans(); });
    if (failures.lastError() == 0)
        return true;
    boxes.MsgBox(message, BoxCode::OkOnly);
    try {
        database.rollback();
    } catch (const EngineError&) {
        // Nothing more to undo: the file keeps what it held before the write.
    }
    return false;
}

}  // namespace store
