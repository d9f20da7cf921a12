#include "history/HistoryRunRows.h"
#include "history/HistoryPages.h"
#include "history/HistoryStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

HistoryTime At(int seconds)
{
    return HistoryTime(std::chrono::seconds(1'700'000'000 + seconds));
}

} // namespace

// A million runs: the count is all that is read until rows are asked for, a page each.
TEST(HistoryRunRowsTest, AMillionRunsReadOnlyThePagesShownAndCountTheLatestShownFirst)
{
    constexpr std::int64_t Runs = 1'000'000;
    std::vector<std::int64_t> reads; // the first row of each page read
    HistoryRunRows rows(Runs, [&](std::int64_t first, int count) {
        reads.push_back(first);
        std::vector<RunSummary> page;
        for (std::int64_t row = first; row < std::min(first + count, Runs); ++row)
            page.push_back(RunSummary{Runs - row, RunKind::Submit, At(0), At(0), 10, RunEnd::Finished});
        return page;
    });
    EXPECT_EQ(rows.Count(), Runs);
    EXPECT_EQ(rows.HeldRows(), 0u);
    EXPECT_EQ(rows.Row(0)->Id, Runs);
    EXPECT_EQ(rows.Row(Runs - 1)->Id, 1);
    EXPECT_FALSE(rows.Row(Runs));
    EXPECT_FALSE(rows.Row(-1));
    EXPECT_EQ(rows.Row(HistoryRunRows::PageRows - 1)->Id, Runs - HistoryRunRows::PageRows + 1);
    EXPECT_EQ(reads, (std::vector<std::int64_t>{0, Runs / HistoryRunRows::PageRows * HistoryRunRows::PageRows}));
    EXPECT_LE(rows.HeldRows(), 2u * HistoryRunRows::PageRows);

    // The rows shown last are counted first; each once.
    std::vector<std::int64_t> counted;
    const auto spread = [&](std::int64_t run) -> std::optional<std::pair<int, int>> {
        counted.push_back(run);
        return std::pair{1, 2};
    };
    for (const std::int64_t row : {1, 2, 3, 2}) rows.WantSpread(row);
    while (rows.NextSpread(spread)) {
    }
    EXPECT_EQ(counted, (std::vector<std::int64_t>{Runs - 2, Runs - 3, Runs - 1}));
    EXPECT_EQ(rows.Spread(2), (std::pair{1, 2}));
    rows.WantSpread(2);
    EXPECT_FALSE(rows.NextSpread(spread)); // counted already

    // Only the latest wanted wait; a failed count ends the wait.
    ASSERT_TRUE(rows.Row(HistoryRunRows::SpreadsWaiting + 44)); // their page is read
    for (std::int64_t row = 0; row < 2 * static_cast<std::int64_t>(HistoryRunRows::SpreadsWaiting); ++row)
        rows.WantSpread(row);
    EXPECT_EQ(rows.NextSpread([](std::int64_t) { return std::nullopt; }), std::nullopt);
    EXPECT_FALSE(rows.Spread(HistoryRunRows::SpreadsWaiting * 2 - 1));
    EXPECT_FALSE(rows.NextSpread(spread));
}

TEST(HistoryRunRowsTest, StorePagesRunsNewestFirstWithTiesByIdAndChartsOnlySentRuns)
{
    TempDir dir;
    HistoryStore store(dir.File("history.sqlite"));
    HistoryPages pages(store);
    EXPECT_EQ(pages.RunCount(), 0);
    const std::int64_t a = store.BeginRun(RunKind::Submit, 1, At(10));
    const std::int64_t b = store.BeginRun(RunKind::Test, 1, At(10)); // the same second
    const std::int64_t c = store.BeginRun(RunKind::Retry, 1, At(5)); // a report taken in late
    const std::int64_t d = store.BeginRun(RunKind::Validate, 1, At(20));
    EXPECT_EQ(pages.RunCount(), 4);
    const auto ids = [](const std::vector<RunSummary>& runs) {
        std::vector<std::int64_t> found;
        for (const RunSummary& run : runs) found.push_back(run.Id);
        return found;
    };
    EXPECT_EQ(ids(pages.Runs(0, 10)), (std::vector<std::int64_t>{d, b, a, c}));
    EXPECT_EQ(ids(pages.Runs(1, 2)), (std::vector<std::int64_t>{b, a}));
    EXPECT_TRUE(pages.Runs(4, 2).empty());
    EXPECT_EQ(ids(pages.LatestSent(5)), (std::vector<std::int64_t>{c, a}));
    EXPECT_EQ(ids(pages.LatestSent(1)), (std::vector<std::int64_t>{a}));
}
