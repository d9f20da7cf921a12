#include "submit/OwnSiteRows.h"

#include "catalogue/ListRows.h"
#include "submit/OwnSites.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SiteRecord Site(const std::string& title)
{
    return SiteRecord{title, "http://own.example/add.php", "GET", "padurl", "padcat", "", "successfully"};
}

// Each row as title, check mark and status.
std::string Rows(const ListRows& list)
{
    std::string out;
    for (int i = 0; i < list.Count(); ++i)
        out += std::string(list.Caption(i)) + (list.Row(i).Checked ? "+" : "-") + std::string(list.Text(i, 1)) + ";";
    return out;
}

} // namespace

// After a change of the author's sites their rows are made anew; what the user set on each
// row (its check box) and what the last run showed (its status) stay with its title.
TEST(OwnSiteRowsTest, TheAuthorsRowsKeepTheirCheckAndStatusByTitle)
{
    const SiteTable base({Site("Built In")});
    OwnSites own(base);
    ASSERT_EQ(own.Add(Site("Beta")), "");
    ASSERT_EQ(own.Add(Site("Delta")), "");
    ListRows list(2, false);
    OwnSiteRows::Fill(list, own.Combined());
    EXPECT_EQ(Rows(list), "Built In+;Beta+;Delta+;");
    list.SetText(0, 1, "Ok");
    list.SetText(1, 1, "Failed");
    list.SetText(2, 1, "Failed");
    list.SetChecked(2, false);

    // A new site comes in title order, checked; the others keep theirs.
    ASSERT_EQ(own.Add(Site("Charlie")), "");
    OwnSiteRows::Show(list, own, "Charlie");
    EXPECT_EQ(Rows(list), "Built In+Ok;Beta+Failed;Charlie+;Delta-Failed;");

    // The site just edited is checked again and its old status goes; Beta's row went.
    own.Remove(0);
    ASSERT_EQ(own.Replace(1, Site("Delta")), "");
    OwnSiteRows::Show(list, own, "Delta");
    EXPECT_EQ(Rows(list), "Built In+Ok;Charlie+;Delta+;");
}

TEST(OwnSiteRowsTest, OnlyASelectedRowOfTheAuthorsOwnIsAnOwnSite)
{
    const SiteTable base({Site("Built In"), Site("Other")});
    OwnSites own(base);
    ASSERT_EQ(own.Add(Site("Mine")), "");
    ListRows list(2, false);
    OwnSiteRows::Fill(list, own.Combined());
    EXPECT_EQ(OwnSiteRows::Selected(list, own), -1); // nothing selected
    list.SetSelected(1, true);
    EXPECT_EQ(OwnSiteRows::Selected(list, own), -1); // the last built-in row
    list.SetSelected(2, true);
    EXPECT_EQ(OwnSiteRows::Selected(list, own), -1); // the first selected row decides
    list.SetSelected(1, false);
    EXPECT_EQ(OwnSiteRows::Selected(list, own), 0);
}

// A change is kept only once it is in the file: a refused one or one that cannot be saved
// leaves the sites as they were, so the list never shows a site the next start would lose.
TEST(OwnSiteRowsTest, AChangeThatIsRefusedOrCannotBeSavedLeavesTheSitesAsTheyWere)
{
    TempDir dir;
    OwnSites own(SiteTable({Site("Built In")}));
    auto add = [](const std::string& title) { return [title](OwnSites& o) { return o.Add(Site(title)); }; };
    EXPECT_EQ(OwnSiteRows::Change(own, dir.File(OwnSites::FileName), add("Mine")), "");
    EXPECT_EQ(dir.Read(OwnSites::FileName), "Mine|http://own.example/add.php|GET|padurl|padcat||successfully|\r\n");

    EXPECT_NE(OwnSiteRows::Change(own, dir.File(OwnSites::FileName), add("Mine")), ""); // the title is taken
    const std::string why = OwnSiteRows::Change(own, dir.File("no/such/folder/autosites.dat"), add("Other"));
    EXPECT_NE(why.find("autosites.dat"), std::string::npos) << why;
    ASSERT_EQ(own.Sites().size(), 1u);
    EXPECT_EQ(own.Sites()[0].Title, "Mine");
}
