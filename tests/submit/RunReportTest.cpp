#include "submit/RunReport.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/CsvText.h"
#include "common/FileReplace.h"
#include "submit/RetryPlan.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::system_clock;

Clock::time_point At(const char* iso)
{
    return RunReport::ParseIsoTime(iso);
}

SiteTable Sites()
{
    return SiteTable({{"Alpha", "http://alpha.example/add.php", "GET", "padurl", "padcat", "email", "successfully"},
                      {"Beta, Inc", "http://beta.example/add.php?x=1", "POST", "padurl", "padcat", "email", "ok"},
                      {"Gamma", "http://gamma.example/a.php", "GET", "padurl", "padcat", "email", "successfully"}});
}

TEST(RunReportTest, EveryPairIsARecordAndAPairWithoutOutcomeIsCancelled)
{
    const std::vector<RunProduct> products = {{"Tool", "http://pad.example/t.xml", "Utilities"},
                                              {"Other", "http://pad.example/o.xml", "Games"}};
    const std::vector<RunPair> pairs = {{0, 0, Outcome::Ok, 200, 35, "", At("2024-05-01T10:00:01Z"), "", true},
                                        {0, 2, Outcome::Failed, 0, 10001, "Socket capture aborted",
                                         At("2024-05-01T10:00:11Z"), "no answer in 10 s", true},
                                        {1, 1, Outcome::None, 0, 0, "", {}, "", false},
                                        {1, 2, Outcome::Cancelled, 0, 0, "", {}, "", false}};
    // http_status and ms are empty when there is nothing to say; the reason goes under
    // "error", the network layer's message last, under "detail".
    const std::string records = RunReport::Records(products, pairs, Sites(), At("2024-05-01T10:00:12Z"));
    EXPECT_EQ(records, "2024-05-01T10:00:01Z,Tool,http://pad.example/t.xml,Alpha,http://alpha.example/add.php,GET,Ok,"
                       "200,35,,\r\n"
                       "2024-05-01T10:00:11Z,Tool,http://pad.example/t.xml,Gamma,http://gamma.example/a.php,GET,"
                       "Failed,,10001,no answer in 10 s,Socket capture aborted\r\n"
                       "2024-05-01T10:00:12Z,Other,http://pad.example/o.xml,\"Beta, Inc\",http://beta.example/"
                       "add.php?x=1,POST,Cancelled,,,,\r\n"
                       "2024-05-01T10:00:12Z,Other,http://pad.example/o.xml,Gamma,http://gamma.example/a.php,GET,"
                       "Cancelled,,,,\r\n");

    // The file: the header, then the records; what a reader gets back.
    TempDir dir;
    RunReport::Write(dir.File("r.csv"), records);
    const std::vector<ReportRow> rows = RunReport::Read(dir.File("r.csv"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].HttpStatus, 0);
    EXPECT_EQ(rows[1].Error, "no answer in 10 s");
    EXPECT_EQ(rows[1].Detail, "Socket capture aborted");
    EXPECT_EQ(rows[2].Site, "Beta, Inc");
    EXPECT_EQ(rows[2].Ms, -1);
    EXPECT_EQ(RunReport::Format(rows), std::string(RunReport::Header) + "\r\n" + records);
}

TEST(RunReportTest, QuotingKeepsCommasQuotesLineBreaksAndBytesThroughAReadBack)
{
    ReportRow row;
    row.Time = At("2023-12-31T23:59:59Z");
    row.Product = "Tool, \"Pro\"\r\nEdition";
    row.PadLink = "http://pad.example/a,b.xml";
    row.Site = "\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82 \xE9"; // UTF-8 and a stray Latin-1 byte, as stored
    row.ScriptUrl = "http://s.example/add.php";
    row.Method = "POST";
    row.Outcome = Outcome::NotAccepted;
    row.HttpStatus = 200;
    row.Ms = 0;
    row.Error = "\"";
    row.Detail = "a,b";
    const std::string text = RunReport::Format({row});
    EXPECT_EQ(text.substr(text.find("\r\n") + 2),
              "2023-12-31T23:59:59Z,\"Tool, \"\"Pro\"\"\r\nEdition\",\"http://pad.example/a,b.xml\","
              "\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82 \xE9,http://s.example/add.php,POST,X,200,0,\"\"\"\",\"a,b\"\r\n");

    // Read back, every field is what was written.
    const std::vector<ReportRow> back = RunReport::Parse(text, "r.csv");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].Product, row.Product);
    EXPECT_EQ(RunReport::Format(back), text);
}

TEST(RunReportTest, ReadingFindsColumnsByNameAndRefusesWhatIsNoReport)
{
    // Another column order, a further column, LF line ends, a BOM, a blank line, a last
    // record without a line end: what a spreadsheet may save.
    const auto rows = RunReport::Parse("\xEF\xBB\xBFoutcome,note,site,product\n"
                                       "Failed,x,Alpha,Tool\n"
                                       "\n"
                                       "Ok,,\"Beta, Inc\",Tool",
                                       "r.csv");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].Site, "Beta, Inc");
    EXPECT_EQ(rows[1].Outcome, Outcome::Ok);
    EXPECT_EQ(rows[0].HttpStatus, 0);
    EXPECT_EQ(rows[0].Ms, -1);

    for (const char* bad : {"", "product,site\nTool,Alpha\n", "product,site,outcome\n\"Tool,Alpha,Ok\n",
                            "product,site,outcome\n\"Tool\"x,Alpha,Ok\n", "product,site,outcome\nTool,Alpha\n",
                            "product,site,outcome\nTool,Alpha,Ok,more\n"}) {
        EXPECT_THROW(RunReport::Parse(bad, "r.csv"), FileError) << bad;
    }
    EXPECT_THROW(RunReport::Read("/nonexistent/r.csv"), FileError);
}

TEST(RunReportTest, NotOkKeepsReportOrderOnceEachAndCountsCancelledAsNotOk)
{
    const auto rows = RunReport::Parse("product,site,outcome\n"
                                       "B,S1,Failed\nB,S2,Ok\nA,S1,Cancelled\nB,S1,Invalid\nA,S2,X\nA,S3,ok\n",
                                       "r.csv");
    EXPECT_EQ(RunReport::NotOk(rows), (std::vector<ReportPair>{{"B", "S1"}, {"A", "S1"}, {"A", "S2"}, {"A", "S3"}}));
}

// A spreadsheet runs a cell that begins with =, +, -, @, TAB or CR: such a cell is written
// after a "'", and read back without it; a title that truly begins with "'" comes back whole.
TEST(RunReportTest, CellsASpreadsheetWouldRunAreDefusedAndReadBackExactly)
{
    const std::vector<std::string> titles = {"=HYPERLINK(\"http://x.example\",\"y\")",
                                             "@SUM(1+1)*cmd",
                                             "+cmd",
                                             "-2",
                                             "\tTab",
                                             "\rCR",
                                             "'=quoted",
                                             "''-two",
                                             "'plain",
                                             "plain",
                                             "'"};
    std::vector<ReportRow> rows;
    for (const std::string& title : titles) {
        ReportRow row;
        row.Product = title;
        row.PadLink = "=2+5";
        row.Site = "@Site";
        row.Outcome = Outcome::NotAccepted;
        rows.push_back(row);
    }
    const std::string bytes = RunReport::Format(rows);
    const std::vector<CsvText::Line> records = CsvText::Split(bytes);
    ASSERT_EQ(records.size(), titles.size() + 1);
    for (size_t r = 1; r < records.size(); ++r)
        for (const std::string& cell : records[r].Fields)
            EXPECT_TRUE(cell.empty() || std::string("=+-@\t\r").find(cell[0]) == std::string::npos) << cell;
    const std::vector<ReportRow> back = RunReport::Parse(bytes, "run.csv");
    ASSERT_EQ(back.size(), titles.size());
    for (size_t i = 0; i < titles.size(); ++i) {
        EXPECT_EQ(back[i].Product, titles[i]);
        EXPECT_EQ(back[i].PadLink, "=2+5");
        EXPECT_EQ(RunReport::NotOk(back)[i], (ReportPair{titles[i], "@Site"}));
    }
}

// Report times are UTC whatever the local zone; a time the clock cannot hold (from 2262 on, before
// 1678) or no real date reads as none (the epoch) instead of wrapping round.
TEST(RunReportTest, TimesAreUtcInAnyZoneAndOutOfRangeTimesReadAsNone)
{
    const char* zone = std::getenv("TZ");
    const std::string saved = zone ? zone : "";
    ::setenv("TZ", "XST-9", 1);
    ::tzset();
    const auto when = Clock::from_time_t(1714566896);
    EXPECT_EQ(RunReport::IsoTime(when), "2024-05-01T12:34:56Z");
    EXPECT_EQ(RunReport::ParseIsoTime("2024-05-01T12:34:56Z"), when);
    EXPECT_EQ(RunReport::DefaultPath("/nowhere", when), "/nowhere/reports/run-20240501-123456.csv");
    zone ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();

    for (const char* none :
         {"2263-01-01T00:00:00Z", "9999-12-31T23:59:59Z", "1000-01-01T00:00:00Z", "-200-01-01T00:00:00Z",
          "2024-13-01T00:00:00Z", "2024-05-01T24:00:00Z", "2024-05-00T10:00:00Z", "2024-05-01T-1:00:00Z"})
        EXPECT_EQ(RunReport::ParseIsoTime(none), Clock::time_point{}) << none;
    EXPECT_EQ(RunReport::IsoTime(At("2261-12-31T23:59:59Z")), "2261-12-31T23:59:59Z");
}

TEST(RunReportTest, DefaultPathIsUtcUnderReportsAndNeverTakesAnExistingReport)
{
    TempDir dir;
    const auto when = At("2024-02-29T07:08:09Z");
    const std::string first = RunReport::DefaultPath(dir.Path(), when);
    EXPECT_EQ(first, dir.Path() + "/reports/run-20240229-070809.csv");

    // Write makes the folder, and leaves no temporary file behind.
    RunReport::Write(first, "");
    EXPECT_EQ(FileReplace::ReadAll(first), std::string(RunReport::Header) + "\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() + "/reports"),
                            std::filesystem::directory_iterator()),
              1);
    // A second run in the same second gets a name of its own.
    EXPECT_EQ(RunReport::DefaultPath(dir.Path() + "/", when), dir.Path() + "/reports/run-20240229-070809-2.csv");

    // A report that cannot be written is known before a run starts.
    RunReport::Prepare(dir.Path() + "/new/folder/r.csv");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() + "/new/folder"));
    EXPECT_THROW(RunReport::Prepare(dir.Path() + "/reports"), FileError);
    dir.Write("file", "x");
    EXPECT_THROW(RunReport::Prepare(dir.Path() + "/file/r.csv"), FileError);
}

class RetryPlanTest : public ::testing::Test {
protected:
    RetryPlanTest() : products(4, true)
    {
        for (const char* title : {"Tool", "Other", "Tool", "Third"})
            products.SetText(products.Add(title), ProductColumn::PadLink, "http://pad.example/p.xml");
    }
    // The (product row, site row) pairs the batches send, in order.
    static std::vector<std::pair<int, int>> Sent(const RetryPlan& plan)
    {
        std::vector<std::pair<int, int>> sent;
        for (const RetryBatch& b : plan.Batches)
            for (int p : b.ProductRows)
                for (int s : b.SiteRows) sent.emplace_back(p, s);
        return sent;
    }
    ListRows products; // sorted: Other 0, Third 1, Tool 2, Tool 3
    SiteTable sites = Sites();
};

TEST_F(RetryPlanTest, BatchesHoldExactlyTheNamedPairsEachOnce)
{
    // Other failed at Gamma and Alpha, Third at Alpha and Gamma (the same two), Tool at Beta.
    const RetryPlan plan = RetryPlan::Make(
        {{"Other", "Gamma"}, {"Tool", "Beta, Inc"}, {"Third", "Alpha"}, {"Other", "Alpha"}, {"Third", "Gamma"}},
        products, sites);
    ASSERT_EQ(plan.Batches.size(), 2u);
    EXPECT_EQ(plan.Batches[0].ProductRows, (std::vector<int>{0, 1}));
    EXPECT_EQ(plan.Batches[0].SiteRows, (std::vector<int>{0, 2}));
    // A title shared by two products names both.
    EXPECT_EQ(plan.Batches[1].ProductRows, (std::vector<int>{2, 3}));
    EXPECT_EQ(plan.Batches[1].SiteRows, (std::vector<int>{1}));
    EXPECT_EQ(Sent(plan), (std::vector<std::pair<int, int>>{{0, 0}, {0, 2}, {1, 0}, {1, 2}, {2, 1}, {3, 1}}));
    EXPECT_EQ(plan.PairCount(), 6);
    EXPECT_TRUE(plan.Warnings.empty());
}

TEST_F(RetryPlanTest, PairsOfGoneProductsOrSitesAreSkippedWithOneWarningPerTitle)
{
    const RetryPlan plan = RetryPlan::Make(
        {{"Gone", "Alpha"}, {"Other", "Closed"}, {"Gone", "Gamma"}, {"Other", "Beta, Inc"}, {"Other", "Closed"}},
        products, sites);
    EXPECT_EQ(Sent(plan), (std::vector<std::pair<int, int>>{{0, 1}}));
    ASSERT_EQ(plan.Warnings.size(), 2u);
    EXPECT_NE(plan.Warnings[0].English().find("\"Gone\""), std::string::npos);
    EXPECT_NE(plan.Warnings[1].English().find("\"Closed\""), std::string::npos);

    EXPECT_TRUE(RetryPlan::Make({{"Gone", "Closed"}}, products, sites).Batches.empty());

    // A product without a PAD link (a blank line of the file) is never sent: one warning.
    products.Add("Zed");
    const RetryPlan bare = RetryPlan::Make({{"Zed", "Alpha"}, {"Zed", "Gamma"}, {"Third", "Alpha"}}, products, sites);
    EXPECT_EQ(Sent(bare), (std::vector<std::pair<int, int>>{{1, 0}}));
    ASSERT_EQ(bare.Warnings.size(), 1u);
    EXPECT_EQ(bare.Warnings[0].English(), "1 product without a PAD link: skipped");
}

} // namespace
