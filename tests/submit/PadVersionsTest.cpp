#include "submit/PadVersions.h"

#include "common/OwnerThreadQueue.h"
#include "support/PadFiles.h"
#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

namespace {

using S = ScriptedServer;

S::Script Answer(const std::string& reply)
{
    return {S::ReadUntil("\r\n\r\n"), S::Send(reply), S::Close()};
}

// Each link is read once, whatever came back; only a PAD file that names a version gives one.
TEST(PadVersions, EachLinkIsReadOnceAndOnlyAReadableFileGivesAVersion)
{
    std::string pad = ValidPad("http://pad.example/p.xml");
    const std::string field = "<Program_Version>";
    const auto at = pad.find(field) + field.size();
    pad.replace(at, pad.find('<', at) - at, " 2.5b \n");
    S good(Answer("HTTP/1.0 200 OK\r\n\r\n" + pad));
    S missing(Answer("HTTP/1.0 404 Not Found\r\n\r\n" + pad));
    S broken(Answer("HTTP/1.0 200 OK\r\n\r\n<XML_DIZ_INFO><Program_Info><Program_Version>3"));
    const std::string goodLink = good.Url() + "/p.xml";
    const std::string dead = "http://127.0.0.1:" + std::to_string(S::RefusingPort()) + "/p.xml";

    OwnerThreadQueue queue;
    const auto versions = PadVersions::ReadAll(
        {goodLink, missing.Url() + "/p.xml", broken.Url() + "/p.xml", dead, goodLink},
        [&queue](TDownloadOwner& owner) { return std::make_unique<TDownload>(owner, queue); }, queue, 3);
    EXPECT_EQ(versions,
              (std::map<std::string, std::string>{
                  {goodLink, "2.5b"}, {missing.Url() + "/p.xml", ""}, {broken.Url() + "/p.xml", ""}, {dead, ""}}));
    EXPECT_EQ(good.Connections(), 1u);
}

TEST(PadVersions, NothingToReadEndsAtOnce)
{
    OwnerThreadQueue queue;
    PadVersions versions([&queue](TDownloadOwner& owner) { return std::make_unique<TDownload>(owner, queue); }, queue);
    bool done = false;
    versions.Read({}, [&done] { done = true; });
    EXPECT_TRUE(done);
}

} // namespace
