#include <gtest/gtest.h>

#include <poll.h>

#include <cerrno>

#include "net/TSockConnection.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "support/TlsServer.h"

using Server = ScriptedServer;

namespace {

// A layer of the test's own: in Connect it sends `greeting` and wants "OK\r\n" back, else it
// refuses. Afterwards the bytes pass through.
class GreetingLayer : public ByteStream {
public:
    GreetingLayer(std::unique_ptr<ByteStream> lower, std::string greeting)
        : lower_(std::move(lower)), greeting_(std::move(greeting))
    {}

    void Connect(const Link& link) override
    {
        for (std::size_t sent = 0; sent < greeting_.size() && link.GoOn();) {
            const long n = lower_->Write(greeting_.data() + sent, greeting_.size() - sent);
            if (n > 0) sent += static_cast<std::size_t>(n);
            if (n < 0 && errno == EAGAIN) lower_->Wait(POLLOUT);
        }
        std::string answer;
        char c = 0;
        while (link.GoOn() && answer.find('\n') == std::string::npos) {
            const long n = lower_->Read(&c, 1, false);
            if (n > 0) answer += c;
            if (n == 0 || (n < 0 && errno != EAGAIN)) break;
            if (n < 0) lower_->Wait(POLLIN);
        }
        if (answer != "OK\r\n")
            throw LayerError(LayerError::Ends::Answer, "Not greeted: " + answer, NetError::ProxyRefused);
    }
    long Read(char* buf, std::size_t length, bool peek) override { return lower_->Read(buf, length, peek); }
    long Write(const char* data, std::size_t length) override { return lower_->Write(data, length); }
    void Wait(short events) override { lower_->Wait(events); }
    void BreakOff() override { lower_->BreakOff(); }
    bool Buffered() const override { return lower_->Buffered(); }
    bool Secure() const override { return lower_->Secure(); }

private:
    std::unique_ptr<ByteStream> lower_;
    std::string greeting_;
};

// A connection that stacks greeters over the layers it would stack anyway.
class GreetedConnection : public TSockConnection {
public:
    std::vector<std::string> Greetings;

    std::vector<LayerMaker> Layers() const override
    {
        std::vector<LayerMaker> layers = TSockConnection::Layers();
        for (const std::string& greeting : Greetings)
            layers.push_back([greeting](std::unique_ptr<ByteStream> lower) {
                return std::make_unique<GreetingLayer>(std::move(lower), greeting);
            });
        return layers;
    }
};

} // namespace

TEST(LayerStack, LayersConnectBottomFirstEachThroughTheOneBelow)
{
    Server server({Server::ReadUntil("A\r\n"), Server::Send("OK\r\n"), Server::ReadUntil("B\r\n"),
                   Server::Send("OK\r\n"), Server::ReadUntil("data\r\n")});
    GreetedConnection c;
    c.Host = "127.0.0.1";
    c.Port = server.Port();
    c.TimeOut = 5000;
    c.Greetings = {"A\r\n", "B\r\n"};
    c.Connect();
    c.Write("data\r\n");
    EXPECT_EQ(server.Received(0), "A\r\nB\r\ndata\r\n");
}

TEST(LayerStack, ARefusingLayerEndsConnectWithItsTypedErrorAndTheNextConnectStartsAfresh)
{
    Server server(std::vector<Server::Script>{{Server::ReadUntil("A\r\n"), Server::Send("NO\r\n"), Server::Hold()},
                                              {Server::ReadUntil("A\r\n"), Server::Send("OK\r\n"), Server::Hold()}});
    GreetedConnection c;
    c.Host = "127.0.0.1";
    c.Port = server.Port();
    c.TimeOut = 5000;
    c.Greetings = {"A\r\n"};
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
    EXPECT_EQ(failedEvents, 0); // a refusal in the answer is not a failed connect
    c.Connect();
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(server.Connections(), 2u);
}

TEST(LayerStack, ALayerOverTlsGreetsInsideTheVerifiedSession)
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
    c.Greetings = {"HELLO\r\n\r\n"};
    c.Connect();
    EXPECT_TRUE(c.TlsActive());
    EXPECT_EQ(server.Request(0), "HELLO\r\n\r\n");
}
