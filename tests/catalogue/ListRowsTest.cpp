#include "catalogue/ListRows.h"
#include "catalogue/CaptionCollator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

const CaptionCollator& Root()
{
    static const CaptionCollator c("C");
    return c;
}

std::vector<std::string> Captions(const ListRows& l)
{
    std::vector<std::string> out;
    for (int i = 0; i < l.Count(); ++i) out.push_back(l.Caption(i));
    return out;
}

struct Recorder : ListRowsObserver {
    std::vector<std::string> events;
    void RowsAboutToBeInserted(int f, int l) override
    {
        events.push_back("ins?" + std::to_string(f) + "-" + std::to_string(l));
    }
    void RowsInserted(int f, int l) override { events.push_back("ins" + std::to_string(f) + "-" + std::to_string(l)); }
    void RowsAboutToBeRemoved(int f, int l) override
    {
        events.push_back("rem?" + std::to_string(f) + "-" + std::to_string(l));
    }
    void RowsRemoved(int f, int l) override { events.push_back("rem" + std::to_string(f) + "-" + std::to_string(l)); }
    void RowChanged(int r) override { events.push_back("chg" + std::to_string(r)); }
    void AboutToReset() override { events.push_back("reset?"); }
    void ResetDone() override { events.push_back("reset"); }
};

} // namespace

TEST(ListRows, SortedListKeepsCaptionOrderOnAddAndRename)
{
    ListRows l(4, true, &Root());
    l.Add("pear");
    l.Add("Apple");
    int i = l.Add("banana");
    EXPECT_EQ(i, 1);
    EXPECT_EQ(Captions(l), (std::vector<std::string>{"Apple", "banana", "pear"}));

    // Renaming moves the row to its place and reports where it went.
    int moved = l.SetCaption(2, "aardvark");
    EXPECT_EQ(moved, 0);
    EXPECT_EQ(Captions(l), (std::vector<std::string>{"aardvark", "Apple", "banana"}));
    // Every row has every column.
    EXPECT_EQ(l.Text(0, 3), "");
}

TEST(ListRows, EqualCaptionsKeepTheirInsertionOrder)
{
    ListRows l(2, true, &Root());
    l.Add("same");
    l.SetText(0, 1, "first");
    int second = l.Add("same");
    l.SetText(second, 1, "second");
    l.Add("a");
    l.Sort();
    EXPECT_EQ(l.Text(1, 1), "first");
    EXPECT_EQ(l.Text(2, 1), "second");
}

TEST(ListRows, UnsortedListKeepsPlacesUntilSortingIsSwitchedOn)
{
    ListRows l(2, true, &Root());
    l.Add("b");
    l.Add("c");
    l.SetSorted(false);
    l.Add("a");
    int row = l.SetCaption(0, "z"); // "b" renamed, stays at 0 while off
    EXPECT_EQ(row, 0);
    EXPECT_EQ(Captions(l), (std::vector<std::string>{"z", "c", "a"}));
    l.SetSorted(true);
    EXPECT_EQ(Captions(l), (std::vector<std::string>{"a", "c", "z"}));
}

TEST(ListRows, FlagsAndDeletion)
{
    ListRows l(3, false, &Root());
    for (const char* c : {"r0", "r1", "r2", "r3", "r4"}) l.Add(c);
    l.SetSelected(1, true);
    l.SetSelected(3, true);
    l.SetChecked(4, true);
    EXPECT_EQ(l.SelectedCount(), 2);
    EXPECT_EQ(l.FirstSelected(), 1);
    EXPECT_EQ(l.CheckedCount(), 1);
    EXPECT_EQ(l.DeleteIf([](const ListRow& r) { return r.Selected; }), 2);
    EXPECT_EQ(Captions(l), (std::vector<std::string>{"r0", "r2", "r4"}));
    EXPECT_TRUE(l.Row(2).Checked);
    l.SetAllChecked(true);
    EXPECT_EQ(l.CheckedCount(), 3);
    l.Delete(0);
    EXPECT_EQ(l.FirstSelected(), -1);
    EXPECT_THROW(l.Row(2), std::out_of_range);
    EXPECT_THROW(l.Text(0, 3), std::out_of_range);
    EXPECT_THROW(l.SetChecked(-1, true), std::out_of_range);
}

TEST(ListRows, ObserverHearsEveryChangeInPairs)
{
    ListRows l(2, true, &Root());
    Recorder rec;
    l.SetObserver(&rec);
    l.Add("b");
    l.Add("a");
    l.SetText(1, 1, "x");
    l.SetCaption(0, "c"); // "a" -> "c": moves from 0 to 1
    l.Delete(0);
    l.BeginUpdate();
    l.Add("z");
    l.Add("y");
    l.EndUpdate();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"ins?0-0", "ins0-0", "ins?0-0", "ins0-0", "chg1", "reset?", "reset",
                                                    "rem?0-0", "rem0-0", "reset?", "reset"}));
    EXPECT_EQ(Captions(l), (std::vector<std::string>{"c", "y", "z"}));
}

TEST(ListRows, LoadFailedMark)
{
    ListRows l(4);
    EXPECT_FALSE(l.LoadFailed());
    l.MarkLoadFailed("/x/products.dat");
    l.MarkLoadFailed("/x/other.dat");
    l.ClearLoadFailed("/x/other.dat");
    EXPECT_EQ(l.FailedPaths(), std::vector<std::string>{"/x/products.dat"});
    l.ClearLoadFailed("/x/products.dat");
    EXPECT_FALSE(l.LoadFailed());
}

TEST(ListRows, WhatASaveWouldWriteMarksTheListModifiedAndFlagsDoNot)
{
    ListRows l(3, false, &Root());
    EXPECT_FALSE(l.Modified());
    l.Add("b");
    l.Add("a");
    EXPECT_TRUE(l.Modified());

    auto changes = [&l](const std::function<void()>& fn) {
        l.SetModified(false);
        fn();
        return l.Modified();
    };
    // Check marks, selection and texts set to what they were are no change.
    EXPECT_FALSE(changes([&] {
        l.SetChecked(0, true);
        l.SetSelected(1, true);
        l.SetAllChecked(false);
        l.SetText(0, 1, "");
        l.SetCaption(1, "a");
        l.DeleteIf([](const ListRow&) { return false; });
    }));
    EXPECT_TRUE(changes([&] { l.SetText(0, 2, "status"); }));
    EXPECT_TRUE(changes([&] { l.SetCaption(0, "c"); }));
    // Sorting that moves rows changes the written order; sorting an ordered list does not.
    EXPECT_TRUE(changes([&] { l.SetSorted(true); }));
    EXPECT_EQ(Captions(l), (std::vector<std::string>{"a", "c"}));
    EXPECT_FALSE(changes([&] { l.Sort(); }));
    EXPECT_TRUE(changes([&] { l.Delete(0); }));
    EXPECT_TRUE(changes([&] { l.DeleteIf([](const ListRow&) { return true; }); }));
    EXPECT_FALSE(changes([&] { l.Clear(); }));
    l.Add("x");
    EXPECT_TRUE(changes([&] { l.Clear(); }));
}

TEST(ListRows, SortingManyRowsFollowsCompareKeepsEqualCaptionsInOrderAndTracksOneRow)
{
    // Repeats, case pairs, accents, Cyrillic, digits, and two ill-formed texts that the
    // collation calls equal although their bytes differ.
    const std::vector<std::string> words{
        "b\xFF", "b\xFE", "Tool", "tool", "\xC3\xA9t\xC3\xA9", "etna", "Zip", "\xD0\x90\xD1\x80", "10", "9", ""};
    ListRows l(3, false, &Root());
    std::vector<std::string> captionOf;
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        captionOf.push_back(words[rng() % words.size()]);
        const int row = l.Add(captionOf.back());
        l.SetText(row, 1, std::to_string(i));
    }
    const std::uint64_t followedId = l.Row(123).Id;
    const int followed = l.SetSorted(true, 123);
    EXPECT_EQ(l.Row(followed).Id, followedId);

    std::vector<bool> seen(captionOf.size());
    for (int r = 0; r < l.Count(); ++r) {
        const int seq = std::stoi(std::string(l.Text(r, 1)));
        EXPECT_EQ(l.Caption(r), captionOf[static_cast<size_t>(seq)]) << "row " << r << " lost its caption";
        seen[static_cast<size_t>(seq)] = true;
        if (r == 0) continue;
        const int order = Root().Compare(l.Caption(r - 1), l.Caption(r));
        EXPECT_LE(order, 0) << "rows " << r - 1 << " and " << r;
        if (order == 0) {
            EXPECT_LT(std::stoi(std::string(l.Text(r - 1, 1))), seq) << "equal captions reordered";
        }
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 300);
}

TEST(ListRows, TextsTakenFromKeptBytesOutliveEditsCopiesAndClears)
{
    ListRows l(3, false, &Root());
    {
        std::string_view kept = l.KeepBytes("alpha|one|x|beta|two|y|");
        const std::string_view first[] = {kept.substr(0, 5), kept.substr(6, 3), kept.substr(10, 1)};
        l.AddKept(first, true);
        std::string outside = "gamma"; // not within the kept bytes: the list copies it
        const std::string_view second[] = {outside, kept.substr(17, 3), {}};
        l.AddKept(second, false);
        outside.assign("XXXXX");
    }
    EXPECT_TRUE(l.Row(0).Checked);
    EXPECT_EQ(l.Caption(1), "gamma");

    ListRows copy = l;
    l.SetText(0, 1, "uno");
    l.SetCaption(1, "delta");
    l.Delete(0);
    const ListRow kept = copy.Row(1);
    EXPECT_EQ(kept.Caption, "gamma");
    EXPECT_EQ(kept.SubItems, (std::vector<std::string>{"two", ""}));
    EXPECT_EQ(copy.Text(0, 1), "one");
    EXPECT_EQ(l.Caption(0), "delta");

    ListRows moved = std::move(l);
    moved.Clear(); // lets its bytes go; the copy shares them and keeps its rows
    EXPECT_EQ(copy.Caption(0), "alpha");
    EXPECT_EQ(copy.Text(0, 2), "x");
    copy = moved;
    EXPECT_EQ(copy.Count(), 0);
}
