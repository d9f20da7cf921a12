// The Qt-free parts of the item dialogs and list commands.
#include "catalogue/ItemCheck.h"
#include "catalogue/ListColours.h"
#include "catalogue/ListCommands.h"
#include "catalogue/ListRows.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Captions(const ListRows& l)
{
    std::vector<std::string> out;
    for (int i = 0; i < l.Count(); ++i) out.push_back(l.Caption(i));
    return out;
}

} // namespace

TEST(ItemCheck, OneCrEndedLinePerEmptyBoxAndBlanksCount)
{
    EXPECT_EQ(ItemCheck::Message("", "", ItemCheck::PadLinkLine), "Please, enter title\rPlease, enter PAD link\r");
    EXPECT_EQ(ItemCheck::Message("T", "", ItemCheck::LinkLine), "Please, enter link\r");
    EXPECT_EQ(ItemCheck::Message("", "http://", ItemCheck::LinkLine), "Please, enter title\r");
    EXPECT_EQ(ItemCheck::Message(" ", " ", ItemCheck::PadLinkLine), "");
}

TEST(ItemCheck, ABarInATitleLinkOrCategoryIsRefusedWithOneLineEach)
{
    EXPECT_EQ(ItemCheck::Message("A|B", "http://x.example/|", ItemCheck::PadLinkLine, "|Utilities"),
              "Please, remove \"|\" from the title\rPlease, remove \"|\" from the link\r"
              "Please, remove \"|\" from the category\r");
    EXPECT_EQ(ItemCheck::Message("", "|", ItemCheck::LinkLine),
              "Please, enter title\rPlease, remove \"|\" from the link\r");
    EXPECT_EQ(ItemCheck::Message("T", "", ItemCheck::LinkLine, "C|"),
              "Please, enter link\rPlease, remove \"|\" from the category\r");
    EXPECT_EQ(ItemCheck::Message("T", "L", ItemCheck::PadLinkLine, "Business::Finance"), "");
    // The title typed in place in a list.
    EXPECT_EQ(ItemCheck::TitleMessage("New|Name"), "Please, remove \"|\" from the title\r");
    EXPECT_EQ(ItemCheck::TitleMessage("New Name"), "");
}

TEST(ListCommands, AddAndEditPlaceTheRowAndReportWhereItWent)
{
    ListRows products(4, true);
    for (const char* t : {"b", "d", "b"}) ListCommands::AddProduct(products, t, "L", "C");
    EXPECT_EQ(Captions(products), (std::vector<std::string>{"b", "b", "d"}));
    // Equal titles keep their order of arrival: the new row goes after the old one.
    EXPECT_EQ(ListCommands::AddProduct(products, "b", "new", ""), 2);
    EXPECT_EQ(products.Text(2, 1), "new");
    EXPECT_EQ(products.Text(2, 3), "?");
    EXPECT_FALSE(products.Row(2).Checked);

    products.SetText(0, 3, "Ok");
    products.SetChecked(0, true);
    EXPECT_EQ(ListCommands::EditProduct(products, 0, "e", "L2", "C2"), 3);
    EXPECT_EQ(Captions(products), (std::vector<std::string>{"b", "b", "d", "e"}));
    EXPECT_EQ(products.Text(3, 3), "Ok");
    EXPECT_TRUE(products.Row(3).Checked);
    EXPECT_TRUE(products.Sorted());

    // A list left unsorted (an edit was cancelled) is sorted again by the next Add.
    ListRows sites(3, true);
    sites.SetSorted(false);
    sites.Add("z");
    sites.Add("a");
    EXPECT_EQ(ListCommands::AddSite(sites, "m", "link"), 1);
    EXPECT_EQ(Captions(sites), (std::vector<std::string>{"a", "m", "z"}));
    EXPECT_EQ(sites.Text(1, 2), "");
    EXPECT_EQ(ListCommands::EditSite(sites, 1, "zz", "l2"), 2);
}

TEST(ListCommands, DeletesKeepTheOtherRowsInOrder)
{
    ListRows l(2, false);
    for (const char* t : {"a", "b", "c", "d", "e"}) l.Add(t);
    l.SetSelected(0, true);
    l.SetSelected(2, true);
    l.SetChecked(3, true);
    EXPECT_EQ(ListCommands::DeleteSelected(l), 2);
    EXPECT_EQ(Captions(l), (std::vector<std::string>{"b", "d", "e"}));
    EXPECT_EQ(ListCommands::DeleteChecked(l), 1);
    EXPECT_EQ(Captions(l), (std::vector<std::string>{"b", "e"}));
    EXPECT_EQ(ListCommands::DeleteChecked(l), 0);
    ListCommands::DeleteAll(l);
    EXPECT_EQ(l.Count(), 0);
}

TEST(ListCommands, TheLastEqualCategoryIsSelected)
{
    std::vector<std::string> cats{"A", "B", "A", "a"};
    EXPECT_EQ(ListCommands::CategoryIndex(cats, "A"), 2);
    EXPECT_EQ(ListCommands::CategoryIndex(cats, "a"), 3);
    EXPECT_EQ(ListCommands::CategoryIndex(cats, "A "), -1);
    EXPECT_EQ(ListCommands::CategoryIndex({}, ""), -1);
}

TEST(ListColours, StatusWordsAreComparedExactly)
{
    const TextColour black{}, green{false, 0, 128, 0}, red{false, 255, 0, 0};
    EXPECT_EQ(ListColours::For(ListKind::Products, 3, "Yes"), green);
    EXPECT_EQ(ListColours::For(ListKind::Products, 3, "No"), red);
    EXPECT_EQ(ListColours::For(ListKind::Products, 3, "Ok"), black);
    EXPECT_EQ(ListColours::For(ListKind::Auto, 1, "Ok"), green);
    EXPECT_EQ(ListColours::For(ListKind::Auto, 1, "ok"), black);
    EXPECT_EQ(ListColours::For(ListKind::Auto, 1, "X"), red);
    EXPECT_EQ(ListColours::For(ListKind::Auto, 1, "Failed"), black);
    for (ListKind k : {ListKind::Products, ListKind::Auto, ListKind::Manual})
        EXPECT_EQ(ListColours::For(k, 0, "Yes"), (TextColour{false, 128, 128, 0}));
    EXPECT_TRUE(ListColours::For(ListKind::Products, 1, "").Desktop);
    EXPECT_TRUE(ListColours::For(ListKind::Manual, 1, "").Desktop);
    EXPECT_EQ(ListColours::For(ListKind::Products, 2, ""), (TextColour{false, 128, 0, 0}));
    EXPECT_EQ(ListColours::For(ListKind::Manual, 2, "Ok"), (TextColour{false, 0, 0, 128}));
}
