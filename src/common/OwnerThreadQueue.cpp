#include "common/OwnerThreadQueue.h"

struct OwnerThreadQueue::Pending {
    const std::function<void()>* fn;
    bool finished = false;
    std::condition_variable ran;
};

OwnerThreadQueue::OwnerThreadQueue(std::function<void()> wake) : wake_(std::move(wake))
{}

OwnerThreadQueue::~OwnerThreadQueue()
{
    Close();
}

void OwnerThreadQueue::Call(const std::function<void()>& fn)
{
    auto pending = std::make_shared<Pending>();
    pending->fn = &fn;
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        queue_.push_back(pending);
    }
    arrived_.notify_all();
    if (wake_) wake_();
    std::unique_lock lock(mutex_);
    pending->ran.wait(lock, [&] { return pending->finished; });
}

int OwnerThreadQueue::ProcessPending()
{
    int count = 0;
    for (;;) {
        std::shared_ptr<Pending> next;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return count;
            next = queue_.front();
            queue_.pop_front();
        }
        // The caller waits until `finished`, so its function outlives this call; an
        // exception is the caller's to suffer, never the owner's loop.
        try {
            (*next->fn)();
        } catch (...) {
        }
        {
            std::lock_guard lock(mutex_);
            next->finished = true;
        }
        next->ran.notify_all();
        ++count;
    }
}

bool OwnerThreadQueue::ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        ProcessPending();
        if (done()) return true;
        std::unique_lock lock(mutex_);
        if (queue_.empty() && arrived_.wait_until(lock, deadline) == std::cv_status::timeout && queue_.empty())
            return done();
    }
}

void OwnerThreadQueue::Close()
{
    std::deque<std::shared_ptr<Pending>> dropped;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        dropped.swap(queue_);
        for (auto& p : dropped) p->finished = true;
    }
    for (auto& p : dropped) p->ran.notify_all();
}
