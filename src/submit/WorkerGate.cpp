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
    // Counted out on the owner thread, right after `fn`, so that Close sees it at once.
    bool ran = false;
    sync_.Call([&] {
        ran = true;
        fn();
        std::lock_guard lock(mutex_);
        --inside_;
    });
    if (!ran) { // the owner's queue is closed: nothing ran
        std::lock_guard lock(mutex_);
        --inside_;
    }
    return true;
}

void WorkerGate::Close()
{
    {
        std::lock_guard lock(mutex_);
        open_ = false;
    }
    // A call inside waits only for this thread to serve it, so this ends as soon as those
    // calls have run; the bound is a guard, not a wait anyone should see.
    sync_.ServeUntil(
        [this] {
            std::lock_guard lock(mutex_);
            return inside_ == 0;
        },
        std::chrono::seconds(30));
}
