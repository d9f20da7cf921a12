#include "net/ESockError.h"
#include "net/MemoryStream.h"
#include "net/SocketLayer.h"
#include "net/TlsSessionCache.h"
#include "net/TunnelLayer.h"

#include <gtest/gtest.h>

#include <openssl/ssl.h>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

// The network layers' edges that need no server: a proxy's answer played from memory, a
// socket pair, and the session cache itself.

namespace {

// What TunnelLayer's Connect makes of a proxy's answer: "yes", or the error it raises.
std::string Tunnel(const std::string& answer)
{
    TunnelLayer tunnel(std::make_unique<MemoryStream>(std::vector<std::string>{answer}), "example.test:443", 8192);
    try {
        tunnel.Connect({[] { return true; }, [](const std::string&) {}});
        return "yes";
    } catch (const ESockError& e) {
        return e.what();
    }
}

volatile std::sig_atomic_t pipeSignals = 0;

} // namespace

TEST(NetEdge, AProxysAnswerIsBoundedInLinesAndShownWithoutControlCharacters)
{
    std::string endless = "HTTP/1.0 200 Connection established\r\n";
    for (int i = 0; i < 1000; ++i) endless += "X-Padding: " + std::to_string(i) + "\r\n";
    const struct {
        std::string answer, result;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nVia: p\r\n\r\n", "yes"},
        {endless + "\r\n", TunnelLayer::CutShortText},
        {"HTTP/1.0 403 No\x1B[2J\x07 way\x7F\r\n\r\n",
         std::string(TunnelLayer::RefusedText) + "HTTP/1.0 403 No [2J  way "},
    };
    for (const auto& c : cases) EXPECT_EQ(Tunnel(c.answer), c.result);
}

TEST(NetEdge, ASendToAPeerThatHasClosedFailsWithoutASignal)
{
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ::close(pair[1]);
    struct sigaction counting {
    }, before{};
    counting.sa_handler = [](int) { pipeSignals = pipeSignals + 1; };
    ASSERT_EQ(::sigaction(SIGPIPE, &counting, &before), 0);
    SocketLayer socket(pair[0], [](short) {});
    errno = 0;
    const long sent = socket.Write("x", 1);
    const int error = errno;
    ::sigaction(SIGPIPE, &before, nullptr);
    ::close(pair[0]);
    EXPECT_EQ(sent, -1);
    EXPECT_EQ(error, EPIPE);
    EXPECT_EQ(pipeSignals, 0);
}

// The cache is the process's own: keys that sort after every connection's push the others out
// first, so that exactly the bound of them stays.
TEST(NetEdge, TheSessionCacheKeepsAtMostItsBoundOfPlacesTheNewestStaying)
{
    const auto key = [](std::size_t i) {
        char name[32];
        std::snprintf(name, sizeof name,
                      "\xFF"
                      "bound-%05zu",
                      i);
        return std::string(name);
    };
    const std::size_t kept = 2 * TlsSessionCache::Places;
    for (std::size_t i = 0; i < kept; ++i) TlsSessionCache::Keep(key(i), SSL_SESSION_new());
    std::size_t found = 0, firstFound = kept;
    for (std::size_t i = 0; i < kept; ++i) {
        if (SSL_SESSION* s = TlsSessionCache::Take(key(i))) {
            ++found;
            firstFound = std::min(firstFound, i);
            SSL_SESSION_free(s);
        }
        TlsSessionCache::Drop(key(i));
    }
    EXPECT_EQ(found, TlsSessionCache::Places);
    EXPECT_EQ(firstFound, kept - TlsSessionCache::Places);
}

// A TLS 1.3 server sends fresh tickets on every connection and may refuse one used twice; an
// older session may be resumed again and again.
TEST(NetEdge, ATls13SessionIsHandedOutOnceAndATls12OneEachTime)
{
    for (const auto& [version, second] : {std::pair{TLS1_3_VERSION, false}, {TLS1_2_VERSION, true}}) {
        SSL_SESSION* session = SSL_SESSION_new();
        ASSERT_EQ(SSL_SESSION_set_protocol_version(session, version), 1);
        TlsSessionCache::Keep("once-or-more", session);
        SSL_SESSION* first = TlsSessionCache::Take("once-or-more");
        EXPECT_EQ(first, session) << version;
        SSL_SESSION* again = TlsSessionCache::Take("once-or-more");
        EXPECT_EQ(again != nullptr, second) << version;
        SSL_SESSION_free(first);
        if (again) SSL_SESSION_free(again);
        TlsSessionCache::Drop("once-or-more");
    }
}
