// The lock-wait notice the window installs.
#include "store/engine/lock_wait.h"

namespace store {

namespace {

std::function<void()>& notice()
{
    static std::function<void()> current;
    return current;
}

}  // namespace

void SetLockWaitNotice(std::function<void()> callback)
{
    notice() = std::move(callback);
}

void NoticeLockWait()
{
    if (notice())
        notice()();
}

}  // namespace store
