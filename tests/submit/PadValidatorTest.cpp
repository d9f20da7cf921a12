#include "submit/PadValidator.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/FileReplace.h"
#include "common/OwnerThreadQueue.h"
#include "net/Resolver.h"
#include "support/PadFiles.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "support/TlsServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using S = ScriptedServer;
using namespace std::chrono_literals;

S::Script Reply(const std::string& text)
{
    return {S::ReadUntil("\r\n\r\n"), S::Send(text), S::Close()};
}

// Real workers and sockets against servers on 127.0.0.1; names come from the hosts file only.
class PadValidatorTest : public ::testing::Test {
protected:
    PadValidatorTest() : products(4, true) {}
    void SetUp() override
    {
        saved_ = Resolver::Settings();
        Resolver::SetSettings({ResolverSettings::Source::HostsFile, {}});
    }
    void TearDown() override { Resolver::SetSettings(saved_); }

    std::uint64_t Add(const std::string& title, const std::string& link, bool checked = true)
    {
        ListRow row;
        row.Caption = title;
        row.SubItems = {link, "System Utilities::Text/Document Editors", "?"};
        row.Checked = checked;
        products.Add(std::move(row));
        for (int i = 0; i < products.Count(); ++i)
            if (products.Caption(i) == title) return products.Row(i).Id;
        return 0;
    }
    std::string Status(const std::string& title)
    {
        for (int i = 0; i < products.Count(); ++i)
            if (products.Caption(i) == title) return products.Text(i, ProductColumn::Status);
        return "(gone)";
    }

    ResolverSettings saved_;
    OwnerThreadQueue queue;
    ListRows products;
    int proxyPort = 0;  // the workers' proxy on 127.0.0.1, when set
    std::string caFile; // the workers' extra certificate authority, when set
    PadValidator validator{products,
                           {"System Utilities::Text/Document Editors"},
                           [this](TDownloadOwner& o) {
                               auto w = std::make_unique<TDownload>(o, queue);
                               w->TimeOut = 5000;
                               w->CaFile = caFile;
                               if (proxyPort != 0) {
                                   w->Proxy = "127.0.0.1";
                                   w->ProxyPort = proxyPort;
                               }
                               return w;
                           },
                           queue};
};

TEST_F(PadValidatorTest, A404OrADeadServerOrAFileNamingAnotherAddressGetNoWithTheReason)
{
    S good(Reply("HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + ValidPad("http://127.0.0.1:1/tidy.xml")));
    S missing(Reply("HTTP/1.0 404 Not Found\r\n\r\n" + ValidPad("http://127.0.0.1/")));
    const std::uint64_t wrongUrl = Add("Other address", good.Url() + "/tidy.xml");
    const std::uint64_t notFound = Add("Missing", missing.Url() + "/pad.xml");
    const std::uint64_t dead = Add("Dead", "http://127.0.0.1:" + std::to_string(S::RefusingPort()) + "/pad.xml");
    Add("Unchecked", good.Url() + "/tidy.xml", false);

    validator.SetSpeed(10);
    EXPECT_EQ(validator.ValidateChecked(), 3);
    EXPECT_EQ(Status("Missing"), "");
    ASSERT_TRUE(queue.ServeUntil([&] { return !validator.Busy(); }, 10s));
    EXPECT_EQ(validator.Finished(), 3);

    EXPECT_EQ(Status("Other address"), "No");
    ASSERT_EQ(validator.Problems(wrongUrl).size(), 1u);
    EXPECT_EQ(validator.Problems(wrongUrl)[0].Field, "Application_XML_File_URL");
    EXPECT_EQ(good.Received(0).substr(0, 19), "GET /tidy.xml HTTP/");

    EXPECT_EQ(Status("Missing"), "No");
    ASSERT_EQ(validator.Problems(notFound).size(), 1u);
    EXPECT_EQ(validator.Problems(notFound)[0].What, "the server answered 404 instead of the file");

    EXPECT_EQ(Status("Dead"), "No");
    ASSERT_EQ(validator.Problems(dead).size(), 1u);
    EXPECT_EQ(validator.Problems(dead)[0].What.substr(0, 8), "no reply");
    EXPECT_EQ(Status("Unchecked"), "?");
}

TEST_F(PadValidatorTest, AValidFileGetsYesAndAtMostSpeedDownloadsRunAtOnce)
{
    // Through a proxy on 127.0.0.1 the PAD link can name any address, so the file can name it too.
    const std::string link = "http://pad.example/tidy.xml";
    S proxy(std::vector<S::Script>{Reply("HTTP/1.0 200 OK\r\n\r\n" + ValidPad(link)),
                                   Reply("HTTP/1.0 200 OK\r\n\r\n<XML_DIZ_INFO/>")});
    proxyPort = proxy.Port();
    const std::uint64_t good = Add("A good one", link);
    const std::uint64_t empty = Add("B empty", "http://pad.example/empty.xml");

    validator.SetSpeed(1);
    EXPECT_EQ(validator.ValidateChecked(), 2);
    EXPECT_EQ(validator.Running(), 1);
    ASSERT_TRUE(queue.ServeUntil([&] { return !validator.Busy(); }, 10s));
    EXPECT_EQ(proxy.Received(0).substr(0, 39), "GET http://pad.example/tidy.xml HTTP/1.");
    EXPECT_EQ(Status("A good one"), "Yes");
    EXPECT_TRUE(validator.Problems(good).empty());
    EXPECT_EQ(Status("B empty"), "No");
    EXPECT_GT(validator.Problems(empty).size(), 10u); // every required field is missing

    // A product deleted while its download is under way gets nothing, and nothing else does.
    S slow(S::Script{S::ReadUntil("\r\n\r\n"), S::Wait(200), S::Send("HTTP/1.0 404 Not Found\r\n\r\n")});
    proxyPort = slow.Port();
    validator.Validate(0);
    products.DeleteIf([](const ListRow& r) { return r.Caption == "A good one"; });
    ASSERT_TRUE(queue.ServeUntil([&] { return !validator.Busy(); }, 10s));
    EXPECT_EQ(Status("B empty"), "No");
    EXPECT_TRUE(validator.Problems(good).empty());
}

TEST_F(PadValidatorTest, HttpsLinksAreDownloadedOverAVerifiedConnection)
{
    const TestCertificates certificates;
    TempDir dir;
    caFile = dir.Write("ca.pem", certificates.CaPem());
    // The file names another address: its one problem shows that it came through and was checked.
    TlsServer::Options options{certificates.MakeLeaf("IP:127.0.0.1")};
    options.Reply = "HTTP/1.0 200 OK\r\n\r\n" + ValidPad("https://pad.example/tidy.xml");
    TlsServer good(options);
    TlsServer selfSigned({certificates.MakeLeaf("IP:127.0.0.1", -3600, 86400, true)});
    const std::uint64_t goodId = Add("Good", good.Url() + "/tidy.xml");
    const std::uint64_t refusedId = Add("Self-signed", selfSigned.Url() + "/tidy.xml");

    validator.SetSpeed(2);
    EXPECT_EQ(validator.ValidateChecked(), 2);
    ASSERT_TRUE(queue.ServeUntil([&] { return !validator.Busy(); }, 20s));
    EXPECT_EQ(good.Request(0).substr(0, 19), "GET /tidy.xml HTTP/");
    ASSERT_EQ(validator.Problems(goodId).size(), 1u);
    EXPECT_EQ(validator.Problems(goodId)[0].Field, "Application_XML_File_URL");
    ASSERT_EQ(validator.Problems(refusedId).size(), 1u);
    EXPECT_NE(validator.Problems(refusedId)[0].What.find("Server certificate refused: self-signed certificate"),
              std::string::npos)
        << validator.Problems(refusedId)[0].What;
    EXPECT_EQ(Status("Self-signed"), "No");
}

TEST_F(PadValidatorTest, CancelLeavesNothingBusyAndANewValidationStarts)
{
    S silent(S::Script{S::ReadUntil("\r\n\r\n"), S::Hold()});
    S missing(Reply("HTTP/1.0 404 Not Found\r\n\r\n"));
    Add("Held", silent.Url() + "/a.xml");
    Add("Waiting", silent.Url() + "/b.xml");
    validator.SetSpeed(1);
    EXPECT_EQ(validator.ValidateChecked(), 2);
    ASSERT_TRUE(queue.ServeUntil([&] { return silent.Connections() == 1; }, 5s));
    validator.Cancel();
    EXPECT_FALSE(validator.Busy());
    EXPECT_EQ(validator.Running(), 0);
    EXPECT_EQ(Status("Held"), "");

    const std::uint64_t id = Add("Next", missing.Url() + "/c.xml", false);
    validator.Validate(products.IndexOfId(id));
    EXPECT_EQ(validator.Total(), 1);
    ASSERT_TRUE(queue.ServeUntil([&] { return !validator.Busy(); }, 10s));
    EXPECT_EQ(Status("Next"), "No");
    EXPECT_EQ(Status("Waiting"), "");
    EXPECT_EQ(validator.Results().size(), 1u);
}

TEST_F(PadValidatorTest, ChecksRunOffTheOwnersThreadAndNeitherAStopNorTheEndWaitsForThem)
{
    // Every field of this rule file backtracks to its match limit on its text.
    TempDir folder;
    std::string fields, pad = "<XML_DIZ_INFO><Program_Info>";
    for (int i = 0; i < 24; ++i) {
        const std::string name = "F" + std::to_string(i);
        fields += "<Field><Path>XML_DIZ_INFO/Program_Info/" + name + "</Path><RegEx>^(a|aa)+$</RegEx></Field>";
        pad += "<" + name + ">" + std::string(60, 'a') + "!</" + name + ">";
    }
    folder.Write("pad_spec.xml", "<PAD_Spec><Fields>" + fields + "</Fields></PAD_Spec>");
    pad += "</Program_Info></XML_DIZ_INFO>";
    S server(Reply("HTTP/1.0 200 OK\r\n\r\n" + pad));
    Add("Slow", server.Url() + "/pad.xml");
    validator.SetRulesFolder(folder.Path());
    auto start = std::chrono::steady_clock::now();
    validator.Validate(0);
    ASSERT_TRUE(queue.ServeUntil([&] { return !validator.Busy(); }, 60s));
    const auto checks = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(Status("Slow"), "No");

    // Once the file is in, the owner's thread is free and a stop is over at once.
    auto downloaded = [&](std::size_t files) { // then the checks are under way
        const bool sent = server.WaitFinished(files);
        start = std::chrono::steady_clock::now();
        return sent;
    };
    validator.Validate(0);
    ASSERT_TRUE(downloaded(2));
    queue.ServeUntil([] { return false; }, 10ms);
    EXPECT_TRUE(validator.StopAll(60s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, checks / 2);
    EXPECT_EQ(Status("Slow"), "");
    {
        PadValidator gone(
            products, {}, [this](TDownloadOwner& o) { return std::make_unique<TDownload>(o, queue); }, queue);
        gone.SetRulesFolder(folder.Path());
        gone.Validate(0);
        ASSERT_TRUE(downloaded(3));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, checks / 2);
    // The workers given up end their checks on their own: let them, before the process may end.
    std::this_thread::sleep_for(checks);
}

// Keeps the word of the one worker it owns.
struct EndOwner : TDownloadOwner {
    bool ended = false;
    void DownloadConnected(TDownload&) override {}
    void DownloadInvalidHost(TDownload&) override {}
    void DownloadEnded(TDownload&, const WorkResult&) override { ended = true; }
};

TEST_F(PadValidatorTest, AFiftyMegabyteFileGetsNoForItsSizeAndIsReadNoFurtherThanOneMiB)
{
    S huge({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n\r\n<XML_DIZ_INFO>"),
            S::SendRepeated(std::string(1000, ' '), 50000), S::Close()});
    const std::uint64_t id = Add("Huge", huge.Url() + "/pad.xml");
    validator.Validate(0);
    ASSERT_TRUE(queue.ServeUntil([&] { return !validator.Busy(); }, 30s));
    EXPECT_EQ(Status("Huge"), "No");
    EXPECT_EQ(validator.Problems(id),
              (std::vector<PadProblem>{
                  {"PAD file", huge.Url() + "/pad.xml", "the file is larger than 1 MiB (it was not read past that)"}}));

    // The worker's client stopped at its limit for PAD files, not at its own 16 MiB, and kept nothing.
    EndOwner owner;
    TDownload worker(owner, queue);
    worker.Request = PadDownloadRequest{huge.Url() + "/pad.xml", nullptr};
    worker.Resume();
    ASSERT_TRUE(queue.ServeUntil([&] { return owner.ended; }, 30s));
    worker.Join();
    EXPECT_EQ(worker.Result().Reason, "Reply body exceeds 1 MiB");
    EXPECT_EQ(worker.Result().ErrorKind, NetError::BodyTooLarge);
    EXPECT_EQ(worker.Result().Body, "");
}

} // namespace

TEST(PadValidatorReport, OneBlockPerProductAndAFreshNameEachTime)
{
    const std::vector<PadValidator::Result> results = {
        {"Tidy Notes", "http://a/t.xml", {}},
        {"Broken",
         "http://a/b.xml",
         {{"Char_Desc_45", "XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_45", "should be 1 to 45 characters"},
          {"Keywords", "XML_DIZ_INFO/Program_Descriptions/English/Keywords", "missing"}}}};
    EXPECT_EQ(PadValidator::ReportText(results),
              "Yes\tTidy Notes\n\thttp://a/t.xml\n\n"
              "No\tBroken\n\thttp://a/b.xml\n"
              "\tChar_Desc_45 (XML_DIZ_INFO/Program_Descriptions/English/Char_Desc_45): should be 1 to 45 characters\n"
              "\tKeywords (XML_DIZ_INFO/Program_Descriptions/English/Keywords): missing\n\n");

    // A pad_spec.xml that was not used says so first.
    EXPECT_EQ(PadValidator::ReportText({results[0]}, "pad_spec.xml not used: why."),
              "pad_spec.xml not used: why.\n\nYes\tTidy Notes\n\thttp://a/t.xml\n\n");

    TempDir dir;
    const auto when = std::chrono::system_clock::from_time_t(1796083200); // 2026-12-01 00:00:00 UTC
    const std::string first = PadValidator::ReportPath(dir.Path(), when);
    EXPECT_EQ(first, dir.Path() + "/reports/validate-20261201-000000.txt");
    std::filesystem::create_directories(dir.Path() + "/reports");
    FileReplace::Write(first, "x");
    EXPECT_EQ(PadValidator::ReportPath(dir.Path(), when), dir.Path() + "/reports/validate-20261201-000000-2.txt");
}
