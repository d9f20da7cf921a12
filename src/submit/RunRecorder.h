#pragma once

#include "history/HistoryRecords.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class HistoryStore;

// One run as the history records it: started when made (but written only with its first
// batch, or its end: a run that never sends leaves nothing), its outcomes, PAD tests or
// validations handed to the store a batch at a time, and ended once. A batch is what came
// within BatchTime; each is one transaction, so a killed process loses at most the last
// quarter second. (A batch per product costs a fast run three times as much: a commit per
// product weighs more than its rows.)
//
// Without a store nothing is recorded. A batch that meets another connection's lock (a program
// holding the file for a while) waits LockWaitMs, then stays in memory and goes with the next
// batch, so a run loses nothing to a lock; End waits for the lock as long as any open does. When
// the store fails otherwise, or is still locked at the end, recording stops for the rest of the
// run and Failure says why once; the run itself goes on.
//
// Owned by the run's owner thread, which makes every call.
class RunRecorder {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds BatchTime{250};
    static constexpr int LockWaitMs = 100;

    RunRecorder(HistoryStore* store, RunKind kind, int speed, std::function<Clock::time_point()> now = Clock::now);
    // A run never ended keeps its batches and stays Unfinished.
    ~RunRecorder();
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;

    void Outcome(OutcomeRecord outcome);
    void PadTest(PadTestRecord test);
    void Validation(ValidationRecord validation);
    // Hands over what is gathered.
    void Flush();
    // Flushes and records how the run ended; later calls record nothing.
    void End(RunEnd end);

    bool Recording() const { return store_ != nullptr; }
    // The owner thread's CPU time spent handing batches to the store so far.
    std::chrono::nanoseconds Spent() const { return spent_; }
    // Why recording stopped, as the user reads it; empty while it did not.
    const std::string& Failure() const { return failure_; }

private:
    template <typename Fn>
    bool Guarded(Fn&& fn);
    bool Begin();
    void Gathered();
    // Hands over what is gathered, waiting `busyTimeoutMs` for a lock. False when a lock kept
    // some of it back (or recording stopped).
    bool Write(int busyTimeoutMs);

    HistoryStore* store_;
    std::function<Clock::time_point()> now_;
    RunKind kind_;
    int speed_;
    HistoryTime started_;
    std::int64_t run_ = 0; // 0 until written
    std::vector<OutcomeRecord> outcomes_;
    std::vector<PadTestRecord> tests_;
    std::vector<ValidationRecord> validations_;
    Clock::time_point batchStart_{};
    std::string failure_;
    std::chrono::nanoseconds spent_{0};
};
