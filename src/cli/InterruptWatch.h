#pragma once

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

class Synchronize;

// Ctrl+C for a command whose run belongs to the calling thread. SIGINT is blocked in the
// calling thread, and so in every thread started after it; a thread of the watch waits for
// it with sigwait and hands it to the owner through Synchronize, where `onInterrupt` runs.
// No work is done in a signal handler, and the owner's state is touched on its own thread.
//
// Created and destroyed on the owner thread, before it starts any other thread (one started
// earlier would still take SIGINT and end the process). The destructor stops the watching
// thread, serving a call it may have pending, and restores the signal mask.
class InterruptWatch {
public:
    InterruptWatch(Synchronize& sync, std::function<void()> onInterrupt);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

private:
    void Watch();

    Synchronize& sync_;
    std::function<void()> onInterrupt_;
    sigset_t oldMask_{};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> over_{false};
    std::thread thread_;
};
