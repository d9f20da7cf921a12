#include "app/ProgramFiles.h"
#include "cli/CliEnvironment.h"
#include "cli/SitesCommand.h"
#include "cli/SubmitCommand.h"
#include "cli/TestPadsCommand.h"
#include "common/FileLocations.h"
#include "history/HistoryStore.h"
#include "net/Resolver.h"
#include "submit/RunReport.h"
#include "submit/SiteTable.h"
#include "support/ScriptedProxy.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using P = ScriptedProxy;

const std::string kOk = "HTTP/1.0 200 OK\r\n\r\nPAD submitted successfully";
const std::string kNotTaken = "HTTP/1.0 200 OK\r\n\r\nPlease log in first";
const std::string kError = "HTTP/1.0 500 Oops\r\n\r\n";

// Three built-in sites, in table order: two take GET, Amber takes POST.
const std::string kAcorn = "Acorn Software Shelf", kAlpine = "Alpine Downloads", kAmber = "Amber Soft Catalog";
const std::string kAcornUrl = "http://www.acorn-software-shelf.example/addpad.php";
const std::string kAlpineUrl = "http://www.alpine-downloads.example/addpad.php";
const std::string kAmberUrl = "http://www.amber-soft-catalog.example/catalog/checkadd.php";

// Products sort by title: Beta, then the one with a comma and quotes.
const std::string kTool = "Tool, \"Pro\"";
const std::string kProducts = "Tool, \"Pro\"|http://pad.example/tool.xml|Utilities|\r\n"
                              "Beta|http://pad.example/beta.xml|Games|\r\n";

struct Ran {
    int code;
    std::string out;
    std::string err;
};

// The proxy's requests as "METHOD URL" without the query, sorted.
std::vector<std::string> Targets(const ScriptedProxy& proxy)
{
    std::vector<std::string> targets;
    for (const std::string& line : proxy.RequestLines()) targets.push_back(line.substr(0, line.find('?')));
    std::sort(targets.begin(), targets.end());
    return targets;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class CliSubmitTest : public ::testing::Test {
protected:
    CliSubmitTest()
    {
        env.ProgramFolder = dir.Path() + "/";
        env.Sites = &SiteTable::BuiltIn();
        products = dir.Write("products.dat", kProducts);
    }

    Ran Submit(std::vector<std::string> args, const CliEnvironment* with = nullptr)
    {
        std::ostringstream out, err;
        const int code = SubmitCommand::Run(args, out, err, with ? *with : env);
        return {code, out.str(), err.str()};
    }
    // Through `proxy` to Acorn, Alpine and Amber.
    std::vector<std::string> Through(const ScriptedProxy& proxy, std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"--products", products, "--proxy", proxy.Address(), "--site",
                                         kAcorn,       "--site", kAlpine,   "--site",        kAmber};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    // The reports the default naming wrote.
    std::vector<std::string> DefaultReports() const
    {
        std::vector<std::string> found;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path() + "/reports", ec))
            found.push_back(e.path().string());
        return found;
    }

    TempDir dir;
    CliEnvironment env;
    std::string products;
};

// Acorn takes the submission, Alpine answers without taking it, Amber fails.
P::Answer Mixed(const std::string& line)
{
    if (line.find("alpine") != std::string::npos) return P::Reply(kNotTaken);
    if (line.find("amber") != std::string::npos) return P::Reply(kError);
    return P::Reply(kOk);
}

TEST_F(CliSubmitTest, EveryProductGoesToEverySiteThroughTheProxyAndEveryPairIsReported)
{
    ScriptedProxy proxy(Mixed);
    const std::string report = dir.File("run.csv");
    const Ran o = Submit(Through(proxy, {"--report", report}));
    EXPECT_EQ(o.code, SubmitCommand::NotAllOk) << o.err;

    // The proxy gets the absolute addresses, GET and POST as the table says.
    const std::vector<std::string> lines = proxy.RequestLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].rfind("GET " + kAcornUrl + "?padurl=http://pad.example/beta.xml&padcat=Games HTTP/1.0", 0), 0u)
        << lines[0];
    EXPECT_EQ(lines[2].rfind("POST " + kAmberUrl + "?", 0), 0u) << lines[2];
    EXPECT_NE(lines[3].find("tool.xml"), std::string::npos);

    // The status, then the reason: what the site said instead of the marker, an error reply's status line.
    const std::string x = "\t200 Please log in first\n", failed = "\t500 server answered 500 Oops\n";
    EXPECT_EQ(o.out, "Ok\tBeta\t" + kAcorn + "\t200\n" + "X\tBeta\t" + kAlpine + x + "Failed\tBeta\t" + kAmber +
                         failed + "Ok\t" + kTool + "\t" + kAcorn + "\t200\n" + "X\t" + kTool + "\t" + kAlpine + x +
                         "Failed\t" + kTool + "\t" + kAmber + failed + "Finished. Success: 2 Failed: 4\n");
    // Not a terminal: one progress line per outcome, then where the report went.
    const std::vector<std::string> progress = Lines(o.err);
    ASSERT_EQ(progress.size(), 7u) << o.err;
    EXPECT_EQ(progress[0], "[1/6] Ok  Beta -> " + kAcorn);
    EXPECT_EQ(progress[6], "Report: " + report);

    const std::string bytes = dir.Read("run.csv");
    EXPECT_NE(bytes.find(",\"Tool, \"\"Pro\"\"\",http://pad.example/tool.xml," + kAmber + "," + kAmberUrl +
                         ",POST,Failed,500,"),
              std::string::npos)
        << bytes;
    const std::vector<ReportRow> rows = RunReport::Read(report);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1].Product, "Beta");
    EXPECT_EQ(rows[1].Site, kAlpine);
    EXPECT_EQ(rows[1].ScriptUrl, kAlpineUrl);
    EXPECT_EQ(rows[1].Method, "GET");
    EXPECT_EQ(rows[1].Outcome, Outcome::NotAccepted);
    EXPECT_EQ(rows[1].HttpStatus, 200);
    EXPECT_GE(rows[1].Ms, 0);
    EXPECT_EQ(rows[5].Product, kTool);
    EXPECT_EQ(rows[5].PadLink, "http://pad.example/tool.xml");
    EXPECT_LE(std::chrono::system_clock::now() - rows[5].Time, 1min);
    EXPECT_TRUE(DefaultReports().empty());
}

TEST_F(CliSubmitTest, RetryFailedResendsExactlyThePairsThatWereNotOk)
{
    {
        ScriptedProxy first(Mixed);
        ASSERT_EQ(Submit(Through(first, {"--report", dir.File("first.csv")})).code, SubmitCommand::NotAllOk);
    }
    // Everything is taken now; the retry's report goes to reports/ under the program folder.
    ScriptedProxy proxy([](const std::string&) { return P::Reply(kOk); });
    const Ran o = Submit(
        {"--products", products, "--proxy", proxy.Address(), "--speed", "3", "--retry-failed", dir.File("first.csv")});
    EXPECT_EQ(o.code, SubmitCommand::AllOk) << o.err;
    EXPECT_EQ(Targets(proxy), (std::vector<std::string>{"GET " + kAlpineUrl, "GET " + kAlpineUrl, "POST " + kAmberUrl,
                                                        "POST " + kAmberUrl}));
    ASSERT_FALSE(o.out.empty()) << o.err;
    EXPECT_EQ(Lines(o.out).back(), "Finished. Success: 4 Failed: 0");
    const std::vector<std::string> reports = DefaultReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("/reports/run-"), std::string::npos);
    EXPECT_EQ(RunReport::Read(reports[0]).size(), 4u);

    // Pairs that are no grid (Beta at Acorn; the tool at Acorn and Amber), a product and a
    // site that are gone: each pair that still exists goes once, the others are named.
    dir.Write("uneven.csv", "product,site,outcome\r\n"
                            "Beta," +
                                kAcorn + ",Failed\r\n" + "Beta," + kAlpine + ",Ok\r\n" + "\"Tool, \"\"Pro\"\"\"," +
                                kAcorn + ",Cancelled\r\n" + "\"Tool, \"\"Pro\"\"\"," + kAmber + ",Invalid\r\n" +
                                "Deleted Product," + kAcorn + ",X\r\n" + "Beta,Closed Site,Failed\r\n");
    ScriptedProxy again([](const std::string&) { return P::Reply(kOk); });
    const Ran uneven = Submit({"--products", products, "--proxy", again.Address(), "--retry-failed",
                               dir.File("uneven.csv"), "--report", dir.File("uneven-retry.csv")});
    EXPECT_EQ(uneven.code, SubmitCommand::AllOk) << uneven.err;
    const std::vector<std::string> lines = again.RequestLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("acorn"), std::string::npos);
    EXPECT_NE(lines[0].find("beta.xml"), std::string::npos);
    EXPECT_NE(lines[1].find("acorn"), std::string::npos);
    EXPECT_NE(lines[1].find("tool.xml"), std::string::npos);
    EXPECT_NE(lines[2].find("amber"), std::string::npos);
    EXPECT_NE(uneven.err.find("warning: product \"Deleted Product\""), std::string::npos) << uneven.err;
    EXPECT_NE(uneven.err.find("warning: site \"Closed Site\""), std::string::npos) << uneven.err;
    EXPECT_EQ(RunReport::Read(dir.File("uneven-retry.csv")).size(), 3u);

    // A report with nothing to resend sends nothing.
    dir.Write("all-ok.csv", "product,site,outcome\r\nBeta," + kAcorn + ",Ok\r\n");
    const Ran none =
        Submit({"--products", products, "--proxy", again.Address(), "--retry-failed", dir.File("all-ok.csv")});
    EXPECT_EQ(none.code, SubmitCommand::AllOk);
    EXPECT_EQ(again.Count(), 3u);

    // Every failed pair's product or site is gone: nothing is sent, and that is no success.
    dir.Write("gone.csv", "product,site,outcome\r\nDeleted Product," + kAcorn + ",X\r\nBeta,Closed Site,Failed\r\n");
    const Ran gone =
        Submit({"--products", products, "--proxy", again.Address(), "--retry-failed", dir.File("gone.csv")});
    EXPECT_EQ(gone.code, SubmitCommand::NotAllOk) << gone.err;
    EXPECT_NE(gone.err.find("nothing to resend"), std::string::npos) << gone.err;
    EXPECT_EQ(again.Count(), 3u);
}

TEST_F(CliSubmitTest, AReportThatCannotBeWrittenAfterTheRunExitsOne)
{
    // The report's folder becomes a file while the request is under way.
    const std::string folder = dir.File("out");
    ScriptedProxy proxy([&folder](const std::string&) {
        std::filesystem::remove_all(folder);
        std::ofstream(folder) << "in the way";
        return P::Reply(kOk);
    });
    const Ran o = Submit({"--products", products, "--proxy", proxy.Address(), "--product", "Beta", "--site", kAcorn,
                          "--report", folder + "/run.csv"});
    EXPECT_EQ(o.code, SubmitCommand::NotAllOk) << o.err;
    EXPECT_EQ(proxy.Count(), 1u);
    EXPECT_NE(o.err.find("quillpost-cli submit: "), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("Report: "), std::string::npos) << o.err;
}

TEST_F(CliSubmitTest, LineBreaksAndTabsInATitleNeverSplitALineOfStdout)
{
    const SiteTable table(
        {{"Carriage\rReturn\tSite", "http://cr.example/add.php", "GET", "padurl", "padcat", "", "successfully"},
         {"Line\nFeed", "http://lf.example/add.php", "GET", "padurl", "padcat", "", "nowhere"}});
    CliEnvironment local = env;
    local.Sites = &table;
    ScriptedProxy proxy([](const std::string&) { return P::Reply(kOk); });
    const Ran o = Submit({"--products", products, "--proxy", proxy.Address()}, &local);
    EXPECT_EQ(o.code, SubmitCommand::NotAllOk) << o.err;
    EXPECT_EQ(o.out.find('\r'), std::string::npos);
    const std::vector<std::string> lines = Lines(o.out);
    ASSERT_EQ(lines.size(), 5u) << o.out;
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), 3) << lines[i];
    EXPECT_EQ(lines[0], "Ok\tBeta\tCarriage Return Site\t200");
}

TEST_F(CliSubmitTest, ABlankLineOfTheProductsFileIsNoProductToSend)
{
    dir.Write("blank.dat",
              "Tool, \"Pro\"|http://pad.example/tool.xml|Utilities|\r\n\r\nBeta|http://pad.example/b.xml|G|\r\n");
    ScriptedProxy proxy([](const std::string&) { return P::Reply(kOk); });
    const Ran o = Submit({"--products", dir.File("blank.dat"), "--proxy", proxy.Address(), "--site", kAcorn});
    EXPECT_EQ(o.code, SubmitCommand::AllOk) << o.err;
    EXPECT_EQ(proxy.Count(), 2u);
    EXPECT_EQ(Lines(o.out).size(), 3u) << o.out;
    EXPECT_EQ(o.err.rfind("quillpost-cli submit: warning: 1 product without a PAD link: skipped\n[1/2]", 0), 0u)
        << o.err;
}

TEST_F(CliSubmitTest, AReplyCutShortShowsItsStatusAndTheReasonAsTheReportHasThem)
{
    ScriptedProxy proxy([](const std::string&) {
        return P::Reply("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nPAD submitted successfully");
    });
    const Ran o = Submit({"--products", products, "--proxy", proxy.Address(), "--product", "Beta", "--site", kAcorn,
                          "--report", dir.File("cut.csv")});
    EXPECT_EQ(o.code, SubmitCommand::NotAllOk) << o.err;
    const std::vector<ReportRow> rows = RunReport::Read(dir.File("cut.csv"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Error, "reply cut short");
    EXPECT_FALSE(rows[0].Detail.empty());
    EXPECT_EQ(o.out, "Failed\tBeta\t" + kAcorn + "\t200 " + rows[0].Error + "\nFinished. Success: 0 Failed: 1\n");
}

TEST_F(CliSubmitTest, UsageAndInputErrorsSendNothingAndWriteNoReport)
{
    ScriptedProxy proxy([](const std::string&) { return P::Reply(kOk); });
    const Ran unknown = Submit({"--products", products, "--proxy", proxy.Address(), "--product", "Beta", "--product",
                                "Gamma", "--site", kAcorn, "--site", "Nowhere Downloads"});
    EXPECT_EQ(unknown.code, SubmitCommand::UsageError);
    EXPECT_EQ(unknown.out, "");
    EXPECT_NE(unknown.err.find("no product titled \"Gamma\""), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("no site titled \"Nowhere Downloads\""), std::string::npos) << unknown.err;
    EXPECT_EQ(unknown.err.find("\"Beta\""), std::string::npos);

    dir.Write("bad.csv", "product,site\r\nBeta,Acorn\r\n");
    dir.Write("good.csv", "product,site,outcome\r\nBeta," + kAcorn + ",Failed\r\n");
    const std::vector<std::vector<std::string>> bad = {
        {"--products", dir.File("missing.dat")},
        {"--speed", "0"},
        {"--speed", "11"},
        {"--timeout", "-1"},
        {"--proxy", "127.0.0.1"},
        {"--proxy", "127.0.0.1:65536"},
        {"--product", "Beta", "extra"},
        {"--retry-failed", dir.File("missing.csv")},
        {"--retry-failed", dir.File("bad.csv")},
        {"--retry-failed", dir.File("good.csv"), "--site", kAcorn},
        {"--retry-failed", dir.File("good.csv"), "--product", "Beta"},
        {"--report", dir.Path()},
        {"--colour"},
    };
    for (const auto& args : bad) {
        std::vector<std::string> all = {"--products", products, "--proxy", proxy.Address()};
        all.insert(all.end(), args.begin(), args.end());
        const Ran o = Submit(all);
        EXPECT_EQ(o.code, SubmitCommand::UsageError) << ::testing::PrintToString(args);
        EXPECT_NE(o.err.find("quillpost-cli submit: "), std::string::npos) << o.err;
    }
    EXPECT_EQ(proxy.Count(), 0u);
    EXPECT_TRUE(DefaultReports().empty());

    // Every title the sites command lists is one that --site takes.
    std::ostringstream listed, none;
    ASSERT_EQ(SitesCommand::Run({}, listed, none), 0);
    std::vector<std::string> args = {"--products", products, "--site", "Nowhere Downloads"};
    int count = 0;
    for (const std::string& line : Lines(listed.str())) {
        args.push_back("--site");
        args.push_back(line.substr(0, line.find('\t')));
        ++count;
    }
    EXPECT_EQ(count, SiteTable::BuiltInCount);
    const Ran all = Submit(args);
    EXPECT_EQ(all.code, SubmitCommand::UsageError);
    EXPECT_EQ(Lines(all.err), std::vector<std::string>{"quillpost-cli submit: no site titled \"Nowhere "
                                                       "Downloads\" (quillpost-cli sites lists them)"});
}

TEST_F(CliSubmitTest, AllOkExitsZeroQuietPrintsNothingAndATerminalGetsOneRedrawnBar)
{
    ScriptedProxy proxy([](const std::string&) { return P::Reply(kOk); });
    const Ran quiet = Submit(Through(proxy, {"--quiet", "--report", dir.File("q.csv")}));
    EXPECT_EQ(quiet.code, SubmitCommand::AllOk);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(RunReport::Read(dir.File("q.csv")).size(), 6u);

    CliEnvironment terminal = env;
    terminal.ProgressOnTerminal = true;
    const Ran bar = Submit(Through(proxy, {"--speed", "10"}), &terminal);
    EXPECT_EQ(bar.code, SubmitCommand::AllOk);
    EXPECT_EQ(Lines(bar.out).size(), 7u);
    const std::vector<std::string> err = Lines(bar.err);
    ASSERT_EQ(err.size(), 2u) << bar.err;
    EXPECT_EQ(err[0].rfind("\r[", 0), 0u);
    const std::string last = err[0].substr(err[0].rfind('\r'));
    EXPECT_EQ(last.rfind("\r[" + std::string(20, '#') + "] 6/6  Ok 6  Failed 0  0:", 0), 0u) << last;
    EXPECT_NE(last.find(" elapsed"), std::string::npos) << last;
    EXPECT_EQ(err[1].rfind("Report: " + dir.Path() + "/reports/run-", 0), 0u);
}

TEST_F(CliSubmitTest, TheDefaultProductsFileIsTheProgramsCatalogue)
{
    EXPECT_EQ(env.Products(), ProgramFiles(env.ProgramFolder, "quillpost").Data(ProgramFiles::Products));
}

// The built program, stopped by SIGINT in the middle of a run.
TEST_F(CliSubmitTest, CtrlCCancelsTheRunWritesACompleteReportAndExits130)
{
    std::atomic<int> seen{0};
    ScriptedProxy proxy([&seen](const std::string&) { return ++seen <= 2 ? P::Reply(kOk) : P::Hold(); });
    std::vector<std::string> args = {std::string(QP_BIN_DIR) + "/quillpost-cli", "submit"};
    for (std::string& a : Through(proxy, {"--report", dir.File("cut.csv"), "--timeout", "30000"})) args.push_back(a);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string outFile = dir.File("out.txt");
    const std::string errFile = dir.File("err.txt");

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int fd = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(errFd, STDERR_FILENO);
        ::signal(SIGINT, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    const bool held = proxy.WaitCount(3, 20s); // the third request waits for an answer
    ::kill(pid, SIGINT);
    int status = 0;
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > limit) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(held);
    ASSERT_TRUE(WIFEXITED(status)) << status << dir.Read("err.txt");
    EXPECT_EQ(WEXITSTATUS(status), SubmitCommand::Interrupted);
    EXPECT_EQ(proxy.Count(), 3u);

    const std::vector<ReportRow> rows = RunReport::Read(dir.File("cut.csv"));
    ASSERT_EQ(rows.size(), 6u);
    const std::vector<Outcome> expected = {Outcome::Ok,        Outcome::Ok,        Outcome::Cancelled,
                                           Outcome::Cancelled, Outcome::Cancelled, Outcome::Cancelled};
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].Outcome, expected[i]) << i;
    EXPECT_EQ(rows[2].Site, kAmber);
    EXPECT_EQ(rows[5].Product, kTool);
    const std::vector<std::string> out = Lines(dir.Read("out.txt"));
    ASSERT_EQ(out.size(), 7u);
    EXPECT_EQ(out[2], "Cancelled\tBeta\t" + kAmber + "\t");
    EXPECT_EQ(out[6], "Cancelled. Success: 2 Failed: 0 Cancelled: 4");
}

class CliTestPadsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = Resolver::Settings();
        Resolver::SetSettings({ResolverSettings::Source::HostsFile, {}});
        env.ProgramFolder = dir.Path() + "/";
    }
    void TearDown() override { Resolver::SetSettings(saved_); }

    Ran TestPads(const std::vector<std::string>& args)
    {
        std::ostringstream out, err;
        const int code = TestPadsCommand::Run(args, out, err, env);
        return {code, out.str(), err.str()};
    }

    ResolverSettings saved_;
    TempDir dir;
    CliEnvironment env;
};

TEST_F(CliTestPadsTest, OneLinePerProductWithOkOrTheReasonAndNothingSent)
{
    ScriptedServer listening(ScriptedServer::Script{ScriptedServer::Hold()});
    const std::string answering = "127.0.0.1:" + std::to_string(listening.Port());
    const std::string refusing = "127.0.0.1:" + std::to_string(ScriptedServer::RefusingPort());
    const std::string silent = "127.0.0.1:" + std::to_string(ScriptedServer::UnansweredPort());
    dir.Write("data/products.dat", "Unknown|http://no-such-site.invalid/p.xml|U|\r\n"
                                   "Answering|http://" +
                                       answering + "/pad.xml|U|\r\n" + "Refusing|" + refusing + "/pad.xml|U|\r\n" +
                                       "Silent|http://" + silent + "/pad.xml|U|\r\n");
    const Ran all = TestPads({"--timeout", "500"});
    EXPECT_EQ(all.code, TestPadsCommand::NotAllOk) << all.err;
    EXPECT_EQ(all.out, "Ok\tAnswering\t" + answering + "\n" + "refused\tRefusing\t" + refusing + "\n" +
                           "timed out\tSilent\t" + silent + "\n" +
                           "name not found\tUnknown\tno-such-site.invalid:80\n");
    ASSERT_TRUE(listening.WaitFinished(1));
    EXPECT_EQ(listening.Received(0), "");
    // The tests are one run of the history; a name without an address is Invalid there.
    const RunSummary run = HistoryStore(env.ProgramFolder + FileLocations::HistoryFile).Runs().at(0);
    EXPECT_EQ(run.Kind, RunKind::Test);
    EXPECT_EQ((std::vector<int>{run.Ok, run.Failed, run.Invalid}), (std::vector<int>{1, 2, 1}));

    ScriptedServer again(ScriptedServer::Script{ScriptedServer::Hold()});
    dir.Write("other.dat", "Answering|http://127.0.0.1:" + std::to_string(again.Port()) +
                               "/pad.xml|U|\r\n"
                               "Unknown|http://no-such-site.invalid/p.xml|U|\r\n");
    const Ran one = TestPads({"--products", dir.File("other.dat"), "--product", "Answering"});
    EXPECT_EQ(one.code, TestPadsCommand::AllOk);
    EXPECT_EQ(Lines(one.out).size(), 1u);

    const Ran unknown = TestPads({"--products", dir.File("other.dat"), "--product", "Nope"});
    EXPECT_EQ(unknown.code, TestPadsCommand::UsageError);
    EXPECT_NE(unknown.err.find("no product titled \"Nope\""), std::string::npos);
    EXPECT_EQ(TestPads({"--products", dir.File("none.dat")}).code, TestPadsCommand::UsageError);

    // A blank line is no product to test.
    dir.Write("blank.dat", "\r\nUnknown|http://no-such-site.invalid/p.xml|U|\r\n");
    const Ran blank = TestPads({"--products", dir.File("blank.dat")});
    EXPECT_EQ(Lines(blank.out).size(), 1u) << blank.out;
    EXPECT_EQ(blank.err, "quillpost-cli test-pads: warning: 1 product without a PAD link: skipped\n"
                         "[1/1] name not found  Unknown -> no-such-site.invalid:80\n");
    const Ran quiet = TestPads({"--products", dir.File("blank.dat"), "--quiet"});
    EXPECT_EQ(quiet.code, TestPadsCommand::NotAllOk);
    EXPECT_EQ(quiet.out + quiet.err, "quillpost-cli test-pads: warning: 1 product without a PAD link: skipped\n");
}

} // namespace

namespace {

// The built program, sent SIGTERM or SIGHUP while the third of six requests waits: the same
// report and summary as after Ctrl+C, and the signal's own exit code.
TEST_F(CliSubmitTest, SigtermAndSighupCancelLikeCtrlCWithTheirOwnExitCodes)
{
    for (const auto& [signal, code] :
         {std::pair{SIGTERM, SubmitCommand::Terminated}, {SIGHUP, SubmitCommand::HungUp}}) {
        std::atomic<int> seen{0};
        ScriptedProxy proxy([&seen](const std::string&) { return ++seen <= 2 ? P::Reply(kOk) : P::Hold(); });
        std::vector<std::string> args = {std::string(QP_BIN_DIR) + "/quillpost-cli", "submit"};
        for (std::string& a : Through(proxy, {"--report", dir.File("cut.csv")})) args.push_back(a);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string outFile = dir.File("out.txt");
        const pid_t pid = fork();
        if (pid == 0) {
            ::dup2(::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(proxy.WaitCount(3, 20s));
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << signal << " itself, the report lost";
        EXPECT_EQ(WEXITSTATUS(status), code);
        const std::vector<ReportRow> rows = RunReport::Read(dir.File("cut.csv"));
        ASSERT_EQ(rows.size(), 6u);
        EXPECT_EQ(rows[2].Outcome, Outcome::Cancelled);
        const std::vector<std::string> out = Lines(dir.Read("out.txt"));
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out.back(), "Cancelled. Success: 2 Failed: 0 Cancelled: 4");
    }
}

} // namespace

TEST_F(CliSubmitTest, RunsAreRecordedInTheHistoryAndSkipAcceptedLeavesOutTheSitesThatTookTheLink)
{
    ScriptedProxy proxy(Mixed);
    EXPECT_EQ(Submit(Through(proxy)).code, SubmitCommand::NotAllOk);
    // Acorn took both links: the second run leaves it out, and says so in its summary.
    const Ran o = Submit(Through(proxy, {"--skip-accepted"}));
    EXPECT_EQ(o.code, SubmitCommand::NotAllOk) << o.err;
    EXPECT_EQ(proxy.RequestLines().size(), 6u + 4u);
    EXPECT_NE(o.out.find("Finished. Success: 0 Failed: 4 Skipped: 2\n"), std::string::npos) << o.out;
    EXPECT_EQ(Submit(Through(proxy, {"--no-history"})).code, SubmitCommand::NotAllOk);

    HistoryStore history(env.ProgramFolder + FileLocations::HistoryFile);
    const std::vector<RunSummary> runs = history.Runs();
    ASSERT_EQ(runs.size(), 2u); // --no-history left it alone
    EXPECT_EQ(runs[0].Ok, 2);
    EXPECT_EQ(runs[1].Ok + runs[1].X + runs[1].Failed, 4);
    EXPECT_EQ(runs[1].End, RunEnd::Finished);
    EXPECT_EQ(history.SitesThatTook("http://pad.example/beta.xml"), std::set<std::string>{kAcorn});
}

namespace {

// --proxy, else --no-proxy, else the settings' proxy, else the environment's: each step of the
// order decides where Beta's one request to a site on 127.0.0.1 goes.
TEST_F(CliSubmitTest, TheProxyIsTheOptionsElseTheSettingsElseTheEnvironments)
{
    using S = ScriptedServer;
    S site(S::Script{S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n\r\nsuccessfully"), S::Close()});
    const SiteTable local({{"Local", site.Url() + "/add.php", "GET", "padurl", "padcat", "", "successfully"}});
    env.Sites = &local;
    ScriptedProxy kept([](const std::string&) { return P::Reply(kOk); });
    ScriptedProxy given([](const std::string&) { return P::Reply(kOk); });
    std::map<std::string, std::string> vars;
    env.Variables = [&vars](const char* name) -> const char* {
        const auto found = vars.find(name);
        return found == vars.end() ? nullptr : found->second.c_str();
    };
    const auto send = [&](std::vector<std::string> more) {
        std::vector<std::string> args = {"--products", products, "--product", "Beta", "--no-history"};
        args.insert(args.end(), more.begin(), more.end());
        const Ran o = Submit(args);
        EXPECT_EQ(o.code, 0) << o.err;
        return std::vector<std::size_t>{kept.Count(), given.Count(), site.Connections()};
    };
    using Counts = std::vector<std::size_t>;

    dir.Write("quillpost.ini", "[Configuration]\r\nProxy=" + kept.Address() + "\r\n");
    vars = {{"http_proxy", given.Address()}};
    EXPECT_EQ(send({}), (Counts{1, 0, 0}));                           // the settings' proxy beats the environment
    EXPECT_EQ(send({"--proxy", given.Address()}), (Counts{1, 1, 0})); // the option beats the settings
    EXPECT_EQ(send({"--no-proxy"}), (Counts{1, 1, 1}));               // and so does --no-proxy

    dir.Write("quillpost.ini", "[Configuration]\r\nProxy=\r\n");
    EXPECT_EQ(send({}), (Counts{1, 2, 1})); // no proxy kept: the environment's
    vars["no_proxy"] = "localhost,127.0.0.1";
    EXPECT_EQ(send({}), (Counts{1, 2, 2}));

    // A damaged setting sends nothing through it, and says so.
    dir.Write("quillpost.ini", "[Configuration]\r\nProxy=" + kept.Address() + "0000\r\n");
    const Ran damaged = Submit({"--products", products, "--product", "Beta", "--no-history"});
    EXPECT_NE(damaged.err.find("is not used"), std::string::npos) << damaged.err;
    EXPECT_EQ(kept.Count(), 1u);
    EXPECT_EQ(Submit({"--proxy", given.Address(), "--no-proxy"}).code, 2);
}

// A site set picks its sites beside --site; a site it names that is gone is told and the rest
// are used; an unknown set, or one with no site left, sends nothing (not to every site).
TEST_F(CliSubmitTest, ASiteSetPicksItsSitesAndTellsOfThoseThatAreGone)
{
    ScriptedProxy proxy([](const std::string&) { return P::Reply(kOk); });
    dir.Write("data/sitesets.dat", "Two|" + kAmber + "|\r\nTwo|Gone Site|\r\nGone|Gone Site|\r\n");
    const auto send = [&](const char* set) {
        return Submit({"--products", products, "--product", "Beta", "--proxy", proxy.Address(), "--no-history",
                       "--site-set", set, "--site", kAcorn});
    };
    const Ran two = send("Two");
    EXPECT_EQ(two.code, 0) << two.err;
    EXPECT_NE(two.err.find("names sites that no longer exist: \"Gone Site\""), std::string::npos) << two.err;
    EXPECT_EQ(Targets(proxy), (std::vector<std::string>{"GET " + kAcornUrl, "POST " + kAmberUrl}));
    for (const char* set : {"Gone", "Nope"}) EXPECT_EQ(send(set).code, 2) << set;
    EXPECT_EQ(proxy.Count(), 2u);
}

// An https site gets a connection only when the window's setting allows https sites.
TEST_F(CliSubmitTest, HttpsSitesAreSentToOnlyWhenTheSettingsAllowThem)
{
    ScriptedServer site(ScriptedServer::Script{ScriptedServer::Close()});
    const SiteTable local({{"Secure", "https://" + site.Address() + "/add.php", "GET", "padurl", "", "", "ok"}});
    env.Sites = &local;
    const std::vector<std::string> args = {"--products", products, "--product", "Beta", "--no-history"};
    for (const char* allow : {"0", "1"}) {
        dir.Write("quillpost.ini", std::string("[Configuration]\r\nAllowHttps=") + allow + "\r\n");
        const Ran o = Submit(args);
        EXPECT_EQ(o.code, 1);
        EXPECT_EQ(o.out.find("https sites are not allowed") != std::string::npos, *allow == '0') << o.out;
    }
    EXPECT_EQ(site.Connections(), 1u);
}

} // namespace
