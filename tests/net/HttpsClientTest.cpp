#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <thread>

#include "net/HttpUrl.h"
#include "net/THttpClient.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "support/TlsServer.h"

namespace {

using S = ScriptedServer;

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

TlsServer::Options Replying(const std::string& reply)
{
    TlsServer::Options options{GoodLeaf()};
    options.Reply = reply;
    return options;
}

// A proxy that opens every CONNECT tunnel it is asked for to `port` on 127.0.0.1 and copies
// bytes both ways until one side closes. It records the head of the CONNECT request.
class TunnelProxy {
public:
    explicit TunnelProxy(std::uint16_t port) : target_(port)
    {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        ::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listen_, 4);
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~TunnelProxy()
    {
        ::shutdown(listen_, SHUT_RDWR);
        thread_.join();
        ::close(listen_);
    }
    std::uint16_t Port() const { return port_; }
    // Read after the client's call has ended (the thread has then written it).
    std::string Head() { return head_; }

private:
    void Run()
    {
        const int client = ::accept(listen_, nullptr, nullptr);
        if (client < 0) return;
        char buf[16384];
        std::string head;
        while (head.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::recv(client, buf, sizeof buf, 0);
            if (n <= 0) break;
            head.append(buf, static_cast<std::size_t>(n));
        }
        head_ = head;
        const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(target_);
        if (::connect(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            const std::string ok = "HTTP/1.0 200 Connection established\r\nProxy-Agent: test\r\n\r\n";
            ::send(client, ok.data(), ok.size(), MSG_NOSIGNAL);
            for (bool open = true; open;) {
                pollfd fds[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
                if (::poll(fds, 2, 5000) <= 0) break;
                for (int i = 0; i < 2 && open; ++i) {
                    if (!fds[i].revents) continue;
                    const ssize_t n = ::recv(fds[i].fd, buf, sizeof buf, 0);
                    if (n <= 0)
                        open = false;
                    else
                        ::send(fds[1 - i].fd, buf, static_cast<std::size_t>(n), MSG_NOSIGNAL);
                }
            }
        }
        ::close(server);
        ::close(client);
    }

    std::uint16_t target_;
    std::uint16_t port_ = 0;
    int listen_ = -1;
    std::string head_;
    std::thread thread_;
};

class HttpsClient : public ::testing::Test {
protected:
    TempDir dir;
    THttpClient client;
    std::vector<int> replies;

    void SetUp() override
    {
        client.TimeOut = 5000;
        client.AllowHttps = true;
        client.CaFile = dir.Write("ca.pem", Certificates().CaPem());
        client.OnSuccess = [this](THttpClient* c, CmdType) { replies.push_back(c->ReplyNumber()); };
        client.OnFailure = [this](THttpClient* c, CmdType) { replies.push_back(c->ReplyNumber()); };
    }
};

TEST(HttpsUrl, HttpsIsRefusedUnlessAllowedAndThenTakesPort443AndTls)
{
    EXPECT_THROW(ParseUrl("https://example.com/pad.xml"), std::runtime_error);
    const HttpUrl secure = ParseUrl("HTTPS://example.com/pad.xml", true);
    EXPECT_EQ(secure.Port, 443);
    EXPECT_TRUE(secure.Secure);
    EXPECT_EQ(secure.Host, "example.com");
    EXPECT_EQ(secure.Path, "/pad.xml");
    EXPECT_EQ(ParseUrl("https://example.com:8443/", true).Port, 8443);
    EXPECT_FALSE(ParseUrl("http://example.com/", true).Secure);
    EXPECT_EQ(ParseUrl("http://example.com/", true).Port, 80);
}

TEST_F(HttpsClient, TheClassStillRefusesHttpsByDefaultAndConnectsNowhere)
{
    TlsServer server({GoodLeaf()});
    THttpClient plain;
    try {
        plain.Get(server.Url() + "/pad.xml");
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), UrlErrors::Secure);
    }
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(HttpsClient, AnHttpsGetIsAnsweredThroughTheVerifiedSession)
{
    TlsServer server(Replying("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
    client.Get(server.Url() + "/pad.xml");
    EXPECT_EQ(replies, std::vector<int>{200});
    EXPECT_EQ(client.Body, "hello");
    EXPECT_EQ(server.Request(0).rfind("GET /pad.xml HTTP/1.0\r\nHost: 127.0.0.1\r\n", 0), 0u) << server.Request(0);

    // The same client, back to a plain server, speaks plain HTTP again.
    S plain({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n\r\nplain")});
    client.Get(plain.Url() + "/");
    EXPECT_EQ(client.Body, "plain");
    EXPECT_EQ(plain.Received(0).rfind("GET / HTTP/1.0\r\n", 0), 0u);
}

TEST_F(HttpsClient, ARefusedCertificateEndsTheCallWithItsReasonAndSendsNothing)
{
    TlsServer server({Certificates().MakeLeaf("DNS:other.example")});
    try {
        client.Get(server.Url() + "/pad.xml");
        ADD_FAILURE() << "no error";
    } catch (const ESockError& e) {
        EXPECT_NE(std::string(e.what()).find("IP address mismatch"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(replies.empty());
    EXPECT_EQ(server.Request(0, std::chrono::milliseconds(200)), "");
}

TEST_F(HttpsClient, AFailedHopAfterARedirectIsWhatTheCallReportsNotThe302)
{
    TlsServer refused({Certificates().MakeLeaf("DNS:other.example")});
    S moving(
        {S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 302 Found\r\nLocation: " + refused.Url() + "/pad.xml\r\n\r\n")});
    try {
        client.Get(moving.Url() + "/pad.xml");
        ADD_FAILURE() << "no error";
    } catch (const ESockError& e) {
        EXPECT_EQ(e.Kind(), NetError::CertificateRefused) << e.what();
    }
    EXPECT_EQ(client.ReplyNumber(), 0);
    EXPECT_EQ(client.Header, "");
    EXPECT_TRUE(replies.empty());
}

TEST_F(HttpsClient, RedirectsMoveBetweenHttpAndHttpsAndACookieNeverLeavesTlsInTheClear)
{
    // https -> https keeps the cookie; https -> http drops it; http -> https is followed.
    TlsServer secureTarget(Replying("HTTP/1.0 200 OK\r\n\r\nsecure"));
    TlsServer toSecure(
        Replying("HTTP/1.0 302 Found\r\nSet-Cookie: sid=42\r\nLocation: " + secureTarget.Url() + "/next\r\n\r\n"));
    client.Get(toSecure.Url() + "/");
    EXPECT_EQ(client.Body, "secure");
    EXPECT_NE(secureTarget.Request(0).find("\r\nCookie: sid=42\r\n"), std::string::npos) << secureTarget.Request(0);

    client.HeaderInfo.Cookie.clear();
    S plainTarget({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n\r\nplain")});
    TlsServer toPlain(
        Replying("HTTP/1.0 302 Found\r\nSet-Cookie: sid=42\r\nLocation: " + plainTarget.Url() + "/next\r\n\r\n"));
    client.Get(toPlain.Url() + "/");
    EXPECT_EQ(client.Body, "plain");
    const std::string sent = plainTarget.Received(0);
    EXPECT_EQ(sent.rfind("GET /next HTTP/1.0\r\n", 0), 0u) << sent;
    EXPECT_EQ(sent.find("Cookie"), std::string::npos) << sent;
    EXPECT_EQ(client.HeaderInfo.Cookie, "");

    TlsServer secureAgain(Replying("HTTP/1.0 200 OK\r\n\r\nback"));
    S fromPlain(
        {S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 301 Moved\r\nLocation: " + secureAgain.Url() + "/pad\r\n\r\n")});
    client.Get(fromPlain.Url() + "/");
    EXPECT_EQ(client.Body, "back");
    EXPECT_EQ(secureAgain.Request(0).rfind("GET /pad HTTP/1.0\r\n", 0), 0u);
}

TEST_F(HttpsClient, ThroughAProxyHttpsGoesThroughAConnectTunnelVerifiedEndToEnd)
{
    TlsServer server(Replying("HTTP/1.0 200 OK\r\n\r\ntunnelled"));
    TunnelProxy proxy(server.Port());
    client.Proxy = "127.0.0.1";
    client.ProxyPort = proxy.Port();
    client.Get(server.Url() + "/pad.xml");
    EXPECT_EQ(client.Body, "tunnelled");
    const std::string authority = "127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(proxy.Head(), "CONNECT " + authority + " HTTP/1.0\r\nHost: " + authority + "\r\n\r\n");
    // Inside the tunnel the request names the path, as to the server itself.
    EXPECT_EQ(server.Request(0).rfind("GET /pad.xml HTTP/1.0\r\nHost: 127.0.0.1\r\n", 0), 0u) << server.Request(0);
}

TEST_F(HttpsClient, AProxyThatRefusesTheTunnelEndsTheCallAndHearsNoRequest)
{
    S proxy({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 403 Forbidden\r\n\r\n")});
    client.Proxy = "127.0.0.1";
    client.ProxyPort = proxy.Port();
    try {
        client.Get("https://127.0.0.1:4443/pad.xml");
        ADD_FAILURE() << "no error";
    } catch (const ESockError& e) {
        EXPECT_EQ(std::string(e.what()), std::string(THttpClient::ProxyRefusedText) + "HTTP/1.0 403 Forbidden");
    }
    EXPECT_EQ(proxy.Received(0), "CONNECT 127.0.0.1:4443 HTTP/1.0\r\nHost: 127.0.0.1:4443\r\n\r\n");
    EXPECT_TRUE(replies.empty());
}

} // namespace
