#include "submit/WorkerGate.h"

#include "common/Synchronize.h"

#include <chrono>

bool WorkerGate::Call(const std::function<void()>& fn)
{
    {
        std::lock_guard lock(mutex_);
        if (!open_) return false;
        ++inside_;
    }
    sync_.Call(fn);
    // Counted out only once Synchronize has let go of this thread: until then the call still
    // waits on the owner's queue, which must outlive it.
    std::lock_guard lock(mutex_);
    --inside_;
    return true;
}

void WorkerGate::Close()
{
    {
        std::lock_guard lock(mutex_);
        open_ = false;
    }
    // A call inside waits only for this thread to serve it, and counts itself out on its own
    // thread a moment after it was served: hence short waits. The bound is a guard, not a wait
    // anyone should see.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const auto none = [this] {
        std::lock_guard lock(mutex_);
        return inside_ == 0;
    };
    while (!sync_.ServeUntil(none, std::chrono::milliseconds(1)) && std::chrono::steady_clock::now() < deadline) {
    }
}
