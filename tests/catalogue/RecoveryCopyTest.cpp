#include "catalogue/RecoveryCopy.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

// A burst of changes costs one write of the latest bytes; what waits when the owner goes is
// written before it is gone.
TEST(RecoveryCopyTest, WritesTheLatestBytesAtMostOncePerIntervalAndOnClose)
{
    TempDir dir;
    const std::string path = dir.File("products.dat");
    {
        RecoveryCopy copy(path, std::chrono::seconds(60));
        copy.Keep("first\r\n");
        copy.Flush();
        EXPECT_EQ(dir.Read("products.dat.recovery"), "first\r\n");
        for (int i = 0; i < 50; ++i) copy.Keep("burst " + std::to_string(i) + "\r\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(copy.Writes(), 1); // the next write waits out the interval
        copy.Keep("last\r\n");
    } // leaves before the interval is over
    EXPECT_EQ(dir.Read("products.dat.recovery"), "last\r\n");
}

// A copy is offered only when it is newer than its file, or the file is gone.
TEST(RecoveryCopyTest, OffersOnlyACopyNewerThanItsFile)
{
    TempDir dir;
    const std::string path = dir.Write("sites.dat", "a|l|\r\n");
    EXPECT_FALSE(RecoveryCopy::Offered(path));
    const std::string copy = dir.Write("sites.dat.recovery", "b|l|\r\n");
    namespace fs = std::filesystem;
    const auto at = fs::last_write_time(path);
    fs::last_write_time(copy, at);
    EXPECT_FALSE(RecoveryCopy::Offered(path)); // the same time
    fs::last_write_time(copy, at + std::chrono::milliseconds(1));
    EXPECT_TRUE(RecoveryCopy::Offered(path));
    fs::remove(path);
    EXPECT_TRUE(RecoveryCopy::Offered(path));
}
