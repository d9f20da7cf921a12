#include "history/HistoryGrid.h"
#include "common/StatusWords.h"
#include "history/HistoryPages.h"
#include "history/HistoryStore.h"
#include "history/SiteHealth.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

HistoryTime Time(int seconds)
{
    return HistoryTime(std::chrono::seconds(1'700'000'000 + seconds));
}

OutcomeRecord At(int seconds, std::string product, std::string site, std::string outcome)
{
    OutcomeRecord r;
    r.Time = Time(seconds);
    r.Product = std::move(product);
    r.Site = std::move(site);
    r.Outcome = StatusWords::ToOutcome(outcome);
    return r;
}

// The grid of a history holding `outcomes`, as the window makes it.
struct StoredGrid {
    explicit StoredGrid(const std::vector<OutcomeRecord>& outcomes, HistoryFilter filter = {},
                        std::optional<HistoryTime> until = std::nullopt)
        : store(dir.File("history.sqlite")), pages(store)
    {
        store.RecordOutcomes(store.BeginRun(RunKind::Submit, 1, outcomes.at(0).Time), outcomes);
        HistoryPages::GridAxes axes = pages.Axes(filter, until);
        grid = HistoryGrid(std::move(axes.Products), std::move(axes.Sites), axes.Cells,
                           [=, this](const std::vector<std::int64_t>& ids) { return pages.Cells(filter, until, ids); });
    }
    TempDir dir;
    HistoryStore store;
    HistoryPages pages;
    HistoryGrid grid;
};

} // namespace

TEST(HistoryGridTest, CellsLandUnderTheirOwnProductAndSiteWithGapsLeftEmpty)
{
    // Given out of order, one pair twice, and one outcome after the end of the range.
    const StoredGrid stored({At(5, "Zeta", "b.com", "X"), At(1, "Alpha", "c.com", "Ok"),
                             At(9, "Alpha", "c.com", "Failed"), At(2, "Alpha", "a.com", "Invalid"),
                             At(50, "Beta", "a.com", "Ok")},
                            {}, Time(10));
    const HistoryGrid& grid = stored.grid;
    EXPECT_EQ(grid.Products(), (std::vector<std::string>{"Alpha", "Zeta"}));
    EXPECT_EQ(grid.Sites(), (std::vector<std::string>{"a.com", "b.com", "c.com"}));
    EXPECT_EQ(grid.CellCount(), 3);
    EXPECT_EQ(grid.Cell(0, 0)->Outcome, Outcome::Invalid);
    EXPECT_FALSE(grid.Cell(0, 1));
    EXPECT_EQ(grid.Cell(0, 2)->Outcome, Outcome::Failed);
    EXPECT_EQ(grid.Cell(1, 1)->Outcome, Outcome::NotAccepted);
    EXPECT_FALSE(grid.Cell(2, 0));
    EXPECT_FALSE(grid.Cell(0, 3));
    EXPECT_FALSE(grid.Cell(-1, 0));

    // Only pairs that did not come back "Ok", once each, in grid order, however the ranges lie.
    const StoredGrid ok({At(1, "P", "s1", "Ok"), At(1, "P", "s2", "X"), At(1, "Q", "s1", "Failed")});
    EXPECT_EQ(ok.grid.Retryable({{1, 0, 1, 0}, {0, 1, 0, 1}, {0, 0, 5, 0}, {0, 1, 0, 1}, {5, 5, 9, 9}}),
              (std::vector<HistoryGrid::Pair>{{"P", "s2"}, {"Q", "s1"}}));
    EXPECT_TRUE(ok.grid.Retryable({{0, 0, 0, 0}, {1, 1, 1, 1}}).empty()); // an "Ok" and an empty cell
}

TEST(HistoryGridTest, CsvKeepsEmptyCellsAndDefusesFormulaTitles)
{
    const StoredGrid stored({At(1, "=SUM(A1)", "a,b", "Ok"), At(1, "Plain", "z", "X")});
    EXPECT_TRUE(stored.grid.CsvFits());
    EXPECT_EQ(stored.grid.Csv(), "Product,\"a,b\",z\r\n'=SUM(A1),Ok,\r\nPlain,,X\r\n");
}

// 100,000 products by 100,000 sites, each product at one site of its own: a grid of ten
// billion cells that must hold only the pages looked at, each read once.
TEST(HistoryGridTest, AHundredThousandProductsAndSitesHoldOnlyThePagesLookedAt)
{
    constexpr int N = 100'000;
    HistoryGrid::Axis products, sites;
    for (int i = 0; i < N; ++i) {
        char title[16];
        std::snprintf(title, sizeof title, "%06d", i);
        products.Ids.push_back(i);
        products.Titles.push_back(std::string("p") + title);
        sites.Ids.push_back(i);
        sites.Titles.push_back(std::string("s") + title);
    }
    std::vector<size_t> reads;
    const HistoryGrid grid(products, sites, N, [&](const std::vector<std::int64_t>& ids) {
        reads.push_back(ids.size());
        std::vector<OutcomeRecord> cells;
        for (const std::int64_t id : ids)
            cells.push_back(
                At(0, products.Titles[static_cast<size_t>(id)], sites.Titles[static_cast<size_t>(id)], "X"));
        return cells;
    });
    EXPECT_EQ(grid.HeldCells(), 0u);
    EXPECT_EQ(grid.Cell(N - 1, N - 1)->Site, "s099999");
    EXPECT_FALSE(grid.Cell(N - 1, 0));
    EXPECT_FALSE(grid.CsvFits());
    // The last page is short; reading it again costs nothing.
    EXPECT_EQ(reads, std::vector<size_t>{N % HistoryGrid::PageRows});
    EXPECT_EQ(grid.Cell(HistoryGrid::PageRows, HistoryGrid::PageRows)->Product, "p000064");
    EXPECT_EQ(reads.back(), static_cast<size_t>(HistoryGrid::PageRows));
    for (int row = 0; row < N; row += HistoryGrid::PageRows) EXPECT_TRUE(grid.Cell(row, row));
    EXPECT_EQ(reads.size(), static_cast<size_t>((N + HistoryGrid::PageRows - 1) / HistoryGrid::PageRows) + 1);
    EXPECT_LE(grid.HeldCells(), HistoryGrid::PagesKept * HistoryGrid::PageRows);
    // Selecting everything finds every pair, in order.
    const std::vector<HistoryGrid::Pair> all = grid.Retryable({{0, 0, N - 1, N - 1}});
    ASSERT_EQ(all.size(), static_cast<size_t>(N));
    EXPECT_EQ(all[N - 1], (HistoryGrid::Pair{"p099999", "s099999"}));
}

TEST(HistoryPagesTest, AxesAndCellsFollowTheFilterWithBothEndsOfTheRangeKept)
{
    const std::vector<OutcomeRecord> outcomes{At(1, "Alpha", "S_1", "Ok"), At(2, "Alpha", "S%2", "X"),
                                              At(3, "beta", "S_1", "Failed"), At(4, "Gamma", "big.COM", "Ok")};
    const struct {
        HistoryFilter filter;
        std::optional<int> until;
        std::vector<std::string> products, sites;
    } cases[] = {
        {{}, {}, {"Alpha", "Gamma", "beta"}, {"S%2", "S_1", "big.COM"}}, // by bytes: upper case first
        {{{"beta", "Nobody"}, {}, {}, {}, ""}, {}, {"beta"}, {"S_1"}},
        {{{}, {"S%2"}, {"Ok", "X"}, {}, ""}, {}, {"Alpha"}, {"S%2"}},
        {{{}, {}, {}, Time(2), ""}, 3, {"Alpha", "beta"}, {"S%2", "S_1"}},
        {{{}, {}, {}, {}, "BET"}, {}, {"beta"}, {"S_1"}},
        {{{}, {}, {}, {}, "com"}, {}, {"Gamma"}, {"big.COM"}},
        {{{}, {}, {}, {}, "s_"}, {}, {"Alpha", "beta"}, {"S_1"}}, // "_" and "%" are no wildcards
        {{{}, {}, {}, {}, "%"}, {}, {"Alpha"}, {"S%2"}},
        {{{"Nobody"}, {}, {}, {}, ""}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        const StoredGrid stored(outcomes, c.filter,
                                c.until ? std::optional<HistoryTime>(Time(*c.until)) : std::nullopt);
        EXPECT_EQ(stored.grid.Products(), c.products);
        EXPECT_EQ(stored.grid.Sites(), c.sites);
        int cells = 0;
        for (size_t r = 0; r < c.products.size(); ++r)
            for (size_t s = 0; s < c.sites.size(); ++s) cells += stored.grid.Cell(int(r), int(s)) ? 1 : 0;
        EXPECT_EQ(cells, stored.grid.CellCount());
    }
}

// Dead: each of the last five attempts got no answer. An answer of any kind, or too few attempts, keeps a site.
TEST(SiteHealthTest, ASiteIsDeadWhenNoneOfItsLastFiveAttemptsWasAnsweredAndItIsChecked)
{
    constexpr Outcome Ok = Outcome::Ok, X = Outcome::NotAccepted, F = Outcome::Failed, I = Outcome::Invalid;
    const struct {
        std::vector<Outcome> outcomes;
        bool dead;
    } cases[] = {
        {{F, F, F, F, F}, true},     // exactly five
        {{F, I, F, I, F, Ok}, true}, // "Invalid" got no answer either; the Ok is the sixth, too old
        {{F, F, F, F}, false},       // four: not judged
        {{F, F, X, F, F}, false},    // the site answered
        {{F, F, F, F, X}, false},    // ... at the fifth
        {{Ok, F, F, F, F}, false},
        {{F, F, F, F, Outcome::Cancelled}, false},
        {{F, F, F, F, Outcome::Unknown}, false}, // a word of another version: not known to be silence
    };
    for (const auto& c : cases)
        EXPECT_EQ(SiteHealth::Dead({{"s", c.outcomes}}, {"s"}).size(), c.dead ? 1u : 0u)
            << ::testing::PrintToString(c.outcomes);

    // In the order of the checked sites, each with its last five outcomes only; unchecked ones are left alone.
    const std::vector<SiteRecent> dead =
        SiteHealth::Dead({{"a", {I, F, F, F, F, Ok}}, {"b", {F, F, F, F, F}}, {"u", {F, F, F, F, F}}},
                         {"b", "a", "gone"});
    ASSERT_EQ(dead.size(), 2u);
    EXPECT_EQ(dead[0].Site + dead[1].Site, "ba");
    EXPECT_EQ(dead[1].Outcomes, (std::vector<Outcome>{I, F, F, F, F}));
}

// The question names the first twenty sites with their outcomes, newest first, then counts the rest.
TEST(SiteHealthTest, TheUncheckQuestionNamesTwentySitesAndCountsTheRest)
{
    std::vector<SiteRecent> dead;
    for (int i = 0; i < 21; ++i)
        dead.push_back({"Site " + std::to_string(i),
                        {Outcome::Invalid, Outcome::Failed, Outcome::Failed, Outcome::Failed, Outcome::Failed}});
    const std::string question = SiteHealth::UncheckQuestion(dead).English();
    EXPECT_EQ(question.substr(0, question.find("Site 1:")),
              "Uncheck these 21 sites, which did not answer in their last 5 attempts?\n\n"
              "Site 0: Invalid Failed Failed Failed Failed\n");
    EXPECT_EQ(question.find("Site 20"), std::string::npos);
    EXPECT_EQ(question.substr(question.rfind('\n')), "\nand 1 more");
    dead.pop_back(); // exactly twenty: all named
    EXPECT_TRUE(
        SiteHealth::UncheckQuestion(dead).English().ends_with("\nSite 19: Invalid Failed Failed Failed Failed"));
}

TEST(SiteHealthTest, OkSharesAreLowestFirstAndEqualSharesGoByTitle)
{
    constexpr Outcome Ok = Outcome::Ok, X = Outcome::NotAccepted;
    const auto shares = SiteHealth::OkShares({{"b", {Ok, X}}, {"a", {Ok, Ok, X, X}}, {"c", {X}}, {"e", {}}});
    ASSERT_EQ(shares.size(), 3u);
    EXPECT_EQ(shares[0].Site, "c");
    EXPECT_EQ(shares[1].Site, "a"); // 2/4 ties with 1/2: by title
    EXPECT_EQ(shares[2].Site, "b");
    EXPECT_DOUBLE_EQ(shares[2].Fraction(), 0.5);
}
