#include "net/THttpClient.h"

#include "net/MemoryStream.h"

#include "support/ScriptedServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using S = ScriptedServer;
using Events = std::vector<std::string>;

const std::string kAccept = "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
                            "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
const std::string kContentType = "Content-type: application/x-www-form-urlencoded\r\n";
const std::string kOk = "HTTP/1.0 200 OK\r\n\r\n";

// The events of one client, in the order they fire.
struct EventLog {
    Events events;
    bool handleRedirect = false;

    explicit EventLog(THttpClient& c)
    {
        auto note = [this](const char* name) { return [this, name](TSockConnection*) { events.push_back(name); }; };
        c.OnAboutToSend = note("AboutToSend");
        c.OnHostResolved = note("HostResolved");
        c.OnConnect = note("Connect");
        c.OnConnectionFailed = note("ConnectionFailed");
        c.OnDisconnect = note("Disconnect");
        c.OnAuthenticationNeeded = note("AuthenticationNeeded");
        c.OnInvalidHost = [this](TSockConnection*, bool& handled) {
            events.push_back("InvalidHost");
            handled = true;
        };
        c.OnRedirect = [this](TSockConnection*, bool& handled) {
            events.push_back("Redirect");
            handled = handleRedirect;
        };
        c.OnSuccess = [this](THttpClient*, CmdType cmd) {
            events.push_back(std::string("Success ") + CmdTypeName(cmd));
        };
        c.OnFailure = [this](THttpClient*, CmdType cmd) {
            events.push_back(std::string("Failure ") + CmdTypeName(cmd));
        };
    }
    // How many events begin with `prefix`.
    long Count(const std::string& prefix) const
    {
        return std::count_if(events.begin(), events.end(),
                             [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
    }
};

// The events of one whole exchange that ends with `outcome`: the server's close ends the
// reply (first Disconnect), then the client closes its fresh socket (second).
Events Exchange(const std::string& outcome)
{
    return {"AboutToSend", "Connect", "Disconnect", outcome, "Disconnect"};
}

// The text of the exception of type E that `f` raises; any other exception fails the test.
template <class E>
std::string Raised(const std::function<void()>& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(no exception)";
}

S::Script Reply(const std::string& bytes)
{
    return {S::ReadUntil("\r\n\r\n"), S::Send(bytes), S::Close()};
}

// Takes a head and `bodyBytes` more, then answers 200.
S::Script TakeBody(std::size_t bodyBytes)
{
    return {S::ReadUntil("\r\n\r\n"), S::ReadBytes(bodyBytes), S::Send(kOk), S::Close()};
}

std::string GetRequest(const std::string& path, const std::string& host = "127.0.0.1")
{
    return "GET " + path + " HTTP/1.0\r\nHost: " + host + "\r\n" + kAccept + kContentType + "\r\n";
}

// Name lookups read the hosts file only: no query leaves the machine.
class HttpClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = Resolver::Settings();
        Resolver::SetSettings({ResolverSettings::Source::HostsFile, {}});
        client.TimeOut = 5000;
    }
    void TearDown() override { Resolver::SetSettings(saved_); }

    ResolverSettings saved_;
    THttpClient client;
    EventLog log{client};
};

TEST_F(HttpClient, GetSendsTheExactRequestAndKeepsTheReply)
{
    S server(Reply("HTTP/1.0 200 OK\r\nContent-Length: 30\r\n\r\nSubmitted successfully, thanks"));
    const std::string path = "/cgi-bin/submit.php?padurl=http://www.example.com/pad/app.xml&padcat=Games%3A%3AAction";
    client.Get(server.Url() + path);

    EXPECT_EQ(server.Received(0), GetRequest(path));
    EXPECT_EQ(client.Header, "HTTP/1.0 200 OK\r\nContent-Length: 30\r\n\r\n");
    EXPECT_EQ(client.Body, "Submitted successfully, thanks");
    EXPECT_EQ(client.ReplyNumber(), 200);
    EXPECT_EQ(client.ExpectedTotal(), 30);
    EXPECT_EQ(log.events, Exchange("Success CmdGET"));
}

TEST_F(HttpClient, HostPortAndPathComeFromTheUrlOrGoToTheProxy)
{
    S server(Reply(kOk));
    const std::string url = "http://localhost:" + std::to_string(server.Port());
    client.Get(url);
    EXPECT_EQ(server.Received(0), GetRequest("/", "localhost"));
    EXPECT_EQ(client.URL(), url + "/");
    EXPECT_EQ(log.events,
              (Events{"AboutToSend", "HostResolved", "Connect", "Disconnect", "Success CmdGET", "Disconnect"}));

    // A URL that already ends with the root's slash keeps it single.
    client.Get(server.Url() + "/");
    EXPECT_EQ(client.URL(), server.Url() + "/");
    EXPECT_EQ(server.Received(1), GetRequest("/"));

    // A proxy gets the whole URL, and no name lookup is made; so does every redirect's request.
    S proxy(std::vector<S::Script>{Reply("HTTP/1.0 200 OK\r\n\r\nvia proxy"),
                                   Reply("HTTP/1.0 302 Found\r\nLocation: /second.php\r\n\r\n"), Reply(kOk)});
    client.Proxy = "127.0.0.1";
    client.ProxyPort = proxy.Port();
    client.Get("http://pad.example.com/app.xml");
    EXPECT_EQ(proxy.Received(0), "GET http://pad.example.com/app.xml HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\n"
                                 "Host: pad.example.com\r\n" +
                                     kAccept + kContentType + "\r\n");
    EXPECT_EQ(client.Body, "via proxy");
    client.Get("http://pad.example.com:8080/first.php");
    EXPECT_EQ(proxy.Received(2).rfind("GET http://pad.example.com:8080/second.php HTTP/1.0\r\n", 0), 0u)
        << proxy.Received(2);
}

TEST_F(HttpClient, RequestsWithABodyGoOutWholeAndOptionalLinesInTheirOrder)
{
    std::string encoded; // of 80000 '&': longer than the I/O buffer
    for (int i = 0; i < 80000; ++i) encoded += "%26";
    std::string data(100000, 'd');
    data[10] = '\0';
    data[70000] = '\0';
    S server(std::vector<S::Script>{TakeBody(7 + encoded.size()), TakeBody(8), TakeBody(data.size()), Reply(kOk)});
    client.Post(server.Url() + "/add.php", "a=1 b" + std::string(80000, '&'));
    EXPECT_EQ(server.Received(0), "POST /add.php HTTP/1.0\r\nHost: 127.0.0.1\r\n" + kAccept + kContentType +
                                      "Content-Length: 240007\r\n\r\na%3D1+b" + encoded);
    EXPECT_EQ(log.events, Exchange("Success CmdPOST"));

    client.Link(server.Url() + "/doc", "/other\r\nX: y");
    EXPECT_EQ(server.Received(1), "LINK /doc HTTP/1.0\r\nHost: 127.0.0.1\r\n" + kAccept + kContentType +
                                      "Link: /otherX: y\r\nContent-Length: 8\r\n\r\nSend.dat");

    const std::string referer = "http://example.com/" + std::string(70000, 'r');
    client.HeaderInfo.LocalProgram = "Quillpost";
    client.HeaderInfo.LocalMailAddress = "me@example.com";
    client.HeaderInfo.Referer = referer;
    client.HeaderInfo.UserId = "user";
    client.HeaderInfo.Password = "pass";
    client.Put(server.Url() + "/p", data);
    EXPECT_EQ(server.Received(2), "PUT /p HTTP/1.0\r\nHost: 127.0.0.1\r\n" + kAccept +
                                      "User-Agent: Quillpost\r\nFrom: me@example.com\r\nReferer: " + referer +
                                      "\r\nAuthorization: Basic dXNlcjpwYXNz\r\n" + kContentType +
                                      "Content-Length: 100000\r\n\r\n" + data);
    EXPECT_EQ(log.Count("Success CmdPUT"), 1);

    // Long credentials make one Authorization line: 81 bytes -> 27 groups of four.
    client.HeaderInfo.UserId = std::string(40, 'u');
    client.HeaderInfo.Password = std::string(40, 'p');
    client.Get(server.Url() + "/");
    const std::string got = server.Received(3);
    const size_t at = got.find("Authorization: Basic ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(got.find("\r\n", at) - at - 21, 108u);
}

TEST_F(HttpClient, ReplyCodesChooseTheEvent)
{
    S server(std::vector<S::Script>{Reply("HTTP/1.0 404 Not Found\r\n\r\n<h1>Not here</h1>"),
                                    {S::ReadUntil("\r\n\r\n"), S::Close()},
                                    Reply("HTTP/1.0 401 Unauthorized\r\n\r\n"),
                                    Reply("HTTP/1.0 2OO OK\r\n\r\nbody")});
    client.Get(server.Url() + "/x");
    EXPECT_EQ(log.events, Exchange("Failure CmdGET"));
    EXPECT_EQ(client.Body, "<h1>Not here</h1>");

    log.events.clear();
    client.Get(server.Url() + "/x"); // closed without a word
    EXPECT_EQ(log.events, Exchange("Success CmdGET"));
    EXPECT_EQ(client.ReplyNumber(), 0);
    EXPECT_EQ(client.Header, "");
    EXPECT_EQ(client.Body, "");

    log.events.clear();
    client.Post(server.Url() + "/x", "d");
    Events unauthorized = Exchange("Failure CmdPOST");
    unauthorized.push_back("AuthenticationNeeded");
    EXPECT_EQ(log.events, unauthorized);

    log.events.clear();
    client.Get(server.Url() + "/x");
    EXPECT_EQ(client.ReplyNumber(), 0);
    EXPECT_EQ(log.events, Exchange("Success CmdGET"));
}

TEST_F(HttpClient, FollowedRedirectsFindTheirLocationAndCarryTheCookie)
{
    // A bare name is taken from the root of the same server.
    S server(std::vector<S::Script>{Reply("HTTP/1.0 301 Moved\r\nLocation: thanks.html\r\n\r\n"),
                                    Reply("HTTP/1.0 200 OK\r\n\r\nthanks")});
    client.Get(server.Url() + "/dir/form.php");
    EXPECT_EQ(client.URL(), server.Url() + "/thanks.html");
    EXPECT_EQ(server.Received(1), GetRequest("/thanks.html"));
    EXPECT_EQ(client.Body, "thanks");

    log.events.clear();
    S target(Reply("HTTP/1.0 200 OK\r\n\r\ndone"));
    S first(Reply("HTTP/1.0 302 Found\r\nSet-Cookie: sid=42; path=/\r\nLocation: " + target.Url() +
                  "/next.php?x=1\r\n\r\nmoved"));
    client.Get(first.Url() + "/start.php");
    EXPECT_EQ(log.events, (Events{"AboutToSend", "Connect", "Disconnect", "Disconnect", "Redirect", "AboutToSend",
                                  "Connect", "Disconnect", "Success CmdGET", "Disconnect"}));
    EXPECT_EQ(target.Received(0), "GET /next.php?x=1 HTTP/1.0\r\nHost: 127.0.0.1\r\n" + kAccept +
                                      "Cookie: sid=42; path=/\r\n" + kContentType + "\r\n");
    EXPECT_EQ(client.HeaderInfo.Cookie, "sid=42; path=/");
    EXPECT_EQ(client.Body, "done");
    EXPECT_EQ(client.URL(), target.Url() + "/next.php?x=1");
}

TEST_F(HttpClient, HandledRedirectsAndOtherCodesEndTheCall)
{
    S handled(Reply("HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\n\r\n"));
    log.handleRedirect = true;
    client.Get(handled.Url() + "/a");
    EXPECT_EQ(log.events, (Events{"AboutToSend", "Connect", "Disconnect", "Disconnect", "Redirect"}));
    EXPECT_EQ(handled.Connections(), 1u);

    // Codes beside those followed end as a failure, the location unvisited.
    log.handleRedirect = false;
    for (const char* status : {"299 Odd", "303 See Other", "304 Not Modified", "399 Odd"}) {
        log.events.clear();
        S server(Reply(std::string("HTTP/1.0 ") + status + "\r\nLocation: /other\r\n\r\n"));
        client.Post(server.Url() + "/x", "a");
        EXPECT_EQ(server.Connections(), 1u) << status;
        EXPECT_EQ(log.events, Exchange("Failure CmdPOST")) << status;
    }
}

TEST_F(HttpClient, RedirectChainStopsAfterTenExchanges)
{
    S server(Reply("HTTP/1.0 302 Found\r\nLocation: /again\r\n\r\n"));
    client.Get(server.Url() + "/start");
    EXPECT_EQ(server.Connections(), 10u);
    EXPECT_EQ(log.Count("Redirect"), 9);
    EXPECT_EQ(log.Count("Failure CmdGET"), 1);
    EXPECT_EQ(log.events.back(), "Disconnect");

    // A redirect without a location, to a client that never had one, leads nowhere.
    THttpClient fresh;
    S nowhere(Reply("HTTP/1.0 302 Found\r\n\r\n"));
    EXPECT_EQ(Raised<std::runtime_error>([&] { fresh.Get(nowhere.Url() + "/start"); }), "Empty URL");
    EXPECT_EQ(nowhere.Connections(), 1u);
}

TEST_F(HttpClient, RequestTargetsAreEscapedAndGoWholeOrNotAtAll)
{
    S server(Reply(kOk));
    // No URL can inject header lines.
    client.Get(server.Url() + "/a b\r\nX-Evil: 1\x7f?q=\t\x01\xE9");
    EXPECT_EQ(server.Received(0), GetRequest("/a%20b%0D%0AX-Evil:%201%7F?q=%09%01\xE9"));

    // The longest target goes whole; one byte more ends the call before it connects.
    const std::string longest = "/s.php?padurl=" + std::string(THttpClient::MaxTargetLength - 14, 'u');
    client.Get(server.Url() + longest);
    EXPECT_TRUE(server.Received(1) == GetRequest(longest)) << server.Received(1).size();
    log.events.clear();
    const std::string error = Raised<ESockError>([&] { client.Get(server.Url() + longest + "x"); });
    EXPECT_EQ(error, "Request address too long");
    EXPECT_EQ(server.Connections(), 2u);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(HttpClient, CallsThatCannotConnectRaiseWithoutAnOutcome)
{
    EXPECT_EQ(Raised<std::exception>([&] { client.Get("HTTPS://127.0.0.1:1/x"); }),
              "HTTP Secure Socket is not supported");
    EXPECT_THROW(client.Get(""), std::runtime_error);
    EXPECT_TRUE(log.events.empty()); // both refused before anything

    const std::string refused = "http://127.0.0.1:" + std::to_string(S::RefusingPort()) + "/x";
    EXPECT_EQ(Raised<ESockError>([&] { client.Get(refused); }), "Connection Failed");
    ASSERT_GE(log.events.size(), 2u);
    EXPECT_EQ(log.events[0], "AboutToSend");
    EXPECT_EQ(log.events[1], "ConnectionFailed");
    EXPECT_EQ(log.Count("Success") + log.Count("Failure"), 0);
    EXPECT_FALSE(client.Connected());

    // An unknown host is reported once.
    log.events.clear();
    EXPECT_EQ(Raised<ESockError>([&] { client.Get("http://no-such-host.invalid/pad.xml"); }), "Null Remote Address");
    EXPECT_EQ(log.events.at(0), "AboutToSend");
    EXPECT_EQ(log.Count("InvalidHost"), 1);
    EXPECT_EQ(log.Count("Connect"), 0); // also no ConnectionFailed
}

TEST_F(HttpClient, SilentOrDrippingServerEndsTheReadAfterTheTimeOut)
{
    client.TimeOut = 300;
    S silent({S::ReadUntil("\r\n\r\n"), S::Hold()});
    EXPECT_EQ(Raised<EAbortError>([&] { client.Get(silent.Url() + "/x"); }), "Socket readln aborted");
    EXPECT_EQ(log.events, (Events{"AboutToSend", "Connect", "Disconnect"}));
    EXPECT_FALSE(client.Connected());

    // The head as a whole is bounded, although each line comes in time.
    std::string lines;
    for (int i = 0; i < 20; ++i) lines += "X-Drip: " + std::to_string(i) + "\r\n";
    S dripping({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n"), S::SendSlowly(lines + "\r\n", 11, 50),
                S::Send("body"), S::Close()});
    EXPECT_EQ(Raised<EAbortError>([&] { client.Get(dripping.Url() + "/"); }), "Socket readln aborted");
    EXPECT_EQ(client.Header.rfind("HTTP/1.0 200 OK\r\nX-Drip: 0\r\n", 0), 0u);
    EXPECT_LT(client.Header.size(), 17 + lines.size());
    EXPECT_EQ(log.Count("Success"), 0);
}

TEST_F(HttpClient, AWholeCallEndsAtThreeTimesItsTimeOutThoughEachWaitIsInTime)
{
    // Every hop drips its head and body well inside each 400 ms limit: six hops, about 2 s.
    client.TimeOut = 400;
    const auto hop = [](const std::string& head) {
        return S::Script{S::ReadUntil("\r\n\r\n"), S::Send(head), S::SendSlowly("X-Drip: 1\r\n\r\n", 4, 40),
                         S::SendSlowly("abcd", 1, 50), S::Close()};
    };
    const S::Script redirect = hop("HTTP/1.0 302 Found\r\nLocation: /next\r\n");
    S server(std::vector<S::Script>{redirect, redirect, redirect, redirect, redirect, hop("HTTP/1.0 200 OK\r\n")});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Raised<ESockError>([&] { client.Get(server.Url() + "/"); }), "No complete answer in 1.2 s");
    std::printf("dripping redirects ended after %.2f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    EXPECT_EQ(log.Count("Success") + log.Count("Failure"), 0);

    // The next call has its own limit.
    S quick(Reply(kOk));
    client.Get(quick.Url() + "/");
    EXPECT_EQ(log.Count("Success"), 1);
}

TEST_F(HttpClient, TheWholeReplyPathRunsOnAStreamFromMemory)
{
    // A byte at a time with pauses between, a redirect with a cookie, then a body whose
    // connection is reset once it is whole; then a body cut short by a reset.
    std::vector<std::vector<std::string>> scripts;
    for (const std::string reply :
         {"HTTP/1.0 302 Found\r\nSet-Cookie: sid=7\r\nLocation: /next\r\n\r\n",
          "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nbody", "HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\nbody"}) {
        scripts.emplace_back();
        for (const char c : reply) scripts.back().insert(scripts.back().end(), {std::string(1, c), ""});
    }
    std::vector<std::shared_ptr<std::string>> sent;
    client.Transport = [&]() -> std::unique_ptr<ByteStream> {
        auto stream = std::make_unique<MemoryStream>(scripts.at(sent.size()), sent.size() > 0);
        sent.push_back(stream->Sent);
        return stream;
    };
    client.Get("http://pad.example.com/form.php");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(*sent[1], "GET /next HTTP/1.0\r\nHost: pad.example.com\r\n" + kAccept + "Cookie: sid=7\r\n" +
                            kContentType + "\r\n");
    EXPECT_EQ(client.URL(), "http://pad.example.com/next");
    EXPECT_EQ(client.Body, "body");
    EXPECT_EQ(log.Count("Success"), 1);
    EXPECT_EQ(Raised<ESockError>([&] { client.Get("http://pad.example.com/"); }).rfind("10054:", 0), 0u);
    EXPECT_EQ(log.Count("Success"), 1);
}

TEST_F(HttpClient, OversizedRepliesEndTheRead)
{
    S exact(Reply(kOk + std::string(THttpClient::MaxTextBody, 'b')));
    client.Get(exact.Url() + "/");
    EXPECT_EQ(client.Body.size(), THttpClient::MaxTextBody);
    EXPECT_EQ(log.events.at(3), "Success CmdGET");

    log.events.clear();
    S tooLong(Reply(kOk + std::string(THttpClient::MaxTextBody + 100000, 'b')));
    EXPECT_EQ(Raised<ESockError>([&] { client.Get(tooLong.Url() + "/"); }), "Reply body exceeds 16 MiB");
    EXPECT_EQ(client.Body.size(), THttpClient::MaxTextBody);
    EXPECT_EQ(log.events, (Events{"AboutToSend", "Connect", "Disconnect"}));

    // A per-call limit stops the read at its size: of a 50 MB body only the first kilobyte is kept.
    log.events.clear();
    client.MaxBody = 1000;
    S huge({S::ReadUntil("\r\n\r\n"), S::Send(kOk), S::SendRepeated(std::string(1000, 'h'), 50000), S::Close()});
    EXPECT_EQ(Raised<ESockError>([&] { client.Get(huge.Url() + "/"); }), "Reply body exceeds 1000 bytes");
    EXPECT_EQ(client.Body, std::string(1000, 'h'));
    EXPECT_TRUE(client.BodyTooLarge());
    S fits(Reply(kOk + std::string(1000, 'f')));
    client.Get(fits.Url() + "/");
    EXPECT_EQ(client.Body.size(), 1000u);
    EXPECT_FALSE(client.BodyTooLarge());
    client.MaxBody = THttpClient::MaxTextBody;

    log.events.clear();
    S longLine(Reply("HTTP/1.0 200 OK\r\nX-Filler: " + std::string(70000, 'f') + "\r\n\r\nbody"));
    EXPECT_EQ(Raised<ESockError>([&] { client.Get(longLine.Url() + "/"); }), TSockConnection::LineTooLongText);
    EXPECT_EQ(client.Header, "HTTP/1.0 200 OK\r\n");
    EXPECT_EQ(log.events, (Events{"AboutToSend", "Connect", "Disconnect"}));
}

TEST_F(HttpClient, DisconnectFromAnotherThreadBreaksTheCallOff)
{
    S server({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n\r\nfirst"), S::Hold()});
    std::promise<void> bodyStarted;
    client.OnPacketRecvd = [&, once = false](TSockConnection*) mutable {
        if (!std::exchange(once, true)) bodyStarted.set_value();
    };
    std::thread canceller([&, started = bodyStarted.get_future()]() mutable {
        started.wait();
        client.Disconnect();
    });
    EXPECT_EQ(Raised<EAbortError>([&] { client.Get(server.Url() + "/slow"); }), THttpClient::CanceledText);
    canceller.join();
    EXPECT_EQ(client.Body, "first");
    EXPECT_EQ(log.Count("Success"), 0);

    // The next call of the same client runs normally.
    S next(Reply("HTTP/1.0 200 OK\r\n\r\nagain"));
    client.OnPacketRecvd = nullptr;
    client.Get(next.Url() + "/");
    EXPECT_EQ(client.Body, "again");

    // Broken off while the request is still going out (the server reads nothing, and the
    // body is larger than what the socket buffers take): the same end, not a send error.
    S deaf({S::Wait(5000)});
    std::thread breaker;
    client.OnConnect = [&](TSockConnection*) {
        breaker = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            client.Disconnect();
        });
    };
    EXPECT_EQ(Raised<EAbortError>([&] { client.Put(deaf.Url() + "/big", std::string(64u << 20, 'd')); }),
              THttpClient::CanceledText);
    if (breaker.joinable()) breaker.join();
}

TEST_F(HttpClient, ADisconnectThatComesBeforeTheConnectionHoldsForTheWholeCall)
{
    // The server would hold the request for ever; only the Disconnect can end the call.
    S server({S::ReadUntil("\r\n\r\n"), S::Hold()});
    client.TimeOut = 3000;
    client.OnAboutToSend = [&](TSockConnection*) { std::thread([&] { client.Disconnect(); }).join(); };
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Raised<EAbortError>([&] { client.Get(server.Url() + "/"); }), THttpClient::CanceledText);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));

    // A client broken off for good ends this call and every later one at once.
    client.OnAboutToSend = nullptr;
    client.BreakOff();
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Raised<EAbortError>([&] { client.Get(server.Url() + "/"); }), THttpClient::CanceledText);
    EXPECT_THROW(client.Connect(), ESockError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST_F(HttpClient, RepliesCutShortEndTheCallWithAnErrorInsteadOfSuccess)
{
    S server(std::vector<S::Script>{
        {S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\n\r\npartial"), S::Wait(100), S::Reset()},
        Reply("HTTP/1.0 200 OK\r\nServer: t\r\n"),
        Reply("HTTP/1.0 20"),
        Reply("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nshort"),
    });
    EXPECT_EQ(Raised<ESockError>([&] { client.Get(server.Url() + "/reset"); }), "10054:Connection reset by peer");
    EXPECT_EQ(client.Body, "partial");
    EXPECT_EQ(Raised<ESockError>([&] { client.Get(server.Url() + "/nohead"); }), "Reply cut short");
    EXPECT_EQ(client.Header, "HTTP/1.0 200 OK\r\nServer: t\r\n");
    EXPECT_EQ(Raised<ESockError>([&] { client.Get(server.Url() + "/halfline"); }), "Reply cut short");
    EXPECT_EQ(client.Header, "HTTP/1.0 20");
    EXPECT_EQ(Raised<ESockError>([&] { client.Get(server.Url() + "/short"); }), "Reply cut short");
    EXPECT_EQ(client.Body, "short");
    EXPECT_EQ(log.Count("Success") + log.Count("Failure"), 0);

    // A reset after the whole announced body cuts nothing off; a HEAD reply announces a body
    // it does not send.
    S whole(
        std::vector<S::Script>{{S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nfull"),
                                S::Wait(100), S::Reset()},
                               Reply("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n")});
    client.Get(whole.Url() + "/");
    EXPECT_EQ(client.Body, "full");
    client.Head(whole.Url() + "/");
    EXPECT_EQ(log.Count("Success"), 2);
}

TEST_F(HttpClient, PortsOutsideOneTo65535AreRefusedBeforeAnyConnection)
{
    S server(Reply(kOk));
    for (const int port : {server.Port() + 65536, 0, server.Port() + 3 * 65536}) {
        EXPECT_EQ(Raised<std::runtime_error>([&] { client.Get("http://127.0.0.1:" + std::to_string(port) + "/"); }),
                  "Invalid port in URL")
            << port;
    }
    EXPECT_TRUE(log.events.empty());

    // A redirect to such a port ends the call after the first exchange.
    S redirecting(Reply("HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:" + std::to_string(server.Port() + 65536) +
                        "/\r\n\r\n"));
    EXPECT_EQ(Raised<std::runtime_error>([&] { client.Get(redirecting.Url() + "/"); }), "Invalid port in URL");
    EXPECT_EQ(redirecting.Connections(), 1u);
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(HttpClient, ControlBytesFromAReplyOrAUrlNeverReachARequestOrTheNameLookup)
{
    S target(Reply(kOk));
    const std::string port = std::to_string(target.Port());
    S first(std::vector<S::Script>{Reply("HTTP/1.0 302 Found\r\nSet-Cookie: sid=4" + std::string(1, '\0') +
                                         "2\x01; x\r\nLocation: " + target.Url() + "/next\r\n\r\n"),
                                   Reply("HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1" + std::string(1, '\0') +
                                         ".example.com:" + port + "/\r\n\r\n")});
    client.Get(first.Url() + "/a");
    EXPECT_EQ(target.Received(0),
              "GET /next HTTP/1.0\r\nHost: 127.0.0.1\r\n" + kAccept + "Cookie: sid=42; x\r\n" + kContentType + "\r\n");

    // The location loses its NUL: the name that is left is not found.
    EXPECT_EQ(Raised<ESockError>([&] { client.Get(first.Url() + "/b"); }), "Null Remote Address");
    const std::string withNul = "http://127.0.0.1" + std::string(1, '\0') + ".example.com:" + port + "/";
    EXPECT_EQ(Raised<std::runtime_error>([&] { client.Get(withNul); }), "Invalid host in URL");
    EXPECT_EQ(Raised<std::runtime_error>([&] { client.Get("http://127.0.0.1\r\nX-Evil\t1:" + port + "/"); }),
              "Invalid host in URL");
    EXPECT_EQ(target.Connections(), 1u);
}

TEST_F(HttpClient, UnusableAddressesSayWhatIsWrongWithThem)
{
    EXPECT_EQ(Raised<std::runtime_error>([&] { client.Get("http:"); }), "No host in URL");
    EXPECT_EQ(Raised<std::runtime_error>([&] { client.Get("http:/127.0.0.1/pad.xml"); }), "No host in URL");
    EXPECT_EQ(Raised<std::runtime_error>([&] { client.Get("http://127.0.0.1:8o/"); }), "Invalid port in URL");
    EXPECT_TRUE(log.events.empty());

    S server(Reply("HTTP/1.0 301 Moved\r\nLocation: http://[::1]:1/\r\n\r\n"));
    EXPECT_EQ(Raised<std::runtime_error>([&] { client.Get(server.Url() + "/"); }), "IPv6 addresses are not supported");
}

TEST_F(HttpClient, ATimeOutKeepsThePartOfALineThatHadArrived)
{
    client.TimeOut = 300;
    S server({S::ReadUntil("\r\n\r\n"), S::Send("HTTP/1.0 200 OK\r\nX-Part: ab"), S::Hold()});
    EXPECT_EQ(Raised<EAbortError>([&] { client.Get(server.Url() + "/"); }), "Socket readln aborted");
    EXPECT_EQ(client.Header, "HTTP/1.0 200 OK\r\nX-Part: ab");
}

TEST_F(HttpClient, FileModesSendAndReceiveFiles)
{
    TempDir dir;
    const std::string payload = "padurl=http://x/y.xml&raw bytes\n";
    const std::string dataFile = dir.Write("send.dat", payload);
    S server({S::ReadUntil("\r\n\r\n"), S::ReadBytes(payload.size()),
              S::Send("HTTP/1.0 200 OK\r\nServer: t\r\n\r\nfile body"), S::Close()});
    client.InputFileMode = true;
    client.OutputFileMode = true;
    client.Body = dir.File("body.htm");
    client.Header = dir.File("head.txt");
    client.Post(server.Url() + "/f", dataFile);
    EXPECT_EQ(server.Received(0), "POST /f HTTP/1.0\r\nHost: 127.0.0.1\r\n" + kAccept + kContentType +
                                      "Content-Length: " + std::to_string(payload.size()) + "\r\n\r\n" + payload);
    EXPECT_EQ(dir.Read("head.txt"), "HTTP/1.0 200 OK\r\nServer: t\r\n\r\n");
    EXPECT_EQ(dir.Read("body.htm"), "file body");
}

} // namespace
