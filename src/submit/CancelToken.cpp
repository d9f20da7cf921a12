#include "submit/CancelToken.h"

void CancelToken::Cancel()
{
    std::lock_guard lock(mutex_);
    if (cancelled_.exchange(true)) return;
    if (breaker_) breaker_();
}

void CancelToken::SetBreaker(std::function<void()> breaker)
{
    std::lock_guard lock(mutex_);
    breaker_ = std::move(breaker);
    if (cancelled_ && breaker_) breaker_();
}

void CancelToken::ClearBreaker()
{
    std::lock_guard lock(mutex_);
    breaker_ = nullptr;
}
