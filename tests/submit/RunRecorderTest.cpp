#include "submit/RunRecorder.h"

#include "history/HistoryStore.h"
#include "history/SqliteDb.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

OutcomeRecord Sent(const std::string& product, const std::string& site)
{
    return OutcomeRecord{std::chrono::system_clock::now(),
                         product,
                         "http://pad/" + product,
                         site,
                         "http://s/",
                         "GET",
                         Outcome::Ok,
                         200,
                         5,
                         "",
                         0,
                         "",
                         ""};
}

} // namespace

TEST(RunRecorder, AQuarterSecondsOutcomesMakeABatchAndARunThatSentNothingLeavesNothing)
{
    TempDir dir;
    HistoryStore store(dir.File("history.sqlite"));
    RunRecorder::Clock::time_point now{};
    const auto clock = [&now] { return now; };
    {
        RunRecorder unsent(&store, RunKind::Submit, 3, clock);
    }
    EXPECT_TRUE(store.Runs().empty());

    RunRecorder recorder(&store, RunKind::Retry, 3, clock);
    const auto recorded = [&store] {
        const std::vector<RunSummary> runs = store.Runs();
        return runs.empty() ? 0 : runs.back().Ok;
    };
    recorder.Outcome(Sent("Alpha", "S0"));
    recorder.Outcome(Sent("Beta", "S0"));
    now += std::chrono::milliseconds(249);
    recorder.Outcome(Sent("Beta", "S1"));
    EXPECT_EQ(recorded(), 0); // never a transaction per row
    now += std::chrono::milliseconds(1);
    recorder.Outcome(Sent("Beta", "S2"));
    EXPECT_EQ(recorded(), 4); // the quarter second's outcomes went together
    recorder.Outcome(Sent("Beta", "S3"));
    recorder.Outcome(Sent("Gamma", "S3"));
    recorder.End(RunEnd::Cancelled);
    const std::vector<RunSummary> runs = store.Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].Kind, RunKind::Retry);
    EXPECT_EQ(runs[0].Speed, 3);
    EXPECT_EQ(runs[0].Ok, 6);
    EXPECT_EQ(runs[0].End, RunEnd::Cancelled);
    EXPECT_TRUE(recorder.Failure().empty());
}

TEST(RunRecorder, WhatMeetsALockIsKeptAndWrittenOnceTheLockIsFreedWhileReadersGoOn)
{
    TempDir dir;
    const std::string path = dir.File("history.sqlite");
    HistoryStore store(path);
    RunRecorder recorder(&store, RunKind::Submit, 1);
    const auto locked = [&path](const std::function<void()>& meanwhile) {
        SqliteDb other(path, 0);
        other.Exec("BEGIN EXCLUSIVE");
        meanwhile();
        other.Exec("COMMIT");
    };
    locked([&] {
        recorder.Outcome(Sent("Alpha", "S0"));
        recorder.Flush(); // the run itself cannot be begun yet
    });
    recorder.Outcome(Sent("Alpha", "S1"));
    recorder.Flush();
    locked([&] {
        EXPECT_EQ(HistoryStore(path).Runs().at(0).Ok, 2);
        recorder.Outcome(Sent("Beta", "S0"));
        recorder.PadTest({std::chrono::system_clock::now(), "Beta", "http://pad/Beta", Outcome::Ok, "", ""});
        recorder.Flush();
    });
    recorder.End(RunEnd::Finished);
    EXPECT_TRUE(recorder.Failure().empty()) << recorder.Failure();
    EXPECT_EQ(store.Runs().at(0).Ok, 4);
    EXPECT_EQ(store.Runs().at(0).End, RunEnd::Finished);
}
