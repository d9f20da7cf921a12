#pragma once

#include <chrono>
#include <functional>

// The owner thread of some state, as seen by the worker threads that report into it.
// Workers call Synchronize to run a function on the owner thread and wait for it: so the
// functions of different workers never overlap with each other or with the owner's own work.
// The owner calls ServeUntil when it has to wait for workers itself (stopping them at
// shutdown), so that a worker blocked in Synchronize is never waited for by an owner that
// cannot serve it.
class Synchronize {
public:
    virtual ~Synchronize() = default;

    // Worker threads: runs `fn` on the owner thread and returns when it has run. Once the
    // owner has closed, returns at once without running it.
    virtual void Call(const std::function<void()>& fn) = 0;

    // Owner thread: runs the calls that arrive until `done()` holds (checked before each
    // wait and after every call) or `timeout` has passed. Returns done().
    virtual bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) = 0;
};
