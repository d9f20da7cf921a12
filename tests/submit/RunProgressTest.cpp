#include "submit/RunProgress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using ms = std::chrono::milliseconds;

TEST(RunProgress, TimesShowTheElapsedAndOnceATenthIsDoneTheTimeLeftAtTheRateSoFar)
{
    struct Case {
        ms elapsed;
        long long done, total;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0ms, 0, 10, "0:00 elapsed"},
        {42'900ms, 0, 100, "0:42 elapsed"}, // nothing done: no rate yet
        {9'000ms, 9, 100, "0:09 elapsed"},  // under a tenth
        {10'000ms, 10, 100, "0:10 elapsed, 1:30 left"},
        {42'000ms, 3, 10, "0:42 elapsed, 1:38 left"},
        {1'000ms, 3, 10, "0:01 elapsed, 0:03 left"}, // 2.33 s left shows as 3, never as none
        {3'725'000ms, 5, 10, "1:02:05 elapsed, 1:02:05 left"},
        {70'000ms, 10, 10, "1:10 elapsed"}, // all done: nothing left to tell
        {5'000ms, 0, 0, "0:05 elapsed"},
        {600'000ms, 1'000'000'000, 2'000'000'000, "10:00 elapsed, 10:00 left"},
        {-5'000ms, 1, 2, "0:00 elapsed, 0:00 left"}, // a clock set back shows no negative time
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunProgress::Times(c.elapsed, c.done, c.total), c.expected)
            << c.elapsed.count() << " ms, " << c.done << "/" << c.total;
}

TEST(RunProgress, TheLineCountsOkXAndFailedWithInvalidAmongTheFailedAndLeavesTheUnendedOut)
{
    RunProgress p;
    EXPECT_EQ(p.Line(0ms, 4), "Ok 0  X 0  Failed 0  0:00 elapsed");
    for (Outcome outcome :
         {Outcome::Ok, Outcome::NotAccepted, Outcome::Failed, Outcome::Invalid, Outcome::None, Outcome::Cancelled})
        p.Add(outcome);
    EXPECT_EQ(p.Done(), 4);
    EXPECT_EQ(p.Line(8'000ms, 5), "Ok 1  X 1  Failed 2  0:08 elapsed, 0:02 left");
    EXPECT_EQ(p.Line(8'000ms, 4), "Ok 1  X 1  Failed 2  0:08 elapsed");
}

} // namespace
