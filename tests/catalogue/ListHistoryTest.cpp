#include "catalogue/ListHistory.h"
#include "catalogue/CaptionCollator.h"
#include "catalogue/CatalogueFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const CaptionCollator& Root()
{
    static const CaptionCollator c("C");
    return c;
}

// What the user sees of a list: every row's texts and check mark, in order.
std::vector<std::string> Seen(const ListRows& l)
{
    std::vector<std::string> out;
    for (int i = 0; i < l.Count(); ++i) {
        std::string row = l.Row(i).Checked ? "[x]" : "[ ]";
        for (int c = 0; c < l.ColumnCount(); ++c) row += std::string(l.Text(i, c)) + "|";
        out.push_back(row);
    }
    return out;
}

ListRows Products(bool sorted)
{
    ListRows l(3, sorted, &Root());
    for (const char* title : {"Delta", "Alpha", "Charlie", "Bravo"}) {
        ListRow row;
        row.Caption = title;
        row.SubItems = {std::string("http://x/") + title + ".xml", "Cat"};
        row.Checked = title[0] != 'C';
        l.Add(row);
    }
    l.SetModified(false);
    return l;
}

} // namespace

TEST(ListHistoryTest, EveryCommandIsUndoneAndRedoneWithOrderChecksAndModifiedState)
{
    TempDir dir;
    const std::string file = dir.Write("other.dat", "One|http://o/1|A|\r\nTwo|http://o/2|B|\r\n");
    struct Case {
        const char* name;
        bool sorted;
        std::function<void(ListRows&)> change;
    };
    const std::vector<Case> cases = {
        {"Add", false, [](ListRows& l) { l.Add("Echo"); }},
        {"Add sorted", true, [](ListRows& l) { l.Add("Bz"); }},
        {"Edit", false, [](ListRows& l) { l.SetText(2, 1, "http://new"); }},
        {"Rename moves the row", true, [](ListRows& l) { l.SetCaption(0, "Zulu"); }},
        {"Delete", false, [](ListRows& l) { l.Delete(1); }},
        {"Delete one by one", false,
         [](ListRows& l) {
             l.Delete(3);
             l.Delete(0);
         }},
        {"Delete Checked", false, [](ListRows& l) { l.DeleteIf([](const ListRowView& r) { return r.Checked; }); }},
        {"Clear", true, [](ListRows& l) { l.Clear(); }},
        {"Load", false, [&file](ListRows& l) { CatalogueFile::ReadList(l, file); }},
        {"Words of a run", false,
         [](ListRows& l) {
             l.SetText(0, 2, "Yes");
             l.SetText(3, 2, "No");
         }},
        // Several rows changed or removed in one step: each comes back at its own place.
        {"Two edits", false,
         [](ListRows& l) {
             l.SetText(0, 1, "a");
             l.SetText(2, 1, "c");
         }},
        {"An edit, then a delete after it", false,
         [](ListRows& l) {
             l.SetText(0, 1, "d");
             l.Delete(2);
         }},
        {"An edit, then rows after it deleted together", false,
         [](ListRows& l) {
             l.SetText(0, 2, "Yes");
             l.DeleteIf([](const ListRowView& r) { return r.Caption == "Alpha" || r.Caption == "Charlie"; });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListRows list = Products(c.sorted);
        ListHistory history(list);
        const std::vector<std::string> before = Seen(list);
        {
            ListHistory::Step step(history, c.name);
            c.change(list);
        }
        const std::vector<std::string> after = Seen(list);
        const bool modifiedAfter = list.Modified();
        ASSERT_NE(before, after);
        EXPECT_EQ(history.UndoName(), c.name);

        history.Undo();
        EXPECT_EQ(Seen(list), before);
        EXPECT_FALSE(list.Modified());
        EXPECT_EQ(history.RedoName(), c.name);
        history.Redo();
        EXPECT_EQ(Seen(list), after);
        EXPECT_EQ(list.Modified(), modifiedAfter);
        history.Undo();
        EXPECT_EQ(Seen(list), before);
    }
}

TEST(ListHistoryTest, ASaveInBetweenKeepsTheHistoryAndTheListCountsAsModifiedAwayFromTheSave)
{
    TempDir dir;
    ListRows list = Products(false);
    ListHistory history(list);
    const std::vector<std::string> start = Seen(list);
    {
        ListHistory::Step step(history, "Delete All");
        list.Clear();
    }
    CatalogueFile::SaveList(list, dir.File("products.dat"), CatalogueFile::ProductFields);
    EXPECT_FALSE(list.Modified());

    history.Undo(); // the rows are back, the file is empty: a save is owed
    EXPECT_EQ(Seen(list), start);
    EXPECT_TRUE(list.Modified());
    history.Redo(); // as saved again
    EXPECT_TRUE(Seen(list).empty());
    EXPECT_FALSE(list.Modified());

    // Undo, then a new change: the saved state can never come back by Redo.
    history.Undo();
    {
        ListHistory::Step step(history, "Add");
        list.Add("New");
    }
    EXPECT_FALSE(history.CanRedo());
    history.Undo();
    EXPECT_TRUE(list.Modified());
}

TEST(ListHistoryTest, StepsAreDroppedWhenEmptyMergedByKeyAndFoundByIdAfterSorting)
{
    ListRows list = Products(false);
    ListHistory history(list);
    {
        ListHistory::Step step(history, "Delete");
        list.Delete(0); // Delta
    }
    history.Undo();
    { // a command that changed nothing (a Load that failed) costs no redo
        ListHistory::Step step(history, "Load");
    }
    EXPECT_EQ(history.RedoName(), "Delete");
    history.Redo();

    // A status word a test writes is no step; the words of one validation run, coming product
    // by product, are one.
    history.SetStatusColumn(2);
    list.SetText(1, 2, "Ok");
    for (int row : {0, 2}) {
        const ListRows::Step step(list, "Validate PADs", 7);
        list.SetText(row, 2, "Yes");
    }
    EXPECT_EQ(history.StepCount(), 2u);
    history.Undo();
    EXPECT_EQ(list.Text(0, 2), "Cat");
    EXPECT_EQ(list.Text(2, 2), "Cat");
    EXPECT_EQ(history.UndoName(), "Delete");

    // An edit found again by its row's Id after sorting moved the row.
    {
        ListHistory::Step step(history, "Edit");
        list.SetText(0, 1, "http://changed"); // Alpha
    }
    list.SetSorted(true);
    history.Undo();
    EXPECT_EQ(list.Text(0, 1), "http://x/Alpha.xml");
    EXPECT_EQ(list.Count(), 3);
}

TEST(ListHistoryTest, ManyDeletesKeepEachDeletedRowOnceNotACopyOfTheList)
{
    ListRows list(3, false, &Root());
    for (int i = 0; i < 2000; ++i) {
        ListRow row;
        row.Caption = "Product " + std::to_string(i);
        row.SubItems = {"http://example.invalid/" + std::to_string(i) + ".xml", "Utilities"};
        list.Add(row);
    }
    ListHistory history(list);
    std::size_t deletedBytes = 0;
    for (int i = 0; i < 100; ++i) {
        for (int c = 0; c < 3; ++c) deletedBytes += list.Text(0, c).size();
        ListHistory::Step step(history, "Delete");
        list.Delete(0);
    }
    EXPECT_EQ(history.KeptBytes(), deletedBytes);
    while (history.CanUndo()) history.Undo();
    EXPECT_EQ(list.Count(), 2000);
    EXPECT_EQ(list.Caption(0), "Product 0");
    EXPECT_EQ(list.Caption(99), "Product 99");

    // Many rows at once come back between the rows that stayed, in their places.
    const std::vector<std::string> whole = Seen(list);
    {
        ListHistory::Step step(history, "Delete Selected");
        int n = 0;
        list.DeleteIf([&n](const ListRowView&) { return n++ % 3 == 1; });
    }
    history.Undo();
    EXPECT_EQ(Seen(list), whole);
}

TEST(ListHistoryTest, StepsMergeOnlyIntoTheNewestAndARunsWordsInAnyOrderComeBackInPlace)
{
    TempDir dir;
    ListRows list = Products(false);
    ListHistory history(list);
    const auto typed = [&](int row) {
        const ListRows::Step step(list, "Typing", 7);
        list.SetText(row, 1, "typed");
    };
    typed(0);
    {
        ListHistory::Step step(history, "Delete");
        list.Delete(3);
    }
    CatalogueFile::SaveList(list, dir.File("products.dat"), CatalogueFile::ProductFields);
    history.Undo(); // the Delete: Typing is the newest done step, but not the newest step
    typed(1);
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.StepCount(), 2u);
    history.Undo();
    EXPECT_EQ(list.Text(1, 1), "http://x/Alpha.xml");
    EXPECT_EQ(list.Text(0, 1), "typed");
    // Two steps done again, as when the file was written, but not the two that were written.
    history.Redo();
    EXPECT_TRUE(list.Modified());

    // The words of a run, product by product in any order, come back each at its own place.
    const std::vector<std::string> before = Seen(list);
    for (int row : {0, 2, 1}) {
        const ListRows::Step step(list, "Validate PADs", 9);
        list.SetText(row, 2, "Yes");
    }
    history.Undo();
    EXPECT_EQ(Seen(list), before);
}
