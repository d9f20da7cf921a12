#include "submit/RunRecorder.h"

#include "history/HistoryFile.h"
#include "history/HistoryStore.h"
#include "history/SqliteDb.h"

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

bool RunRecorder::Begin()
{
    return run_ != 0 || Guarded([&] { run_ = store_->BeginRun(kind_, speed_, started_); });
}

RunRecorder::~RunRecorder()
{
    Flush();
}

template <typename Fn>
bool RunRecorder::Guarded(Fn&& fn)
{
    if (!store_) return false;
    try {
        fn();
        return true;
    } catch (const SqliteError& e) {
        if (e.Busy()) return false;
        failure_ = std::string("The history could not be written: ") + e.what();
    } catch (const std::exception& e) {
        failure_ = std::string("The history could not be written: ") + e.what();
    }
    store_ = nullptr;
    return false;
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

bool RunRecorder::Write(int busyTimeoutMs)
{
    if (!store_) return false;
    store_->SetBusyTimeout(busyTimeoutMs);
    // Each kind goes in a transaction of its own and is kept until it went; after a lock the
    // rest waits too, rather than wait for the lock again.
    const auto hand = [&](auto& records, auto record) {
        if (records.empty()) return true;
        if (!Begin() || !Guarded([&] { record(records); })) return false;
        records.clear();
        return true;
    };
    const bool written = hand(outcomes_, [&](const auto& r) { store_->RecordOutcomes(run_, r); }) &&
                         hand(tests_, [&](const auto& r) { store_->RecordPadTests(run_, r); }) &&
                         hand(validations_, [&](const auto& r) { store_->RecordValidations(run_, r); });
    if (store_) store_->SetBusyTimeout(HistoryFile::BusyTimeoutMs);
    return written;
}

void RunRecorder::Flush()
{
    const auto start = ThreadCpu();
    batchStart_ = now_();
    Write(LockWaitMs);
    spent_ += ThreadCpu() - start;
}

void RunRecorder::End(RunEnd end)
{
    if (store_ &&
        !(Write(HistoryFile::BusyTimeoutMs) && Begin() && Guarded([&] { store_->EndRun(run_, end, WallNow()); })) &&
        store_)
        failure_ = "The history was locked by another program past " +
                   std::to_string(HistoryFile::BusyTimeoutMs / 1000) +
                   " s: " + std::to_string(outcomes_.size() + tests_.size() + validations_.size()) +
                   " results of this run and its end were not recorded";
    store_ = nullptr;
    outcomes_.clear();
    tests_.clear();
    validations_.clear();
}
