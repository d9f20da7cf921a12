#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <optional>

// An interval timer for a thread that runs its own wait loop. The timer runs exactly when
// Interval is non-zero, Enabled is true and OnTimer is set; each change of one of the three
// restarts the period, except that setting Interval or Enabled to the value it already has
// changes nothing. The owning loop asks NextTick() how long it may sleep and calls
// DeliverDue() when it wakes; a due tick calls Timer(), which calls OnTimer.
// A timer belongs to one thread; it is not meant to be shared.
class TThreadTimer {
public:
    using Clock = std::chrono::steady_clock;
    using TTimerEvent = std::function<void(TThreadTimer* Sender)>;

    TThreadTimer();
    virtual ~TThreadTimer();
    TThreadTimer(const TThreadTimer&) = delete;
    TThreadTimer& operator=(const TThreadTimer&) = delete;

    unsigned GetInterval() const { return interval_; }
    void SetInterval(unsigned milliseconds);
    bool GetEnabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    const TTimerEvent& GetOnTimer() const { return onTimer_; }
    void SetOnTimer(TTimerEvent handler);

    // True while the timer runs (Interval non-zero, Enabled, OnTimer set).
    bool Running() const { return nextTick_.has_value(); }
    // The moment of the next tick while the timer runs.
    std::optional<Clock::time_point> NextTick() const { return nextTick_; }
    // Calls Timer() when a tick is due at `now` and starts the next period; true when it did.
    bool DeliverDue(Clock::time_point now = Clock::now());

    // Calls OnTimer. An exception from the handler goes to ExceptionHandler (if set) and is
    // otherwise dropped, so a faulty handler cannot unwind through the wait loop.
    virtual void Timer();

    // The program-wide handler for exceptions escaping OnTimer (set once at start-up).
    static void SetExceptionHandler(std::function<void(std::exception_ptr)> handler);

private:
    void Restart();

    unsigned interval_ = 1000;
    bool enabled_ = true;
    TTimerEvent onTimer_;
    std::optional<Clock::time_point> nextTick_;
};
