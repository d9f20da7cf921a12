#pragma once

#include "common/Synchronize.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

// Synchronize through a queue that the owner thread empties: a worker's call waits in the
// queue until the owner runs ProcessPending (or ServeUntil), then returns. `wake`, when
// given, is called on the worker's thread each time a call is queued, so that an owner busy
// in an event loop of its own hears of it (the windows post themselves a ProcessPending).
//
// Created, served and closed by its owner thread; Call from any other thread.
class OwnerThreadQueue : public Synchronize {
public:
    explicit OwnerThreadQueue(std::function<void()> wake = {});
    ~OwnerThreadQueue() override;

    void Call(const std::function<void()>& fn) override;
    bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) override;

    // Runs every call waiting now (and those that arrive while it runs). Returns how many.
    int ProcessPending();
    // From now on calls return without running, those waiting included.
    void Close();

private:
    struct Pending;

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::shared_ptr<Pending>> queue_;
    bool closed_ = false;
    std::function<void()> wake_;
};
