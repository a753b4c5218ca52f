// The writes run each step with failures skipped and remembered: a failing
// step is left out, the next one runs, and at the end the last failure decides
// between roll back and commit.
#pragma once

#include "store/engine/engine.h"
#include "store/engine/message_boxes.h"

namespace store {

class SkippedFailures {
public:
    template <typename Step>
    void run(Step&& step)
    {
        try {
            step();
        } catch (const EngineError& error) {
            lastError_ = error.number() > 0 ? error.number() : EngineErrorNumber::WriteFailed;
            lastDescription_ = error.description();
        }
    }
    int lastError() const { return lastError_; }
    const QString& lastDescription() const { return lastDescription_; }

private:
    int lastError_ = 0;
    QString lastDescription_;
};

// Ends a write transaction: commits when no failure is remembered, otherwise
// (or when the commit fails) rolls back. True when committed. It shows
// nothing: a box is opened only once the transaction is over, so no box ever
// waits with the database held.
bool FinishWrite(Database& database, SkippedFailures& failures);

// Rolls back a transaction that found it must not write (the file keeps what
// it held before).
void AbandonWrite(Database& database);

// The failure box of a write: its own first line, the engine's text on the
// second, so the operator can tell a lock from a full disk. OK alone.
void ShowWriteFailure(MessageBoxes& boxes, const QString& message, const SkippedFailures& failures);

}  // namespace store
