#include "submit/TDownload.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/OwnerThreadQueue.h"
#include "net/Resolver.h"
#include "submit/PadTest.h"
#include "submit/RunView.h"
#include "submit/SubmissionRun.h"
#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using S = ScriptedServer;
using namespace std::chrono_literals;

const std::string kAccept = "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
                            "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
const std::string kContentType = "Content-type: application/x-www-form-urlencoded\r\n";

S::Script Reply(const std::string& text)
{
    return {S::ReadUntil("\r\n\r\n"), S::Send(text), S::Close()};
}

// The rows' words and every outcome, in the order they came.
struct StatusView : RunView {
    std::map<int, std::vector<std::string>> words;
    std::vector<std::string> messages;
    int over = 0;
    void SiteStatus(int row, const std::string& w) override
    {
        if (!w.empty()) words[row].push_back(w);
    }
    void ProductLabel(const std::string&) override {}
    void SiteLabel(const std::string&) override {}
    void BarMaxima(int, int) override {}
    void CurrentBar(int) override {}
    void TotalBar(int) override {}
    void RunOver() override { ++over; }
    void Message(const std::string& t) override { messages.push_back(t); }
};

// Real workers, real sockets, servers on 127.0.0.1; names come from the hosts file only.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = Resolver::Settings();
        Resolver::SetSettings({ResolverSettings::Source::HostsFile, {}});
    }
    void TearDown() override { Resolver::SetSettings(saved_); }

    // Runs one product against `table`, speed `speed`, until the run is over.
    StatusView RunAll(const SiteTable& table, int speed = 10, int timeOut = 5000)
    {
        StatusView view;
        SubmissionRun run(
            table,
            [this, timeOut](TDownloadOwner& owner) {
                auto w = std::make_unique<TDownload>(owner, queue);
                w->TimeOut = timeOut;
                return w;
            },
            queue, view);
        run.SetSpeed(speed);
        EXPECT_TRUE(run.SubmitAll({{"Tool", "http://pad.example/t.xml", "Audio & Video"}},
                                  std::vector<bool>(static_cast<size_t>(table.Count()), true)));
        EXPECT_TRUE(queue.ServeUntil([&] { return !run.Running(); }, 20s));
        EXPECT_EQ(view.over, 1);
        successes = run.SuccessCount();
        failures = run.FailureCount();
        pairs = run.Pairs();
        return view;
    }

    static SiteRecord Site(const std::string& url, const std::string& method = "GET")
    {
        return {"T", url, method, "padurl", "padcat", "email", "successfully"};
    }

    ResolverSettings saved_;
    OwnerThreadQueue queue;
    int successes = 0, failures = 0;
    std::vector<RunPair> pairs;
};

TEST_F(DownloadTest, EachSiteEndsWithOneWordAndOneCount)
{
    S accepted(Reply("HTTP/1.0 200 OK\r\n\r\nPAD submitted successfully."));
    S capital(Reply("HTTP/1.0 200 OK\r\n\r\nSuccessfully queued"));
    S missing(Reply("HTTP/1.0 404 Not Found\r\n\r\nsuccessfully"));
    S silent({S::ReadUntil("\r\n\r\n"), S::Hold()});
    const SiteTable table({Site(accepted.Url() + "/addpad.php"), Site(capital.Url() + "/addpad.php"),
                           Site(missing.Url() + "/addpad.php"),
                           Site("http://127.0.0.1:" + std::to_string(S::RefusingPort()) + "/addpad.php"),
                           Site(silent.Url() + "/addpad.php"), Site("http://no-such-site.invalid/addpad.php"),
                           Site(accepted.Url() + "/x.php", "PUT")});
    const StatusView view = RunAll(table, 10, 700);
    EXPECT_EQ(view.words.at(0), (std::vector<std::string>{"->", "Ok"}));
    EXPECT_EQ(view.words.at(1), (std::vector<std::string>{"->", "X"}));
    EXPECT_EQ(view.words.at(2), (std::vector<std::string>{"->", "Failed"}));
    EXPECT_EQ(view.words.at(3), (std::vector<std::string>{"Failed"}));
    // No reply within the time-out, a name that never resolves, a method nobody sends: still
    // one outcome each, so the run reaches its end.
    EXPECT_EQ(view.words.at(4), (std::vector<std::string>{"->", "Failed"}));
    EXPECT_EQ(view.words.at(5), (std::vector<std::string>{"Invalid", "Invalid"}));
    EXPECT_EQ(view.words.at(6), (std::vector<std::string>{"Failed"}));
    EXPECT_EQ(successes, 1);
    EXPECT_EQ(failures, 6);
    // What the report gets: the reply's status, or the error that ended the request.
    EXPECT_EQ(pairs.at(0).HttpStatus, 200);
    EXPECT_EQ(pairs.at(2).HttpStatus, 404);
    EXPECT_EQ(pairs.at(3).HttpStatus, 0);
    EXPECT_FALSE(pairs.at(3).Error.empty());
    EXPECT_FALSE(pairs.at(4).Error.empty());
    EXPECT_GE(pairs.at(4).Ms, 600);
    // The result carries what the reasons are made of: the site's answer, the status line.
    EXPECT_EQ(pairs.at(1).Why, "Successfully queued");
    EXPECT_EQ(pairs.at(2).Why, "server answered 404 Not Found");
}

TEST_F(DownloadTest, AReplyCutShortEndsAsFailedWhateverItsBodySaid)
{
    S reset({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n\r\nsuccessfully"), S::Wait(100), S::Reset()});
    S shorter(Reply("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nsuccessfully"));
    const StatusView view = RunAll(SiteTable({Site(reset.Url() + "/a.php"), Site(shorter.Url() + "/a.php")}));
    EXPECT_EQ(view.words.at(0), (std::vector<std::string>{"->", "Failed"}));
    EXPECT_EQ(view.words.at(1), (std::vector<std::string>{"->", "Failed"}));
    EXPECT_EQ(successes, 0);
    // The report says why: the reset, and the reply shorter than its length.
    EXPECT_EQ(pairs.at(0).HttpStatus, 200);
    EXPECT_NE(pairs.at(0).Error.find("reset"), std::string::npos) << pairs.at(0).Error;
    EXPECT_NE(pairs.at(1).Error.find("Reply cut short"), std::string::npos) << pairs.at(1).Error;
    EXPECT_EQ(pairs.at(0).Why, "connection reset by the server"); // the socket error's code
}

TEST_F(DownloadTest, AnOwnSitesMarkerDecidesOkAndAnHttpsSiteFailsUnlessAllowed)
{
    S server(Reply("HTTP/1.0 200 OK\r\n\r\nPAD submitted successfully. Thank you!"));
    SiteRecord thanks = Site(server.Url() + "/own.php");
    thanks.SuccessMarker = "Thank you";
    thanks.Own = true;
    SiteRecord other = thanks;
    other.SuccessMarker = "Added to the queue";
    const std::string secure = "https://" + server.Address() + "/add.php";
    const StatusView view = RunAll(SiteTable({thanks, other, Site(secure)}));
    EXPECT_EQ(view.words.at(0).back(), "Ok");
    EXPECT_EQ(view.words.at(1).back(), "X"); // "successfully" alone is not this site's marker
    EXPECT_EQ(view.words.at(2).back(), "Failed");
    EXPECT_FALSE(pairs.at(2).Error.empty());
    EXPECT_EQ(server.Connections(), 2u); // nothing went to the https site
}

TEST_F(DownloadTest, SpeedTenHasTenRequestsUnderWayAtOnceAndTheEleventhWaitsForTheBatch)
{
    S holding({S::ReadUntil("\r\n\r\n"), S::Hold()});
    const SiteTable table(std::vector<SiteRecord>(11, Site(holding.Url() + "/addpad.php")));
    StatusView view;
    SubmissionRun run(
        table, [this](TDownloadOwner& owner) { return std::make_unique<TDownload>(owner, queue); }, queue, view);
    run.SetSpeed(10);
    ASSERT_TRUE(run.SubmitAll({{"Tool", "http://pad.example/t.xml", ""}}, std::vector<bool>(11, true)));
    EXPECT_TRUE(queue.ServeUntil([&] { return view.words.size() == 10; }, 5s));
    queue.ServeUntil([] { return false; }, 200ms);
    EXPECT_EQ(view.words.size(), 10u);
    EXPECT_EQ(view.words.count(10), 0u);
    EXPECT_EQ(run.LiveWorkers(), 10);
    EXPECT_TRUE(run.StopAll(2s));
}

TEST_F(DownloadTest, GetAndPostSendTheQueryInTheAddressAndPostAlsoAsTheBody)
{
    S get(Reply("HTTP/1.0 200 OK\r\n\r\nsuccessfully"));
    S post({S::ReadUntil("\r\n\r\n"), S::ReadBytes(78), S::Send("HTTP/1.0 200 OK\r\n\r\nsuccessfully"), S::Close()});
    const SiteTable table({Site(get.Url() + "/addpad.php"), Site(post.Url() + "/checkadd.php", "POST")});
    RunAll(table);
    const std::string query = "padurl=http://pad.example/t.xml&padcat=Audio+%26+Video";
    EXPECT_EQ(get.Received(0),
              "GET /addpad.php?" + query + " HTTP/1.0\r\nHost: 127.0.0.1\r\n" + kAccept + kContentType + "\r\n");
    const std::string body = "padurl%3Dhttp%3A%2F%2Fpad%2Eexample%2Ft%2Exml%26padcat%3DAudio%2B%2526%2BVideo";
    EXPECT_EQ(post.Received(0), "POST /checkadd.php?" + query + " HTTP/1.0\r\nHost: 127.0.0.1\r\n" + kAccept +
                                    kContentType + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
                                    body);
    EXPECT_EQ(successes, 2);
}

TEST_F(DownloadTest, CancelBreaksOffRequestsAtOnceAndTheirThreadsEnd)
{
    S silent({S::ReadUntil("\r\n\r\n"), S::Hold()});
    std::vector<SiteRecord> rows(4, Site(silent.Url() + "/addpad.php"));
    const SiteTable table(rows);
    StatusView view;
    SubmissionRun run(
        table, [this](TDownloadOwner& owner) { return std::make_unique<TDownload>(owner, queue); }, queue, view);
    run.SetSpeed(4);
    ASSERT_TRUE(run.SubmitAll({{"Tool", "http://pad.example/t.xml", ""}}, std::vector<bool>(4, true)));
    ASSERT_TRUE(queue.ServeUntil([&] { return view.words.size() == 4; }, 5s)); // all connected
    const auto start = std::chrono::steady_clock::now();
    run.Cancel();
    EXPECT_TRUE(queue.ServeUntil([&] { return run.LiveWorkers() == 0; }, 5s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    for (const auto& [row, words] : view.words) EXPECT_EQ(words, std::vector<std::string>{"->"}) << row;
    EXPECT_EQ(run.FailureCount(), 0);
    EXPECT_EQ(view.over, 0);
}

TEST_F(DownloadTest, StopAllEndsWorkersThatAreStillLookingUpOrConnecting)
{
    // A connection that is never answered and a lookup that never returns, both without a
    // time-out of their own: stopping still ends them at once.
    Resolver::SetSettings({ResolverSettings::Source::NameServer, "127.0.0.1:" + std::to_string(S::SilentUdpPort())});
    const SiteTable table({Site("http://127.0.0.1:" + std::to_string(S::UnansweredPort()) + "/a.php"),
                           Site("http://never.answered.example/a.php")});
    StatusView view;
    SubmissionRun run(
        table,
        [this](TDownloadOwner& owner) {
            auto w = std::make_unique<TDownload>(owner, queue);
            w->TimeOut = 0;
            return w;
        },
        queue, view);
    run.SetSpeed(2);
    ASSERT_TRUE(run.SubmitAll({{"Tool", "http://pad.example/t.xml", ""}}, {true, true}));
    queue.ServeUntil([] { return false; }, 100ms);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(run.StopAll(1s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(run.LiveWorkers(), 0);
}

// Keeps the one result of the worker it owns.
struct ResultOwner : TDownloadOwner {
    int connected = 0;
    std::optional<WorkResult> result;
    void DownloadConnected(TDownload&) override { ++connected; }
    void DownloadInvalidHost(TDownload&) override {}
    void DownloadEnded(TDownload&, const WorkResult& r) override { result = r; }
};

TEST_F(DownloadTest, AWorkerCancelledBeforeItStartsEndsCancelledWithoutConnecting)
{
    S server(Reply("HTTP/1.0 200 OK\r\n\r\nsuccessfully"));
    for (const WorkRequest& request :
         {WorkRequest{SubmissionRequest{server.Url() + "/a.php", "x=1", Method::Get, "successfully"}},
          WorkRequest{PadTestRequest{server.Url() + "/p.xml"}},
          WorkRequest{PadDownloadRequest{server.Url(), nullptr}}}) {
        ResultOwner owner;
        TDownload worker(owner, queue);
        worker.Request = request;
        worker.Terminate();
        worker.Resume();
        ASSERT_TRUE(queue.ServeUntil([&] { return owner.result.has_value(); }, 5s));
        EXPECT_EQ(owner.result->Outcome, Outcome::Cancelled) << request.index();
        EXPECT_EQ(owner.connected, 0) << request.index();
    }
    queue.ServeUntil([] { return false; }, 50ms);
    EXPECT_EQ(server.Connections(), 0u);
}

TEST(PadServerTest, HostAndPortComeFromTheLink)
{
    struct Case {
        const char* link;
        const char* host;
        int port;
    };
    for (const Case& c : {Case{"http://www.example.com/pad/tool.xml", "www.example.com", 80},
                          Case{"HTTP://host.example:8080/a.xml", "host.example", 8080},
                          Case{"https://secure.example/p.xml", "secure.example", 443},
                          Case{"https://secure.example:8443", "secure.example", 8443},
                          Case{"files.example/pad.xml", "files.example", 80}, Case{"127.0.0.1:81?x=1", "127.0.0.1", 81},
                          Case{"http://user:pw@host.example:82/", "host.example", 82},
                          Case{"http://host.example:http/", "host.example", 0},
                          Case{"http://host.example:99999/", "host.example", 0}}) {
        const PadServer s = PadServer::Of(c.link);
        EXPECT_EQ(s.Host, c.host) << c.link;
        EXPECT_EQ(s.Port, c.port) << c.link;
    }
}

class PadTestTest : public DownloadTest {
protected:
    PadTestTest() : products(4, true)
    {
        auto add = [this](const std::string& title, const std::string& link, bool checked) {
            ListRow row;
            row.Caption = title;
            row.SubItems = {link, "Utilities", "?"};
            row.Checked = checked;
            products.Add(std::move(row));
        };
        add("Beta", "http://127.0.0.1:" + std::to_string(listening.Port()) + "/beta.xml", true);
        add("Alpha", "127.0.0.1:" + std::to_string(S::RefusingPort()) + "/alpha.xml", true);
        add("Gamma", "http://no-such-site.invalid/g.xml", true);
        add("Delta", "http://127.0.0.1:" + std::to_string(listening.Port()) + "/d.xml", false);
    }
    std::string Status(const std::string& title)
    {
        for (int i = 0; i < products.Count(); ++i)
            if (products.Caption(i) == title) return products.Text(i, ProductColumn::Status);
        return "(gone)";
    }

    S listening{S::Script{S::Hold()}};
    ListRows products;
    PadTest tests{products, [this](TDownloadOwner& o) { return std::make_unique<TDownload>(o, queue); }, queue};
};

TEST_F(PadTestTest, CheckedProductsWhoseServersAnswerGetOkAndNothingIsSent)
{
    EXPECT_EQ(tests.TestChecked(), 3);
    EXPECT_EQ(Status("Alpha"), "");
    EXPECT_EQ(Status("Delta"), "?"); // unchecked: untouched
    ASSERT_TRUE(queue.ServeUntil([&] { return tests.LiveWorkers() == 0; }, 10s));
    EXPECT_EQ(Status("Beta"), "Ok");
    EXPECT_EQ(Status("Alpha"), "");
    EXPECT_EQ(Status("Gamma"), "");
    // The test closed its connection once it was made, without a byte.
    ASSERT_TRUE(listening.WaitFinished(1));
    EXPECT_EQ(listening.Received(0), "");
}

TEST_F(PadTestTest, AResultGoesToItsProductWhereverItMovedAndNowhereOnceItIsGone)
{
    // Beta is row 1 (sorted). While its test is pending, a product sorts in before it and
    // Delta goes: the answer still lands on Beta.
    ASSERT_EQ(products.Caption(1), "Beta");
    tests.Test(1);
    products.Add("Aardvark");
    products.DeleteIf([](const ListRow& r) { return r.Caption == "Delta"; });
    ASSERT_TRUE(queue.ServeUntil([&] { return tests.LiveWorkers() == 0; }, 10s));
    EXPECT_EQ(Status("Beta"), "Ok");
    EXPECT_EQ(Status("Alpha"), "?");
    EXPECT_EQ(Status("Aardvark"), "");

    // A product deleted while its test is pending gets nothing, and nothing else does.
    products.SetText(2, ProductColumn::Status, "");
    ASSERT_EQ(products.Caption(2), "Beta");
    tests.Test(2);
    products.DeleteIf([](const ListRow& r) { return r.Caption == "Beta"; });
    ASSERT_TRUE(queue.ServeUntil([&] { return tests.LiveWorkers() == 0; }, 10s));
    for (int i = 0; i < products.Count(); ++i) EXPECT_NE(products.Text(i, ProductColumn::Status), "Ok") << i;
}

} // namespace
