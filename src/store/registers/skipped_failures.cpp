// The end of a write: commit or roll back, and the failure box shown after.
#include "store/registers/skipped_failures.h"

namespace store {

bool FinishWrite(Database& database, SkippedFailures& failures)
{
    if (failures.lastError() == 0)
        failures.run([&] { database.commitTrans(); });
    if (failures.lastError() == 0)
        return true;
    AbandonWrite(database);
    return false;
}

void AbandonWrite(Database& database)
{
    try {
        database.rollback();
    } catch (const EngineError&) {
        // Nothing more to undo: the file keeps what it held before the write.
    }
}

void ShowWriteFailure(MessageBoxes& boxes, const QString& message, const SkippedFailures& failures)
{
    QString text = message;
    if (!failures.lastDescription().trimmed().isEmpty())
        text += QLatin1Char('\n') + failures.lastDescription().trimmed();
    boxes.MsgBox(text, BoxCode::OkOnly);
}

}  // namespace store
