// The write transaction guard: the steps of a write run in order, the first
// failure ends them, rolls the transaction back and is the one remembered.
#pragma once

#include "store/engine/engine.h"
#include "store/engine/message_boxes.h"

namespace store {

// The failure that ended a write: the engine's number and text. Empty (number
// 0) when the write did not fail.
struct WriteFailure {
    int number = 0;
    QString description;
    explicit operator bool() const { return number != 0; }
};

// One write transaction. Begun by the constructor (an EngineError when it
// cannot begin); rolled back by the destructor unless committed, so a step
// that throws, or a return before commit(), leaves the file as it was.
class WriteTransaction {
public:
    explicit WriteTransaction(Database& database);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    // Commits (an EngineError when the commit fails: the destructor then
    // rolls back).
    void commit();

private:
    Database& database_;
    bool open_ = true;
};

// Runs the steps of a write, which open their own WriteTransaction: the first
// EngineError ends them (the transaction is rolled back as it unwinds) and is
// returned; nothing after it runs.
template <typename Steps>
WriteFailure RunWrite(Steps&& steps)
{
    try {
        steps();
        return {};
    } catch (const EngineError& error) {
        return {error.number() > 0 ? error.number() : int(EngineErrorNumber::WriteFailed),
                error.description()};
    }
}

// The failure box of a write: its own first line, the engine's text on the
// second, so the operator can tell a lock from a full disk. OK alone. Shown
// only once the transaction is over, so no box ever waits with the database
// held.
void ShowWriteFailure(MessageBoxes& boxes, const QString& message, const WriteFailure& failure);

}  // namespace store
