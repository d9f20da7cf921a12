#include "net/TThreadTimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

using namespace std::chrono_literals;

namespace {

// The text of the exception that `f` raises.
std::string ExceptionText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

} // namespace

TEST(ThreadTimerTest, RunsWithIntervalEnabledAndHandlerRestartsOnAChangeAndDeliversDueTicks)
{
    TThreadTimer t;
    EXPECT_FALSE(t.Running()); // no handler yet
    int ticks = 0;
    t.SetOnTimer([&](TThreadTimer*) { ++ticks; });
    EXPECT_TRUE(t.Running());
    t.SetInterval(0);
    EXPECT_FALSE(t.Running());
    t.SetInterval(50);
    t.SetEnabled(false);
    EXPECT_FALSE(t.Running());
    EXPECT_FALSE(t.DeliverDue(TThreadTimer::Clock::now() + 1h));
    EXPECT_EQ(ticks, 0);

    t.SetInterval(300);
    t.SetEnabled(true);
    const auto first = *t.NextTick();
    std::this_thread::sleep_for(5ms);
    t.SetInterval(300);
    t.SetEnabled(true);
    EXPECT_EQ(*t.NextTick(), first); // nothing changed, nothing restarted
    t.SetInterval(301);
    const auto second = *t.NextTick();
    EXPECT_GT(second, first);
    std::this_thread::sleep_for(5ms);
    t.SetOnTimer([](TThreadTimer*) {}); // a new handler always restarts
    EXPECT_GT(*t.NextTick(), second);

    // Due ticks are delivered; an error of the handler is handed on.
    t.SetInterval(100);
    t.SetOnTimer([&](TThreadTimer*) {
        if (++ticks == 2) throw std::runtime_error("handler failed");
    });
    const auto due = *t.NextTick();
    EXPECT_FALSE(t.DeliverDue(due - 1ms));
    EXPECT_TRUE(t.DeliverDue(due));
    EXPECT_EQ(ticks, 1);
    EXPECT_GE(*t.NextTick(), due + 100ms); // the next period starts

    std::exception_ptr caught;
    TThreadTimer::SetExceptionHandler([&](std::exception_ptr e) { caught = e; });
    EXPECT_TRUE(t.DeliverDue(*t.NextTick()));
    TThreadTimer::SetExceptionHandler(nullptr);
    EXPECT_EQ(ExceptionText([&] {
                  if (caught) std::rethrow_exception(caught);
              }),
              "handler failed");
}
