#include "common/OwnerThreadQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(OwnerThreadQueueTest, CallsRunOnTheOwnerThreadOneAtATimeAndCallersWaitForThem)
{
    std::atomic<int> woken{0};
    OwnerThreadQueue queue([&] { ++woken; });
    const auto owner = std::this_thread::get_id();
    int total = 0; // owner-thread state, no lock
    std::vector<std::thread> workers;
    std::atomic<int> returned{0};
    for (int i = 1; i <= 4; ++i)
        workers.emplace_back([&, i] {
            queue.Call([&, i] {
                EXPECT_EQ(std::this_thread::get_id(), owner);
                total += i;
            });
            ++returned;
        });
    EXPECT_TRUE(queue.ServeUntil([&] { return total == 10; }, 5s));
    for (auto& w : workers) w.join();
    EXPECT_EQ(returned, 4);
    EXPECT_EQ(woken, 4);
    // Nothing arrives: ServeUntil gives up at its time-out.
    EXPECT_FALSE(queue.ServeUntil([] { return false; }, 20ms));
}

TEST(OwnerThreadQueueTest, ClosingReleasesWaitingCallersWithoutRunningTheirCalls)
{
    OwnerThreadQueue queue;
    std::atomic<bool> ran{false};
    std::thread waiting([&] { queue.Call([&] { ran = true; }); });
    // The caller is queued (or about to be); closing lets it go either way.
    std::this_thread::sleep_for(10ms);
    queue.Close();
    waiting.join();
    queue.Call([&] { ran = true; }); // after the close: returns at once
    EXPECT_FALSE(ran);
}

} // namespace
