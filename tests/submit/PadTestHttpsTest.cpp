#include "submit/PadTest.h"

#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/OwnerThreadQueue.h"
#include "support/TempDir.h"
#include "support/TlsServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>

namespace {

using namespace std::chrono_literals;

// Test PAD on https links: "Ok" only once the server's TLS handshake is through and its
// certificate verified; otherwise the Status stays empty and the reason is kept.
class PadTestHttps : public ::testing::Test {
protected:
    const TestCertificates certificates;
    TempDir dir;
    std::string caFile = dir.Write("ca.pem", certificates.CaPem());
    ListRows products{4, true};
    OwnerThreadQueue queue;
    std::map<std::uint64_t, std::string> reasons;

    std::uint64_t Add(const std::string& title, const std::string& link)
    {
        ListRow row;
        row.Caption = title;
        row.SubItems = {link, "Utilities", ""};
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
    void TestAll(int timeOut)
    {
        PadTest tests(
            products,
            [&](TDownloadOwner& owner) {
                auto worker = std::make_unique<TDownload>(owner, queue);
                worker->TimeOut = timeOut;
                worker->CaFile = caFile;
                return worker;
            },
            queue);
        tests.SetOnEnded([this](std::uint64_t id, const WorkResult& result) {
            reasons[id] = result.Outcome == Outcome::Ok ? "Ok" : result.Reason;
        });
        for (int row = 0; row < products.Count(); ++row) tests.Test(row);
        const auto count = static_cast<std::size_t>(products.Count());
        ASSERT_TRUE(queue.ServeUntil([&] { return reasons.size() >= count; }, 20s));
    }
};

TEST_F(PadTestHttps, OnlyAServerThatCompletesAVerifiedHandshakeIsOk)
{
    TlsServer good({certificates.MakeLeaf("DNS:localhost,IP:127.0.0.1")});
    TlsServer expired({certificates.MakeLeaf("IP:127.0.0.1", -2 * 86400, -86400)});
    TlsServer::Options stall{certificates.MakeLeaf("IP:127.0.0.1")};
    stall.Behaviour = TlsServer::Mode::Stall;
    TlsServer stalled(stall);

    const auto goodId = Add("Good", good.Url() + "/pad.xml");
    const auto expiredId = Add("Expired", expired.Url() + "/pad.xml");
    const auto stalledId = Add("Stalled", stalled.Url() + "/pad.xml");
    TestAll(500);

    EXPECT_EQ(reasons[goodId], "Ok");
    EXPECT_EQ(Status("Good"), "Ok");
    EXPECT_NE(reasons[expiredId].find("certificate has expired"), std::string::npos) << reasons[expiredId];
    EXPECT_EQ(Status("Expired"), "");
    // The connection was made, but the handshake never came: no answer, no "Ok".
    EXPECT_EQ(reasons[stalledId], "Connection Timed out");
    EXPECT_EQ(Status("Stalled"), "");
    // Nothing was sent to any of them.
    EXPECT_EQ(good.Request(0, 200ms), "");
}

} // namespace
