// The notice the engine gives when a statement starts waiting for a lock that
// another program holds: the window shows the busy pointer for the wait.
#pragma once

#include <functional>

namespace store {

// Called once at the start of each wait, on the thread that waits. Null: no notice.
void SetLockWaitNotice(std::function<void()> notice);
void NoticeLockWait();

}  // namespace store
