#include "submit/SiteSets.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// What is no pair of a set's name and a site is kept, in its place after the sets.
TEST(SiteSets, LinesThatHoldNoSetSurviveASave)
{
    TempDir dir;
    const std::string path = dir.Write("sitesets.dat", "Weekly|Beta Site|\r\n"
                                                       "broken line\n"
                                                       "Weekly|Alpha Site|\r\n"
                                                       "Daily|Alpha Site|extra|\r"
                                                       "Weekly|Beta Site|\r\n"
                                                       "|No Name|\r\n");
    const SiteSets::File read = SiteSets::Load(path);
    ASSERT_EQ(read.Sets.size(), 1u);
    EXPECT_EQ(read.Sets[0].Sites, (std::vector<std::string>{"Beta Site", "Alpha Site"})); // saved order, once each
    EXPECT_EQ(read.Other, (std::vector<std::string>{"broken line", "Daily|Alpha Site|extra|", "|No Name|"}));

    ASSERT_EQ(SiteSets::Save(path, {"Daily", {"Gamma", "Gamma", "Alpha Site"}}), "");
    EXPECT_EQ(dir.Read("sitesets.dat"), "Daily|Gamma|\r\nDaily|Alpha Site|\r\n"
                                        "Weekly|Beta Site|\r\nWeekly|Alpha Site|\r\n"
                                        "broken line\r\nDaily|Alpha Site|extra|\r\n|No Name|\r\n");
    ASSERT_EQ(SiteSets::Save(path, {"Weekly", {"Gamma"}}), ""); // a set of the same name is replaced
    EXPECT_TRUE(SiteSets::Delete(path, "Daily"));
    EXPECT_FALSE(SiteSets::Delete(path, "Daily"));
    EXPECT_EQ(dir.Read("sitesets.dat"), "Weekly|Gamma|\r\nbroken line\r\nDaily|Alpha Site|extra|\r\n|No Name|\r\n");
}

TEST(SiteSets, ASaveThatCannotBeKeptWritesNothing)
{
    TempDir dir;
    const std::string path = dir.File("sitesets.dat");
    const std::string longest(SiteSets::MaxName, 'n');
    for (const SiteSets::Set& set : std::vector<SiteSets::Set>{{"", {"A"}},
                                                               {"  ", {"A"}},
                                                               {"a|b", {"A"}},
                                                               {"tab\there", {"A"}},
                                                               {longest + "n", {"A"}},
                                                               {"No Sites", {}},
                                                               {"Bad Site", {"A|B"}}})
        EXPECT_NE(SiteSets::Save(path, set), "") << set.Name;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(SiteSets::Save(path, {longest, {"A"}}), "");
}

TEST(SiteSets, ASetResolvesToTableRowsInTableOrderAndNamesWhatIsGone)
{
    const SiteTable table({{"First", "http://a.example/", "GET", "", "", "", ""},
                           {"Second", "http://b.example/", "GET", "", "", "", ""}});
    const SiteSets::Rows rows = SiteSets::Resolve({"S", {"Second", "Gone", "First"}}, table);
    EXPECT_EQ(rows.Found, (std::vector<int>{0, 1}));
    EXPECT_EQ(rows.Missing, (std::vector<std::string>{"Gone"}));
}

} // namespace
