#include "history/HistoryGrid.h"
#include "history/SiteHealth.h"

#include <gtest/gtest.h>

namespace {

OutcomeRecord At(int seconds, std::string product, std::string site, std::string outcome)
{
    OutcomeRecord r;
    r.Time = HistoryTime(std::chrono::seconds(seconds));
    r.Product = std::move(product);
    r.Site = std::move(site);
    r.Outcome = std::move(outcome);
    return r;
}

} // namespace

TEST(HistoryGridTest, CellsLandUnderTheirOwnProductAndSiteWithGapsLeftEmpty)
{
    // Given out of order, one pair twice, and one outcome after the end of the range.
    const HistoryGrid grid({At(5, "Zeta", "b.com", "X"), At(1, "Alpha", "c.com", "Ok"),
                            At(9, "Alpha", "c.com", "Failed"), At(2, "Alpha", "a.com", "Invalid"),
                            At(50, "Beta", "a.com", "Ok")},
                           HistoryTime(std::chrono::seconds(10)));
    EXPECT_EQ(grid.Products(), (std::vector<std::string>{"Alpha", "Zeta"}));
    EXPECT_EQ(grid.Sites(), (std::vector<std::string>{"a.com", "b.com", "c.com"}));
    EXPECT_EQ(grid.Cell(0, 0)->Outcome, "Invalid");
    EXPECT_EQ(grid.Cell(0, 1), nullptr);
    EXPECT_EQ(grid.Cell(0, 2)->Outcome, "Failed");
    EXPECT_EQ(grid.Cell(1, 1)->Outcome, "X");
    EXPECT_EQ(grid.Cell(2, 0), nullptr);
    EXPECT_EQ(grid.Cell(0, 3), nullptr);

    // Only pairs that did not come back "Ok", once each, in grid order.
    const HistoryGrid ok({At(1, "P", "s1", "Ok"), At(1, "P", "s2", "X"), At(1, "Q", "s1", "Failed")});
    EXPECT_EQ(ok.Retryable({{1, 0}, {0, 1}, {0, 0}, {0, 1}, {5, 5}, {1, 1}}),
              (std::vector<HistoryGrid::Pair>{{"P", "s2"}, {"Q", "s1"}}));
}

TEST(HistoryGridTest, CsvKeepsEmptyCellsAndDefusesFormulaTitles)
{
    const HistoryGrid grid({At(1, "=SUM(A1)", "a,b", "Ok"), At(1, "Plain", "z", "X")});
    EXPECT_EQ(grid.Csv(), "Product,\"a,b\",z\r\n'=SUM(A1),Ok,\r\nPlain,,X\r\n");
}

TEST(SiteHealthTest, DeadSitesNeedFiveAttemptsWithoutOkAndMustBeChecked)
{
    const std::vector<SiteRecent> recent{
        {"dead", {"X", "Failed", "Invalid", "X", "Failed", "Ok"}}, // the "Ok" is the sixth: too old
        {"alive", {"X", "X", "X", "X", "Ok"}},
        {"young", {"Failed", "Failed"}},
        {"unchecked", {"X", "X", "X", "X", "X"}},
    };
    EXPECT_EQ(SiteHealth::Dead(recent, {"young", "alive", "dead", "gone"}), (std::vector<std::string>{"dead"}));

    const auto shares =
        SiteHealth::OkShares({{"b", {"Ok", "X"}}, {"a", {"Ok", "Ok", "X", "X"}}, {"c", {"X"}}, {"e", {}}});
    ASSERT_EQ(shares.size(), 3u);
    EXPECT_EQ(shares[0].Site, "c");
    EXPECT_EQ(shares[1].Site, "a"); // 2/4 ties with 1/2: by title
    EXPECT_EQ(shares[2].Site, "b");
    EXPECT_DOUBLE_EQ(shares[2].Fraction(), 0.5);
}
