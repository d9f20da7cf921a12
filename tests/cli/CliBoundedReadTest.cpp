#include "cli/CliEnvironment.h"
#include "cli/HistoryCommand.h"
#include "cli/PadCommand.h"
#include "cli/SitesCommand.h"
#include "submit/SiteTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// The commands that read a whole file the user names stop one byte past their limit: fed
// through a pipe the limit and two bytes more, each leaves exactly one byte unread, refuses
// the file with exit code 2 and names the limit.
TEST(CliBoundedRead, EachCommandReadsItsLimitAndOneByteMoreAndNamesTheLimit)
{
    TempDir dir;
    dir.Write("data/categories.dat", "System Utilities::Text/Document Editors\r\n");
    CliEnvironment env;
    env.ProgramFolder = dir.Path() + "/";
    env.Sites = &SiteTable::BuiltIn();
    using Command = std::function<int(const std::string&, std::ostream&, std::ostream&)>;
    struct Case {
        const char* limitText;
        std::size_t limit;
        Command run;
    };
    const Case cases[] = {
        {"1 MiB", 1u << 20,
         [&](const std::string& file, std::ostream& out, std::ostream& err) {
             return PadCommand::Run({"check", file}, out, err, env);
         }},
        {"16 MiB", 16u << 20,
         [&](const std::string& file, std::ostream& out, std::ostream& err) {
             return SitesCommand::Run({"--import", file}, out, err, env);
         }},
        {"64 MiB", 64u << 20,
         [&](const std::string& file, std::ostream& out, std::ostream& err) {
             return HistoryCommand::Run({"--import", file}, out, err, env);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limitText);
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        std::thread writer([&] {
            const std::string block(64 * 1024, 'x');
            for (std::size_t left = c.limit + 2; left > 0;) {
                const ssize_t n = ::write(ends[1], block.data(), std::min(left, block.size()));
                if (n <= 0) break;
                left -= static_cast<std::size_t>(n);
            }
            ::close(ends[1]);
        });
        std::ostringstream out, err;
        const int code = c.run("/dev/fd/" + std::to_string(ends[0]), out, err);
        // What the command left is drained, so that the writer ends whatever it did.
        std::size_t unread = 0;
        char rest[64 * 1024];
        for (ssize_t n; (n = ::read(ends[0], rest, sizeof rest)) > 0;) unread += static_cast<std::size_t>(n);
        writer.join();
        ::close(ends[0]);
        EXPECT_EQ(unread, 1u);
        EXPECT_EQ(code, 2);
        EXPECT_NE(err.str().find(std::string("larger than ") + c.limitText), std::string::npos) << err.str();
    }
}

} // namespace
