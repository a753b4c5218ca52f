// The writes run each step with failures skipped and remembered: a failing
// step is left out, the next one runs, and at the end the last failure decides
// between roll back and commit.
#pragma once

#include "store/engine.h"
#include "store/message_boxes.h"

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

// Ends a write: on a remembered failure shows `message` once and rolls back;
// otherwise commits, and a commit that fails is reported the same way.
// True when committed.
bool FinishWrite(Database& database, SkippedFailures& failures, const QString& message,
                 MessageBoxes& boxes);

}  // namespace store
