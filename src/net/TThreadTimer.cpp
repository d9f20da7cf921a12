#include "net/TThreadTimer.h"

#include <mutex>
#include <utility>

namespace {
std::mutex handlerMutex;
std::function<void(std::exception_ptr)> exceptionHandler;
} // namespace

TThreadTimer::TThreadTimer() = default;
TThreadTimer::~TThreadTimer() = default;

void TThreadTimer::SetInterval(unsigned milliseconds)
{
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Restart();
}

void TThreadTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Restart();
}

void TThreadTimer::SetOnTimer(TTimerEvent handler)
{
    onTimer_ = std::move(handler);
    Restart();
}

void TThreadTimer::Restart()
{
    nextTick_.reset();
    if (interval_ != 0 && enabled_ && onTimer_) {
        nextTick_ = Clock::now() + std::chrono::milliseconds(interval_);
    }
}

bool TThreadTimer::DeliverDue(Clock::time_point now)
{
    if (!nextTick_ || now < *nextTick_) return false;
    // Ticks that were missed while nobody waited are not made up: one tick, then a full period.
    nextTick_ = now + std::chrono::milliseconds(interval_);
    Timer();
    return true;
}

void TThreadTimer::Timer()
{
    if (!onTimer_) return;
    try {
        TTimerEvent handler = onTimer_; // the handler may replace itself
        handler(this);
    } catch (...) {
        std::function<void(std::exception_ptr)> handler;
        {
            std::lock_guard lock(handlerMutex);
            handler = exceptionHandler;
        }
        if (handler) handler(std::current_exception());
    }
}

void TThreadTimer::SetExceptionHandler(std::function<void(std::exception_ptr)> handler)
{
    std::lock_guard lock(handlerMutex);
    exceptionHandler = std::move(handler);
}
