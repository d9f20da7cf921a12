#include <gtest/gtest.h>

#include <poll.h>

#include <cerrno>

#include "net/PassThroughLayer.h"
#include "net/TSockConnection.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "support/TlsServer.h"

namespace {

// A layer of the test's own: its Connect sends a greeting and wants "OK\r\n" back, else it
// refuses. Afterwards the bytes pass through.
class GreetingLayer : public PassThroughLayer {
public:
    using PassThroughLayer::PassThroughLayer;

    void Connect(const Link& link) override
    {
        while (link.GoOn() && lower_->Write("HELLO\r\n\r\n", 9) != 9) lower_->Wait(POLLOUT);
        std::string answer;
        for (char c = 0; link.GoOn() && answer.find('\n') == std::string::npos;) {
            const long n = lower_->Read(&c, 1, false);
            if (n > 0) answer += c;
            if (n == 0 || (n < 0 && errno != EAGAIN)) break;
            if (n < 0) lower_->Wait(POLLIN);
        }
        if (answer != "OK\r\n")
            throw LayerError(LayerError::Ends::Answer, "Not greeted: " + answer, NetError::ProxyRefused);
    }
};

// A connection that stacks a greeter over the layers it would stack anyway.
class GreetedConnection : public TSockConnection {
public:
    std::vector<LayerMaker> Layers() const override
    {
        std::vector<LayerMaker> layers = TSockConnection::Layers();
        layers.push_back(
            [](std::unique_ptr<ByteStream> lower) { return std::make_unique<GreetingLayer>(std::move(lower)); });
        return layers;
    }
};

} // namespace

TEST(LayerStack, ALayerOfItsOwnConnectsOverTlsAndGreetsInsideTheVerifiedSession)
{
    const TestCertificates authority;
    TempDir dir;
    TlsServer::Options options{authority.MakeLeaf("IP:127.0.0.1")};
    options.Reply = "OK\r\n";
    TlsServer server(options);
    GreetedConnection c;
    c.Host = "127.0.0.1";
    c.Port = server.Port();
    c.TimeOut = 5000;
    c.UseTls = true;
    c.CaFile = dir.Write("ca.pem", authority.CaPem());
    c.Connect(); // the greeting before the handshake would fail it
    EXPECT_TRUE(c.TlsActive());
    EXPECT_EQ(server.Request(0), "HELLO\r\n\r\n");
}

TEST(LayerStack, ARefusingLayerEndsConnectWithItsTypedErrorAndTheNextConnectStartsAfresh)
{
    using Server = ScriptedServer;
    Server server(std::vector<Server::Script>{{Server::ReadUntil("\r\n\r\n"), Server::Send("NO\r\n"), Server::Hold()},
                                              {Server::ReadUntil("\r\n\r\n"), Server::Send("OK\r\n"), Server::Hold()}});
    GreetedConnection c;
    c.Host = "127.0.0.1";
    c.Port = server.Port();
    c.TimeOut = 5000;
    int failedEvents = 0;
    c.OnConnectionFailed = [&](TSockConnection*) { ++failedEvents; };
    try {
        c.Connect();
        ADD_FAILURE() << "connected";
    } catch (const ESockError& e) {
        EXPECT_EQ(std::string(e.what()), "Not greeted: NO\r\n");
        EXPECT_EQ(e.Kind(), NetError::ProxyRefused);
    }
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(failedEvents, 0); // a refusing answer is not a failed connect
    c.Connect();
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(server.Connections(), 2u);
}
