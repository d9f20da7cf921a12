#include "catalogue/DiskMerge.h"

#include <gtest/gtest.h>

// What the window writes when its file changed on disk meanwhile, rows keyed by their title.
TEST(DiskMergeTest, KeepsTheWindowsRowsAndTakesInWhatTheDiskAddedOrChanged)
{
    using Rows = DiskMerge::Rows;
    const Rows read = {{"A", "1"}, {"B", "1"}};
    struct Case {
        const char* what;
        Rows mine, disk, merged;
        int taken;
        bool readNothing = false;
    };
    const std::vector<Case> cases = {
        {"added on disk only", read, {{"A", "1"}, {"B", "1"}, {"C", "1"}}, {{"A", "1"}, {"B", "1"}, {"C", "1"}}, 1},
        {"added on both sides",
         {{"A", "1"}, {"B", "1"}, {"W", "1"}},
         {{"A", "1"}, {"B", "1"}, {"C", "1"}},
         {{"A", "1"}, {"B", "1"}, {"W", "1"}, {"C", "1"}},
         1},
        {"removed on disk, kept in the window", read, {{"A", "1"}}, read, 0},
        {"deleted in the window, left on disk", {{"A", "1"}}, read, {{"A", "1"}}, 0},
        {"changed on disk only", read, {{"A", "1"}, {"B", "2"}}, {{"A", "1"}, {"B", "2"}}, 1},
        {"changed on both sides",
         {{"A", "1"}, {"B", "3"}},
         {{"A", "1"}, {"B", "2"}},
         {{"A", "1"}, {"B", "3"}, {"B", "2"}},
         1},
        {"same title twice on disk",
         read,
         {{"A", "1"}, {"B", "1"}, {"B", "1"}},
         {{"A", "1"}, {"B", "1"}, {"B", "1"}},
         1},
        {"nothing read, the file made meanwhile",
         {{"W", "1"}},
         {{"W", "1"}, {"C", "1"}},
         {{"W", "1"}, {"C", "1"}},
         1,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DiskMerge::Result result = DiskMerge::Merge(c.readNothing ? Rows{} : read, c.mine, c.disk, 0);
        EXPECT_EQ(result.Merged, c.merged);
        EXPECT_EQ(result.Taken(), c.taken);
    }
}
