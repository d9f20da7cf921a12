#include "cli/CliEnvironment.h"
#include "cli/HistoryCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

// `history` before any run was recorded, and --import given no report.
TEST(CliHistoryEdge, WithoutAHistoryCsvIsItsHeaderAndAnImportNeedsAFile)
{
    TempDir dir;
    CliEnvironment env;
    env.ProgramFolder = dir.Path() + "/";
    const auto history = [&env](const std::vector<std::string>& args, std::string& out) {
        std::ostringstream o, e;
        const int code = HistoryCommand::Run(args, o, e, env);
        out = o.str();
        return code;
    };
    std::string out;
    EXPECT_EQ(history({"--csv"}, out), HistoryCommand::Done);
    EXPECT_EQ(out, "outcome,product,site,time,http_status,reason,version,detail\r\n");
    EXPECT_EQ(history({"--runs", "--csv"}, out), HistoryCommand::Done);
    EXPECT_EQ(out, "time,kind,ok,x,failed,invalid,ended\r\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--import"}, {"--import", ""}}) {
        EXPECT_EQ(history(args, out), HistoryCommand::UsageError) << args.size();
        EXPECT_EQ(out, "") << args.size();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("data/history.sqlite")));
}
