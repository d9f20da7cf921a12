#include "submit/RunRecorder.h"

#include "history/HistoryStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(RunRecorderBatch, EachBatchStartsTheClockAgainAndAnEndedRecorderLetsTheStoreGo)
{
    TempDir dir;
    HistoryStore store(dir.File("history.sqlite"));
    RunRecorder::Clock::time_point now{};
    RunRecorder recorder(&store, RunKind::Submit, 1, [&now] { return now; });
    int sent = 0;
    const auto send = [&] {
        OutcomeRecord o;
        o.Time = std::chrono::system_clock::now();
        o.Product = "P" + std::to_string(++sent);
        o.Site = "S";
        o.Outcome = Outcome::Ok;
        recorder.Outcome(o);
    };
    const auto recorded = [&store] {
        const std::vector<RunSummary> runs = store.Runs();
        return runs.empty() ? 0 : runs.back().Ok;
    };
    const struct {
        int waitMs;
        int recorded; // after one more outcome
    } steps[] = {{0, 0}, {250, 2}, {0, 2}, {249, 2}, {1, 5}, {250, 6}};
    for (const auto& step : steps) {
        now += std::chrono::milliseconds(step.waitMs);
        send();
        EXPECT_EQ(recorded(), step.recorded) << "outcome " << sent;
    }
    recorder.End(RunEnd::Finished);
    EXPECT_FALSE(recorder.Recording());
    send();
    recorder.Flush();
    EXPECT_EQ(store.Runs().at(0).Ok, 6);
}
