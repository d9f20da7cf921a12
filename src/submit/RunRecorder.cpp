#include "submit/RunRecorder.h"

#include "history/HistoryStore.h"

#include <exception>

#include <time.h>

namespace {

HistoryTime WallNow()
{
    return std::chrono::system_clock::now();
}

std::chrono::nanoseconds ThreadCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

} // namespace

RunRecorder::RunRecorder(HistoryStore* store, RunKind kind, int speed, std::function<Clock::time_point()> now)
    : store_(store), now_(std::move(now)), kind_(kind), speed_(speed), started_(WallNow())
{
    batchStart_ = now_();
}

void RunRecorder::Begin()
{
    if (run_ == 0) Guarded([&] { run_ = store_->BeginRun(kind_, speed_, started_); });
}

RunRecorder::~RunRecorder()
{
    Flush();
}

template <typename Fn>
void RunRecorder::Guarded(Fn&& fn)
{
    if (!store_) return;
    try {
        fn();
    } catch (const std::exception& e) {
        store_ = nullptr;
        failure_ = std::string("The history could not be written: ") + e.what();
    }
}

void RunRecorder::Outcome(OutcomeRecord outcome)
{
    if (!store_) return;
    outcomes_.push_back(std::move(outcome));
    Gathered();
}

void RunRecorder::PadTest(PadTestRecord test)
{
    if (!store_) return;
    tests_.push_back(std::move(test));
    Gathered();
}

void RunRecorder::Validation(ValidationRecord validation)
{
    if (!store_) return;
    validations_.push_back(std::move(validation));
    Gathered();
}

void RunRecorder::Gathered()
{
    if (now_() - batchStart_ >= BatchTime) Flush();
}

void RunRecorder::Flush()
{
    const auto start = ThreadCpu();
    batchStart_ = now_();
    if (!outcomes_.empty() || !tests_.empty() || !validations_.empty()) Begin();
    if (!outcomes_.empty()) Guarded([&] { store_->RecordOutcomes(run_, outcomes_); });
    if (!tests_.empty()) Guarded([&] { store_->RecordPadTests(run_, tests_); });
    if (!validations_.empty()) Guarded([&] { store_->RecordValidations(run_, validations_); });
    outcomes_.clear();
    tests_.clear();
    validations_.clear();
    spent_ += ThreadCpu() - start;
}

void RunRecorder::End(RunEnd end)
{
    Flush();
    Begin();
    Guarded([&] { store_->EndRun(run_, end, WallNow()); });
    store_ = nullptr;
}
