#pragma once

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

class Synchronize;

// Ctrl+C, and the requests to end that a terminal or a service manager sends (SIGTERM, and
// SIGHUP when the terminal goes), for a command whose run belongs to the calling thread. The
// three signals are blocked in the calling thread, and so in every thread started after it; a
// thread of the watch waits for them with sigwait and hands each to the owner through
// Synchronize, where `onInterrupt` runs with the signal's number. No work is done in a signal
// handler, and the owner's state is touched on its own thread.
//
// Created and destroyed on the owner thread, before it starts any other thread (one started
// earlier would still take the signal and end the process). The destructor stops the watching
// thread, serving a call it may have pending, and restores the signal mask.
class InterruptWatch {
public:
    InterruptWatch(Synchronize& sync, std::function<void(int signal)> onInterrupt);
    InterruptWatch(Synchronize& sync, std::function<void()> onInterrupt);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

private:
    void Watch();

    Synchronize& sync_;
    std::function<void(int)> onInterrupt_;
    sigset_t oldMask_{};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> over_{false};
    std::thread thread_;
};
