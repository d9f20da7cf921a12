#pragma once

#include <atomic>
#include <functional>
#include <mutex>

// One worker's cancellation, set once and for good. Whoever owns the worker cancels it; the
// worker's thread asks Cancelled() between its steps, and while it sits in a call that may
// block it keeps a breaker registered, which Cancel runs from the cancelling thread so that
// the call ends at once. Any thread may call any member.
class CancelToken {
public:
    // Sets the token and runs the breaker registered now, if any (at most once in all).
    void Cancel();
    bool Cancelled() const { return cancelled_.load(); }
    // Registers `breaker` until ClearBreaker; on a token already cancelled it runs at once.
    void SetBreaker(std::function<void()> breaker);
    // After it returns the breaker is not running and never runs again.
    void ClearBreaker();

private:
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_; // orders Cancel with the breaker's coming and going
    std::function<void()> breaker_;
};
