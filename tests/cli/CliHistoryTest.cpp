#include "cli/CliEnvironment.h"
#include "cli/HistoryCommand.h"
#include "history/SqliteDb.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

class CliHistoryTest : public ::testing::Test {
protected:
    CliHistoryTest() { env.ProgramFolder = dir.Path() + "/"; }
    Outcome History(const std::vector<std::string>& args)
    {
        std::ostringstream out, err;
        const int code = HistoryCommand::Run(args, out, err, env);
        return {code, out.str(), err.str()};
    }

    TempDir dir;
    CliEnvironment env;
};

TEST_F(CliHistoryTest, ListsEachPairsLatestOutcomeAndTheRunsAsTabLinesOrCsv)
{
    EXPECT_EQ(History({}).out, "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("data/history.sqlite")));
    const std::string report =
        "time,product,pad_link,site,script_url,method,outcome,http_status,ms,error,detail\r\n"
        "2024-05-01T12:00:00Z,\"Tab\tTitle, Pro\",http://a/pad.xml,Site B,http://b/,GET,Ok,200,12,,\r\n"
        "2024-05-01T12:00:01Z,\"Tab\tTitle, Pro\",http://a/pad.xml,Site A,http://sa/,POST,Failed,,5,\"no answer\","
        "Socket readln aborted\r\n"
        "2024-05-01T12:00:02Z,Beta,http://b/pad.xml,Site A,http://sa/,POST,Cancelled,,,,\r\n";
    const std::string file = dir.Write("reports/run-20240501-120000.csv", report);
    EXPECT_EQ(History({"--import", file}).out, "Imported: 3\n");
    EXPECT_EQ(History({"--import", dir.Write("moved.csv", report)}).out,
              "Already imported: " + dir.File("moved.csv") + "\n");

    const Outcome listed = History({});
    EXPECT_EQ(listed.code, HistoryCommand::Done) << listed.err;
    // The version is not known for an imported report's rows; the network layer's message is.
    EXPECT_EQ(listed.out, "Failed\tTab Title, Pro\tSite A\t2024-05-01T12:00:01Z\t\tno answer\t\tSocket readln aborted\n"
                          "Ok\tTab Title, Pro\tSite B\t2024-05-01T12:00:00Z\t200\t\t\t\n");
    EXPECT_EQ(History({"--csv", "--outcome", "Ok", "--site", "Site B"}).out,
              "outcome,product,site,time,http_status,reason,version,detail\r\n"
              "Ok,\"Tab\tTitle, Pro\",Site B,2024-05-01T12:00:00Z,200,,,\r\n");
    EXPECT_EQ(History({"--since", "2024-05-02"}).out, "");
    EXPECT_EQ(History({"--runs"}).out, "2024-05-01T12:00:00Z\tsubmit\t1\t0\t1\t0\tcancelled\n");
    EXPECT_EQ(History({"--runs", "--csv", "--since", "2024-05-01"}).out,
              "time,kind,ok,x,failed,invalid,ended\r\n2024-05-01T12:00:00Z,submit,1,0,1,0,cancelled\r\n");
}

TEST_F(CliHistoryTest, ADamagedHistoryIsSetAsideAndTheReportsAreTakenInBeforeListing)
{
    dir.Write("data/history.sqlite", "no database at all, but long enough to be read as a header...............");
    dir.Write("reports/run-20240501-120000.csv",
              "time,product,pad_link,site,script_url,method,outcome,http_status,ms,"
              "error\r\n2024-05-01T12:00:00Z,A,http://a/,S,http://b/,GET,Ok,200,1,\r\n");
    const Outcome listed = History({"--runs"});
    EXPECT_EQ(listed.code, HistoryCommand::UsageError);
    EXPECT_NE(listed.err.find("history.sqlite.broken"), std::string::npos) << listed.err;
    EXPECT_EQ(listed.out, "2024-05-01T12:00:00Z\tsubmit\t1\t0\t0\t0\tfinished\n");
}

TEST_F(CliHistoryTest, FormulaCellsAreGuardedInCsvAndControlsPrintAsEscapes)
{
    History({"--import",
             dir.Write("r.csv", "time,product,pad_link,site,script_url,method,outcome,http_status,ms,error\r\n"
                                "2024-05-01T12:00:00Z,=1+2,http://a/,S\x1b]0;t\x07,http://b/,GET,Ok,200,1,\r\n")});
    EXPECT_EQ(History({}).out, "Ok\t=1+2\tS\\x1b]0;t\\x07\t2024-05-01T12:00:00Z\t200\t\t\t\n");
    EXPECT_EQ(History({"--csv"}).out, "outcome,product,site,time,http_status,reason,version,detail\r\n"
                                      "Ok,'=1+2,S\\x1b]0;t\\x07,2024-05-01T12:00:00Z,200,,,\r\n");
}

TEST_F(CliHistoryTest, BadOptionsAndUnreadableHistoriesOrReportsExitWithTwo)
{
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--since", "2024-02-30"},
                                               {"--since", "2024-5-1"},
                                               {"--outcome", "ok"},
                                               {"--runs", "--site", "S"},
                                               {"--import", dir.File("missing.csv")},
                                               {"--import", dir.Write("not.csv", "a,b\r\n\"open")}}) {
        const Outcome o = History(args);
        EXPECT_EQ(o.code, HistoryCommand::UsageError) << args[0] << " " << args[1];
        EXPECT_NE(o.err, "") << args[0];
    }
    {
        std::filesystem::create_directories(dir.File("data"));
        SqliteDb newer(dir.File("data/history.sqlite"), 1000);
        newer.Exec("PRAGMA user_version=99");
    }
    const Outcome refused = History({"--runs"});
    EXPECT_EQ(refused.code, HistoryCommand::UsageError);
    EXPECT_NE(refused.err.find("newer version"), std::string::npos) << refused.err;
}

} // namespace
