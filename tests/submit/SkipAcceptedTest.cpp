#include "submit/SkipAccepted.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "submit/SiteTable.h"

#include <gtest/gtest.h>

#include <map>

TEST(SkipAccepted, LeavesOutThePairsWhoseSiteTookTheLinkAndRegroupsTheRest)
{
    ListRows products(4, true);
    // Alpha and Delta share a PAD link: what a site took under one title it took under both.
    const std::map<std::string, std::string> links = {{"Alpha", "http://pad/a.xml"},
                                                      {"Beta", "http://pad/b.xml"},
                                                      {"Gamma", "http://pad/c.xml"},
                                                      {"Delta", "http://pad/a.xml"}};
    for (const char* title : {"Alpha", "Beta", "Gamma", "Delta"})
        products.SetText(products.Add(title), ProductColumn::PadLink, links.at(title));
    const SiteTable sites({{"S0", "http://s0/add.php", "GET", "padurl", "", "", "ok"},
                           {"S1", "http://s1/add.php", "GET", "padurl", "", "", "ok"},
                           {"S2", "http://s2/add.php", "GET", "padurl", "", "", "ok"}});
    std::map<std::string, int> asked;
    const auto took = [&asked](const std::string& link) {
        ++asked[link];
        if (link == "http://pad/a.xml") return std::set<std::string>{"S1"};
        if (link == "http://pad/b.xml") return std::set<std::string>{"S0", "S1", "S2"};
        return std::set<std::string>{"S1", "S9"}; // a site no longer in the table
    };
    const SkipAccepted kept = SkipAccepted::Filter({{{0, 1, 2}, {0, 1, 2}}, {{3}, {1, 2}}}, products, sites, took);
    // Beta was taken everywhere and drops out; Delta's one site left makes a batch of its own.
    ASSERT_EQ(kept.Batches.size(), 2u);
    EXPECT_EQ(kept.Batches[0].ProductRows, (std::vector<int>{0, 2}));
    EXPECT_EQ(kept.Batches[0].SiteRows, (std::vector<int>{0, 2}));
    EXPECT_EQ(kept.Batches[1].ProductRows, (std::vector<int>{3}));
    EXPECT_EQ(kept.Batches[1].SiteRows, (std::vector<int>{2}));
    EXPECT_EQ(kept.Skipped, 1 + 3 + 1 + 1);
    EXPECT_EQ(asked.at("http://pad/a.xml"), 1); // the history is asked once per link
}
