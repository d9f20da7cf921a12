#include "cli/CliDispatch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

// A command that tells which words it got; "--help" is its help.
int Echo(const std::vector<std::string>& args, std::ostream& out, std::ostream&)
{
    out << "echo:";
    for (const std::string& a : args) out << ' ' << a;
    out << '\n';
    return args.empty() ? 0 : 5;
}
const char* EchoUsage()
{
    return "usage: quillpost-cli echo [WORD]...\n";
}

constexpr CliCommand Table[] = {{"echo", &Echo, &EchoUsage}};

TEST(CliDispatch, TheFirstWordPicksACommandHelpOrTheVersionAndAnUnknownOneIsNamed)
{
    const std::string usage = CliDispatch::Usage(Table);
    ASSERT_EQ(usage.rfind(EchoUsage(), 0), 0u) << usage;
    const std::string version = "quillpost-cli " QP_PROJECT_VERSION "\n";
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out, err;
    };
    const std::vector<Case> cases = {
        {{"echo", "a", "b"}, 5, "echo: a b\n", ""},
        {{"echo"}, 0, "echo:\n", ""},
        {{"--version"}, 0, version, ""},
        {{"-V"}, 0, version, ""},
        {{"help"}, 0, usage, ""},
        {{"--help"}, 0, usage, ""},
        {{"-h"}, 0, usage, ""},
        {{"help", "--help"}, 0, usage, ""},
        {{"help", "echo"}, 5, "echo: --help\n", ""}, // the same as "echo --help"
        {{"help", "nope"}, 2, "", "unknown command: nope\n" + usage},
        {{"nope", "echo"}, 2, "", "unknown command: nope\n" + usage},
        {{"--verbose"}, 2, "", "unknown command: --verbose\n" + usage},
        {{}, 2, "", usage},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(CliDispatch::Run(Table, c.args, out, err), c.code) << ::testing::PrintToString(c.args);
        EXPECT_EQ(out.str(), c.out) << ::testing::PrintToString(c.args);
        EXPECT_EQ(err.str(), c.err) << ::testing::PrintToString(c.args);
    }
}

TEST(CliDispatch, TheBuiltProgramTellsItsVersionAndEachCommandsHelp)
{
    auto run = [](const std::string& args) {
        std::string text;
        FILE* pipe = popen((std::string(QP_BIN_DIR) + "/quillpost-cli " + args).c_str(), "r");
        char chunk[4096];
        for (size_t n; pipe && (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) text.append(chunk, n);
        const int status = pipe ? pclose(pipe) : -1;
        return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, text);
    };
    EXPECT_EQ(run("--version"), std::make_pair(0, std::string("quillpost-cli " QP_PROJECT_VERSION "\n")));
    const auto help = run("help validate-pads");
    EXPECT_EQ(help.first, 0);
    EXPECT_NE(help.second.find("--quiet"), std::string::npos) << help.second;
    EXPECT_EQ(help, run("validate-pads --help"));
    EXPECT_EQ(run("frobnicate 2>&1").second.rfind("unknown command: frobnicate\nusage: quillpost-cli submit", 0), 0u);
}

} // namespace
