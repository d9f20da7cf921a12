#include "cli/CliProgress.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using ms = std::chrono::milliseconds;

TEST(CliProgress, ABarRedrawsInPlaceAndItsTimeMovesBetweenOutcomesAPipeGetsLinesQuietNothing)
{
    auto now = std::chrono::steady_clock::time_point{};
    const CliProgress::Clock clock = [&now] { return now; };
    // The last drawing of the bar, without the padding over a longer one drawn before.
    auto last = [](const std::string& text) {
        std::string bar = text.substr(text.rfind('\r') + 1);
        return bar.erase(bar.find_last_not_of(' ') + 1);
    };

    std::ostringstream terminal;
    CliProgress bar(terminal, false, true, 20, {"Ok", "Failed"}, clock);
    now += 1500ms;
    bar.Tick(); // before any outcome: the bar and its time show
    EXPECT_EQ(last(terminal.str()), "[--------------------] 0/20  Ok 0  Failed 0  0:01 elapsed");
    now += 500ms;
    bar.Ended(true, "");
    bar.Ended(false, ""); // within a tenth of a second: not drawn
    EXPECT_EQ(last(terminal.str()), "[#-------------------] 1/20  Ok 1  Failed 0  0:02 elapsed");
    bar.Tick(); // nor within a second of the last drawing
    EXPECT_EQ(last(terminal.str()), "[#-------------------] 1/20  Ok 1  Failed 0  0:02 elapsed");
    now += 1s;
    bar.Tick();
    EXPECT_EQ(last(terminal.str()), "[##------------------] 2/20  Ok 1  Failed 1  0:03 elapsed, 0:27 left");
    for (int i = 2; i < 20; ++i) bar.Ended(true, "");
    bar.End();
    const std::string all = terminal.str();
    EXPECT_EQ(all.find('\n'), all.size() - 1);
    // The shorter last line covers what the longer one before it left.
    EXPECT_EQ(all.substr(all.rfind('\r') + 1),
              "[####################] 20/20  Ok 19  Failed 1  0:03 elapsed         \n");

    std::ostringstream pipe;
    CliProgress lines(pipe, false, false, 2, {"Valid", "Not valid"}, clock);
    lines.Tick();
    lines.Ended(false, "No  Tool");
    lines.Ended(true, "Yes  Beta");
    lines.End();
    EXPECT_EQ(pipe.str(), "[1/2] No  Tool\n[2/2] Yes  Beta\n");

    std::ostringstream none;
    CliProgress quiet(none, true, true, 2, {"Ok", "Failed"}, clock);
    quiet.Tick();
    quiet.Ended(true, "Ok");
    quiet.End();
    EXPECT_EQ(none.str(), "");
    EXPECT_EQ(quiet.Good(), 1);
}

} // namespace
