#include "submit/PadFetch.h"

#include "common/OwnerThreadQueue.h"
#include "support/PadFiles.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace {

using S = ScriptedServer;
using namespace std::chrono_literals;

S::Script Reply(const std::string& text)
{
    return {S::ReadUntil("\r\n\r\n"), S::Send(text), S::Close()};
}

const std::vector<std::string> Categories = {"System Utilities::Text/Document Editors"};

// A real worker and socket against servers on 127.0.0.1 (addresses only, no name lookups).
class PadFetchTest : public ::testing::Test {
protected:
    // Fetches `link` and serves the queue until the fetch has ended.
    std::optional<PadSummary> Fetch(const std::string& link)
    {
        std::optional<PadSummary> got;
        fetch.Start(link, Categories, [&](const PadSummary& s) {
            got = s;
            ++ends;
        });
        EXPECT_TRUE(queue.ServeUntil([&] { return !fetch.Busy(); }, 10s));
        return got;
    }

    OwnerThreadQueue queue;
    int ends = 0; // calls of `done`, over the whole test
    PadFetch fetch{[this](TDownloadOwner& o) { return std::make_unique<TDownload>(o, queue); }, queue};
};

} // namespace

TEST_F(PadFetchTest, A200GivesTheSummaryAndA404GivesTheServersAnswer)
{
    S server(std::vector<S::Script>{Reply("HTTP/1.0 200 OK\r\n\r\n" + ValidPad("http://elsewhere/")),
                                    Reply("HTTP/1.0 404 Not Found\r\n\r\n" + ValidPad("http://elsewhere/"))});
    const std::optional<PadSummary> good = Fetch(server.Url() + "/pad/tidy.xml");
    ASSERT_TRUE(good);
    EXPECT_EQ(server.Received(0).substr(0, 22), "GET /pad/tidy.xml HTTP");
    EXPECT_EQ(good->Title, "Tidy Notes 2.4");
    EXPECT_EQ(good->Category, Categories[0]);

    const std::optional<PadSummary> missing = Fetch(server.Url() + "/gone.xml");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->Title, ""); // a 404 page that holds a PAD file is still no PAD file
    ASSERT_EQ(missing->Problems.size(), 1u);
    EXPECT_EQ(missing->Problems[0].What, "the server answered 404 instead of the file");
}

TEST_F(PadFetchTest, ABrokenOffFetchReportsNothingAndANewStartReplacesTheOldOne)
{
    S silent(S::Script{S::ReadUntil("\r\n\r\n"), S::Hold()});
    S quick(Reply("HTTP/1.0 200 OK\r\n\r\n" + ValidPad("http://elsewhere/")));
    fetch.Start(silent.Url() + "/pad.xml", Categories, [&](const PadSummary&) { ++ends; });
    const std::optional<PadSummary> got = Fetch(quick.Url() + "/pad.xml");
    ASSERT_TRUE(got);
    EXPECT_TRUE(got->Ok());

    fetch.Start(silent.Url() + "/pad.xml", Categories, [&](const PadSummary&) { ++ends; });
    EXPECT_TRUE(fetch.StopAll(5s));
    EXPECT_FALSE(fetch.Busy());
    EXPECT_EQ(ends, 1);
}

TEST_F(PadFetchTest, APadSpecFileBesideTheProgramGivesTheRules)
{
    TempDir folder;
    folder.Write("pad_spec.xml", "<PAD_Spec><Fields><Field><Path>XML_DIZ_INFO/Program_Info/Program_Name</Path>"
                                 "<RegExDocumentation>one word</RegExDocumentation><RegEx>^\\w+\\Z</RegEx>"
                                 "</Field></Fields></PAD_Spec>");
    fetch.SetRulesFolder(folder.Path());
    S server(Reply("HTTP/1.0 200 OK\r\n\r\n" + ValidPad("http://elsewhere/")));
    const std::optional<PadSummary> got = Fetch(server.Url() + "/pad.xml");
    ASSERT_TRUE(got);
    ASSERT_EQ(got->Problems.size(), 1u);
    EXPECT_EQ(PadValidation::Line(got->Problems[0]),
              "Program_Name (XML_DIZ_INFO/Program_Info/Program_Name): should be one word");
}

TEST_F(PadFetchTest, TheEditorsDownloadGivesTheFilesBytesOrTheServersAnswer)
{
    const std::string pad = "<XML_DIZ_INFO><!-- kept --></XML_DIZ_INFO>";
    S server(std::vector<S::Script>{Reply("HTTP/1.0 200 OK\r\n\r\n" + pad), Reply("HTTP/1.0 500 Oops\r\n\r\n" + pad)});
    std::vector<std::pair<std::optional<std::string>, std::string>> got;
    for (const char* path : {"/pad.xml", "/broken.xml"}) {
        fetch.StartFile(server.Url() + path, [&](std::optional<std::string> bytes, const std::string& why) {
            got.emplace_back(bytes, why);
        });
        ASSERT_TRUE(queue.ServeUntil([&] { return !fetch.Busy(); }, 10s));
    }
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].first, pad);
    EXPECT_EQ(got[1].first, std::nullopt);
    EXPECT_EQ(got[1].second, "the server answered 500 instead of the file");
}
