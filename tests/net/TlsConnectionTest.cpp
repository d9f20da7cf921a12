#include <gtest/gtest.h>

#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "net/TSockConnection.h"
#include "support/TempDir.h"
#include "support/TlsServer.h"

using namespace std::chrono_literals;

namespace {

// One authority for the whole file: making keys is the slow part.
const TestCertificates& Certificates()
{
    static const TestCertificates certificates;
    return certificates;
}

const TestCertificates::Leaf& GoodLeaf()
{
    static const TestCertificates::Leaf leaf = Certificates().MakeLeaf("DNS:localhost,IP:127.0.0.1");
    return leaf;
}

class TlsConnectionTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string caFile = dir.Write("ca.pem", Certificates().CaPem());

    void Prepare(TSockConnection& c, std::uint16_t port, const std::string& host = "127.0.0.1")
    {
        c.Host = host;
        c.Port = port;
        c.TimeOut = 5000;
        c.UseTls = true;
        c.CaFile = caFile;
        c.OnConnectionFailed = [this](TSockConnection*) { ++failedEvents; };
    }

    // The text of the error Connect raises; "" when it connects.
    std::string ConnectError(TSockConnection& c)
    {
        try {
            c.Connect();
        } catch (const ESockError& e) {
            return e.what();
        }
        return {};
    }

    // Connects `c` to a server that stalls the handshake, and has another thread break the
    // attempt off with `breakOff` once it is under way. Returns the connect's error; the attempt
    // must end at once, not at its 20-second time-out.
    std::string BreakOffStalledHandshake(TSockConnection& c, const TlsServer& server,
                                         void (TSockConnection::*breakOff)())
    {
        c.Port = server.Port();
        c.TimeOut = 20000;
        std::atomic<bool> started{false};
        c.OnConnect = [&](TSockConnection*) { started = true; };
        std::thread other([&] {
            while (!started) std::this_thread::sleep_for(1ms);
            std::this_thread::sleep_for(100ms);
            (c.*breakOff)();
        });
        const auto start = std::chrono::steady_clock::now();
        const std::string error = ConnectError(c);
        const auto took = std::chrono::steady_clock::now() - start;
        other.join();
        c.OnConnect = nullptr; // it points at this call's flag
        EXPECT_LT(took, 3s);
        return error;
    }

    int failedEvents = 0;
};

TEST_F(TlsConnectionTest, AVerifiedServerCarriesTheExchangeEncryptedBothWays)
{
    TlsServer server({GoodLeaf()});
    TSockConnection c;
    Prepare(c, server.Port());
    ASSERT_EQ(ConnectError(c), "");
    EXPECT_TRUE(c.TlsActive());
    c.Write("GET /pad.xml HTTP/1.0\r\n\r\n");
    EXPECT_EQ(c.ReadLn(), "HTTP/1.0 200 OK\r\n");
    EXPECT_EQ(c.ReadLn(), "\r\n");
    std::string body;
    c.CaptureString(body, -1);
    EXPECT_EQ(body, "hello");
    EXPECT_EQ(server.Request(0), "GET /pad.xml HTTP/1.0\r\n\r\n");
    EXPECT_EQ(server.ServerName(0), ""); // an address is never sent as a server name
    EXPECT_EQ(failedEvents, 0);
}

TEST_F(TlsConnectionTest, AHostNameIsSentAsServerNameAndMatchedAgainstTheCertificate)
{
    TlsServer server({GoodLeaf()});
    TSockConnection c;
    Prepare(c, server.Port(), "localhost");
    ASSERT_EQ(ConnectError(c), "");
    c.Write("GET / HTTP/1.0\r\n\r\n");
    EXPECT_EQ(c.ReadLn(), "HTTP/1.0 200 OK\r\n");
    EXPECT_EQ(server.ServerName(0), "localhost");
}

TEST_F(TlsConnectionTest, ALongReplyArrivesWholeAcrossRecordsWhetherOrNotTheServerSaysGoodbye)
{
    std::string body;
    for (int i = 0; body.size() < 300000; ++i) body += "line " + std::to_string(i) + "\n";
    for (const bool closeNotify : {true, false}) {
        SCOPED_TRACE(closeNotify ? "close alert" : "plain close");
        TlsServer::Options options{GoodLeaf()};
        options.Reply = "HTTP/1.0 200 OK\r\n\r\n" + body;
        options.CloseNotify = closeNotify;
        TlsServer server(options);
        TSockConnection c;
        Prepare(c, server.Port());
        ASSERT_EQ(ConnectError(c), "");
        c.Write("GET / HTTP/1.0\r\n\r\n");
        EXPECT_EQ(c.ReadLn(), "HTTP/1.0 200 OK\r\n");
        EXPECT_EQ(c.ReadLn(), "\r\n");
        // A counted read spans records; the rest is captured until the server closes.
        const std::string first = c.Read(40000);
        std::string rest;
        c.CaptureString(rest, -1);
        EXPECT_EQ(first.size(), 40000u);
        EXPECT_TRUE(first + rest == body) << (first + rest).size() << " bytes of " << body.size();
        EXPECT_FALSE(c.Connected());
    }
}

TEST_F(TlsConnectionTest, EveryBadCertificateIsRefusedWithItsReasonAndFiresConnectionFailed)
{
    struct Case {
        const char* what;
        TestCertificates::Leaf leaf;
        const char* reason;
        const char* host = "127.0.0.1";
    };
    const Case cases[] = {
        {"expired", Certificates().MakeLeaf("DNS:localhost,IP:127.0.0.1", -2 * 86400, -86400), "expired"},
        {"not yet valid", Certificates().MakeLeaf("DNS:localhost,IP:127.0.0.1", 86400, 2 * 86400), "not yet valid"},
        {"another host", Certificates().MakeLeaf("DNS:other.example"), "mismatch"},
        // Valid for the address, but the client asked for a name: the name decides.
        {"another name", Certificates().MakeLeaf("DNS:other.example,IP:127.0.0.1"), "mismatch", "localhost"},
        {"self-signed", Certificates().MakeLeaf("DNS:localhost,IP:127.0.0.1", -3600, 86400, true), "self-signed"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        failedEvents = 0;
        TlsServer server({k.leaf});
        TSockConnection c;
        Prepare(c, server.Port(), k.host);
        const std::string error = ConnectError(c);
        EXPECT_EQ(error.rfind(TSockConnection::CertificateRefusedText, 0), 0u) << error;
        EXPECT_NE(error.find(k.reason), std::string::npos) << error;
        EXPECT_EQ(failedEvents, 1);
        EXPECT_FALSE(c.Connected());
        EXPECT_FALSE(c.TlsActive());
        EXPECT_EQ(server.Request(0, 200ms), ""); // nothing was sent to it
    }
}

TEST_F(TlsConnectionTest, OurAuthorityIsTrustedOnlyThroughCaFile)
{
    TlsServer server({GoodLeaf()});
    TSockConnection c;
    Prepare(c, server.Port());
    c.CaFile.clear(); // the system's trust store alone
    const std::string error = ConnectError(c);
    EXPECT_NE(error.find("unable to get local issuer certificate"), std::string::npos) << error;
    EXPECT_EQ(failedEvents, 1);

    TSockConnection missing;
    Prepare(missing, server.Port());
    missing.CaFile = dir.File("no-such.pem");
    EXPECT_EQ(ConnectError(missing), "Certificate authority file not read: " + dir.File("no-such.pem"));
    EXPECT_FALSE(missing.Connected()); // nothing is left connected in the clear
}

TEST_F(TlsConnectionTest, AServerThatSpeaksOnlyTls10IsRefused)
{
    TlsServer::Options options{GoodLeaf()};
    options.MinVersion = TLS1_VERSION;
    options.MaxVersion = TLS1_VERSION;
    TlsServer server(options);
    TSockConnection c;
    Prepare(c, server.Port());
    const std::string error = ConnectError(c);
    EXPECT_EQ(error.rfind(TSockConnection::HandshakeFailedText, 0), 0u) << error;
    EXPECT_NE(error.find("protocol"), std::string::npos) << error;
    EXPECT_EQ(failedEvents, 1);
    EXPECT_FALSE(c.Connected());
}

TEST_F(TlsConnectionTest, AStalledHandshakeEndsAtTheTimeOut)
{
    TlsServer::Options options{GoodLeaf()};
    options.Behaviour = TlsServer::Mode::Stall;
    TlsServer server(options);
    TSockConnection c;
    Prepare(c, server.Port());
    c.TimeOut = 300;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ConnectError(c), "Connection Timed out");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 250ms);
    EXPECT_LT(took, 3s);
    EXPECT_EQ(failedEvents, 1);
    EXPECT_FALSE(c.Connected());
}

TEST_F(TlsConnectionTest, ADisconnectOrCancelFromAnotherThreadEndsAStalledHandshakeAtOnce)
{
    TlsServer::Options options{GoodLeaf()};
    options.Behaviour = TlsServer::Mode::Stall;
    TlsServer server(options);
    TSockConnection c;
    Prepare(c, server.Port());
    EXPECT_EQ(BreakOffStalledHandshake(c, server, &TSockConnection::Disconnect), "Connection Canceled");
    EXPECT_EQ(failedEvents, 1);
    EXPECT_FALSE(c.Connected());

    // The connection is usable again afterwards, for a plain server as for a TLS one.
    TlsServer good({GoodLeaf()});
    c.Port = good.Port();
    EXPECT_EQ(ConnectError(c), "");
    EXPECT_TRUE(c.TlsActive());

    TSockConnection other;
    Prepare(other, server.Port());
    EXPECT_EQ(BreakOffStalledHandshake(other, server, &TSockConnection::Cancel), "Connection Canceled");
    EXPECT_EQ(failedEvents, 2);
}

} // namespace

// A second connection to the same host and port resumes the first one's session (TLS 1.3 and
// 1.2); another port, another name for the same server, other trusted authorities, or a
// certificate that has expired since get a full handshake with its verification.
TEST_F(TlsConnectionTest, ASessionIsResumedOnlyForTheSameHostPortAndTrust)
{
    for (const int version : {TLS1_3_VERSION, TLS1_2_VERSION}) {
        SCOPED_TRACE(version);
        TlsServer::Options options{GoodLeaf()};
        options.MinVersion = options.MaxVersion = version;
        options.SharedTicketKey = true;
        TlsServer server(options), sibling(options);
        // Connects, reads the reply whole (a TLS 1.3 ticket comes with it); "" or the error.
        auto exchange = [&](const TlsServer& s, const std::string& host, const std::string& ca, bool resumed) {
            TSockConnection c;
            Prepare(c, s.Port(), host);
            c.CaFile = ca;
            const std::string error = ConnectError(c);
            if (!error.empty()) return error;
            EXPECT_EQ(c.TlsResumed(), resumed) << host << ":" << s.Port() << " " << ca;
            c.Write("GET / HTTP/1.0\r\n\r\n");
            std::string reply;
            c.CaptureString(reply, -1);
            EXPECT_NE(reply.find("hello"), std::string::npos);
            return error;
        };
        EXPECT_EQ(exchange(server, "127.0.0.1", caFile, false), "");
        EXPECT_EQ(exchange(server, "127.0.0.1", caFile, true), "");
        EXPECT_EQ(exchange(sibling, "127.0.0.1", caFile, false), "");
        EXPECT_EQ(exchange(server, "localhost", caFile, false), "");
        EXPECT_NE(exchange(server, "127.0.0.1", "", false).find("unable to get local issuer"), std::string::npos);
        EXPECT_EQ(exchange(server, "127.0.0.1", dir.Write("same-ca.pem", Certificates().CaPem()), false), "");

        options.Certificate = Certificates().MakeLeaf("DNS:localhost,IP:127.0.0.1", -3600, 2);
        TlsServer expiring(options);
        EXPECT_EQ(exchange(expiring, "127.0.0.1", caFile, false), "");
        std::this_thread::sleep_for(3s);
        EXPECT_NE(exchange(expiring, "127.0.0.1", caFile, false).find("expired"), std::string::npos);
    }
}

// Workers connect to the same place at once: the kept sessions are shared between threads
// (a TLS 1.2 one by several connections at a time) without a race, and every exchange works.
TEST_F(TlsConnectionTest, ConnectionsOnSeveralThreadsShareKeptSessionsSafely)
{
    for (const int version : {TLS1_3_VERSION, TLS1_2_VERSION}) {
        TlsServer::Options options{GoodLeaf()};
        options.MinVersion = options.MaxVersion = version;
        TlsServer server(options);
        std::atomic<int> ok{0}, resumed{0};
        auto worker = [&] {
            for (int i = 0; i < 8; ++i) {
                TSockConnection c;
                Prepare(c, server.Port());
                c.OnConnectionFailed = nullptr; // the fixture's count is this thread's alone
                if (!ConnectError(c).empty()) continue;
                resumed += c.TlsResumed() ? 1 : 0;
                c.Write("GET / HTTP/1.0\r\n\r\n");
                std::string reply;
                c.CaptureString(reply, -1);
                ok += reply.find("hello") != std::string::npos ? 1 : 0;
            }
        };
        std::thread a(worker), b(worker);
        a.join();
        b.join();
        EXPECT_EQ(ok, 16) << version;
        EXPECT_GT(resumed, 0) << version;
    }
}
