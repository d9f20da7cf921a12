#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "net/TSockConnection.h"
#include "net/WinsockMessage.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

using namespace std::chrono_literals;
using Server = ScriptedServer;
using Texts = std::vector<std::string>;

namespace {

// Records events and status texts in the order they come, with the thread they came on.
struct Recorder {
    Texts events, statuses;
    std::thread::id thread;
    bool foreignThread = false;

    void Attach(TSockConnection& c)
    {
        auto note = [this](const std::string& e) {
            events.push_back(e);
            if (std::this_thread::get_id() != thread) foreignThread = true;
        };
        thread = std::this_thread::get_id();
        c.OnConnect = [note](TSockConnection*) { note("OnConnect"); };
        c.OnDisconnect = [note](TSockConnection*) { note("OnDisconnect"); };
        c.OnHostResolved = [note](TSockConnection*) { note("OnHostResolved"); };
        c.OnConnectionFailed = [note](TSockConnection*) { note("OnConnectionFailed"); };
        c.OnStatus = [this](TSockConnection*, const std::string& s) { statuses.push_back(s); };
    }
};

// The text of the exception of type E that `f` raises; any other exception fails the test.
template <class E = std::exception>
std::string ExceptionText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(no exception)";
}

// Runs `f` on another thread after a short while; the caller joins the thread.
std::thread Later(std::function<void()> f)
{
    return std::thread([f = std::move(f)] {
        std::this_thread::sleep_for(150ms);
        f();
    });
}

double ThreadCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// One connection `c` with its recorder; name lookups read the hosts file only.
class SockConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Resolver::SetSettings({ResolverSettings::Source::HostsFile, {}});
        r.Attach(c);
    }
    void TearDown() override { Resolver::SetSettings({ResolverSettings::Source::HostsFile, {}}); }

    void Aim(std::uint16_t port, int timeOut = 0)
    {
        c.Host = "127.0.0.1";
        c.Port = port;
        c.TimeOut = timeOut;
    }
    void Open(const Server& s, int timeOut = 0)
    {
        Aim(s.Port(), timeOut);
        c.Connect();
    }

    TSockConnection c;
    Recorder r;
};

} // namespace

// --- error texts -----------------------------------------------------------------------------

TEST_F(SockConnectionTest, ErrorTextsErrnoMappingAndErrorManager)
{
    EXPECT_EQ(c.SocketErrorStr(10061), "10061:Connection refused");
    EXPECT_EQ(c.SocketErrorStr(11004), "11004:Valid name, no data record of requested type");
    EXPECT_EQ(c.SocketErrorStr(12345), "Unknown Error No. 12345");
    EXPECT_EQ(c.SocketErrorStr(0), "");
    for (auto [err, code] : {std::pair{ECONNREFUSED, 10061},
                             {ETIMEDOUT, 10060},
                             {ECONNRESET, 10054},
                             {ENOTCONN, 10057},
                             {EWOULDBLOCK, 10035},
                             {EAGAIN, 10035}})
        EXPECT_EQ(Winsock::FromErrno(err), code) << err;
    // An errno without a Winsock counterpart must not borrow another code's text.
    EXPECT_EQ(Winsock::MessageText(Winsock::FromErrno(ENOEXEC)), nullptr);

    Texts hook;
    c.OnError = [&](TSockConnection*, std::uint16_t code, const std::string& text) {
        hook.push_back(std::to_string(code) + "|" + text);
    };
    Winsock::SetLastError(10035);
    EXPECT_EQ(c.ErrorManager(10035), ""); // the expected code raises nothing
    EXPECT_EQ(c.GetLastErrorNo(), 10035);
    EXPECT_TRUE(hook.empty());
    Winsock::SetLastError(10054);
    EXPECT_EQ(ExceptionText<ESockError>([&] { c.ErrorManager(10035); }), "10054:Connection reset by peer");
    EXPECT_EQ(hook, Texts{"10054|10054:Connection reset by peer"});
    EXPECT_EQ(c.GetLastErrorNo(), 10054);
    Winsock::SetLastError(9999); // at or below 10000: no error of ours
    EXPECT_NO_THROW(c.ErrorManager(0));
}

// --- connecting ------------------------------------------------------------------------------

TEST_F(SockConnectionTest, DottedAddressConnectsWithoutLookup)
{
    Server server({Server::Hold()});
    c.ReportLevel = 8;
    Open(server);
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(r.events, Texts{"OnConnect"});
    EXPECT_EQ(r.statuses, (Texts{"Connecting", "Resolve Host", "Timer On", "Timer Off"}));
    EXPECT_EQ(c.GetRemoteIP(), "127.0.0.1");
    EXPECT_EQ(c.GetLocalAddress(), "127,0,0,1");
    sockaddr_in local{};
    socklen_t len = sizeof local;
    ASSERT_EQ(getsockname(c.Socket(), reinterpret_cast<sockaddr*>(&local), &len), 0);
    const unsigned port = ntohs(local.sin_port);
    EXPECT_EQ(c.GetPortString(), "," + std::to_string(port / 256) + "," + std::to_string(port % 256));
    EXPECT_NO_THROW(c.CertifyConnect());
    EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Already connected");
}

TEST_F(SockConnectionTest, UnknownHostIsLookedUpTwiceAroundOnInvalidHost)
{
    c.ReportLevel = 8;
    c.Host = "no-such-host.invalid";
    c.Port = 80;
    int invalid = 0;
    c.OnInvalidHost = [&](TSockConnection*, bool& handled) {
        ++invalid;
        handled = true;
    };
    EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Null Remote Address");
    EXPECT_EQ(invalid, 1);
    EXPECT_EQ(std::count(r.statuses.begin(), r.statuses.end(), "Resolve Host"), 2);
    EXPECT_TRUE(r.events.empty()); // neither OnHostResolved nor OnConnectionFailed

    // Without a handler: one lookup, the same text.
    c.OnInvalidHost = nullptr;
    r.statuses.clear();
    EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Null Remote Address");
    EXPECT_EQ(std::count(r.statuses.begin(), r.statuses.end(), "Resolve Host"), 1);

    // The handler may fix the host for the second lookup, which reads the hosts file.
    Server server({Server::Hold()});
    c.Port = server.Port();
    c.OnInvalidHost = [](TSockConnection* s, bool& handled) {
        s->Host = "localhost";
        handled = true;
    };
    c.Connect();
    EXPECT_EQ(r.events, (Texts{"OnHostResolved", "OnConnect"}));
    EXPECT_EQ(c.GetRemoteIP(), "127.0.0.1");
}

TEST_F(SockConnectionTest, AHostNameWithAControlByteIsNeverLookedUpCutShort)
{
    Server server({Server::Hold()});
    for (const std::string& host :
         {std::string("127.0.0.1\0.example.com", 21), std::string("127.0.0.1\n"), std::string("local\x01host")}) {
        Aim(server.Port());
        c.Host = host;
        EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Null Remote Address");
    }
    EXPECT_EQ(server.Connections(), 0u);
    EXPECT_TRUE(r.events.empty());
}

TEST_F(SockConnectionTest, FailedConnectsEndAndTheObjectConnectsAgain)
{
    Aim(Server::UnansweredPort(), 300);
    EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Connection Timed out");
    EXPECT_EQ(r.events, Texts{"OnConnectionFailed"});

    // Without a limit, Cancel or Disconnect from another thread end the wait.
    c.TimeOut = 0;
    for (bool disconnect : {false, true}) {
        r.events.clear();
        std::thread other = Later([&] { disconnect ? c.Disconnect() : c.Cancel(); });
        EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Connection Canceled") << disconnect;
        other.join();
        EXPECT_EQ(r.events, (disconnect ? Texts{"OnDisconnect", "OnConnectionFailed"} : Texts{"OnConnectionFailed"}));
        EXPECT_FALSE(r.foreignThread);
    }

    r.events.clear();
    c.Port = Server::RefusingPort();
    EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Connection Failed");
    EXPECT_EQ(r.events, Texts{"OnConnectionFailed"});
    EXPECT_EQ(c.GetLastErrorNo(), 10061);
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(ExceptionText([&] { c.CertifyConnect(); }), "Not Connected");
    EXPECT_EQ(ExceptionText([&] { c.Write("x"); }), "10057:Socket is not connected");
    EXPECT_EQ(c.ReadLn(), ""); // nothing to read from an unconnected socket, and no wait

    // A refused connect leaves a fresh socket behind.
    Server server({Server::Hold()});
    Open(server);
    EXPECT_TRUE(c.Connected());
}

TEST_F(SockConnectionTest, LookupAgainstASilentNameServerTimesOutOrIsBrokenOff)
{
    Resolver::SetSettings(
        {ResolverSettings::Source::NameServer, "127.0.0.1:" + std::to_string(Server::SilentUdpPort())});
    int invalid = 0;
    c.OnInvalidHost = [&](TSockConnection*, bool&) { ++invalid; };
    c.Host = "quiet.example";
    c.TimeOut = 300;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Host Lookup Timed Out");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);
    EXPECT_EQ(invalid, 0);
    EXPECT_TRUE(r.events.empty());

    for (bool disconnect : {false, true}) {
        TSockConnection d;
        d.Host = "quiet.example";
        d.TimeOut = 0; // only the other thread can end it
        std::thread other = Later([&] { disconnect ? d.Disconnect() : d.Cancel(); });
        EXPECT_EQ(ExceptionText([&] { d.Connect(); }), "Host Lookup Canceled") << disconnect;
        other.join();
    }
}

// --- reading ---------------------------------------------------------------------------------

TEST_F(SockConnectionTest, ReadLnTakesWholeLinesWithTheirEnds)
{
    Server server({Server::Send("HTTP/1.0 200 OK\r\n"), Server::SendSlowly("Content-Type: text\r\n", 3, 20),
                   Server::Send("lf only\n\r\nrest without end"), Server::Close()});
    Open(server);
    EXPECT_EQ(c.ReadLn(), "HTTP/1.0 200 OK\r\n");
    EXPECT_EQ(c.ReadLn(), "Content-Type: text\r\n"); // arrived in pieces of 3 bytes
    EXPECT_EQ(c.ReadLn(), "lf only\n");
    EXPECT_EQ(c.ReadLn(), "\r\n");
    // The last line has no end: it is kept, not dropped, when the peer closes.
    EXPECT_EQ(c.ReadLn(), "rest without end");
    EXPECT_EQ(c.ReadLn(), "");
    EXPECT_EQ(c.ReadLn(), "");
    EXPECT_FALSE(c.Connected());
    // The peer's close closed the socket once.
    EXPECT_EQ(r.events, (Texts{"OnConnect", "OnDisconnect"}));
}

TEST_F(SockConnectionTest, OverlongLineEndsReadLnWithAnError)
{
    std::string longest(TSockConnection::IOBufferSize - 1, 'a');
    longest += '\n'; // exactly fills the buffer: still a line
    Server server({Server::Send(longest), Server::Send(std::string(200000, 'b')), Server::Hold()});
    Open(server, 5000);
    EXPECT_EQ(c.ReadLn(), longest);
    EXPECT_EQ(ExceptionText([&] { c.ReadLn(); }), TSockConnection::LineTooLongText);
}

TEST_F(SockConnectionTest, ReadTakesWhatWaitsOrExactlyTheCount)
{
    Server server({Server::Send("abc"), Server::Wait(100), Server::SendSlowly("0123456789", 2, 30),
                   Server::Send("tail"), Server::Close()});
    Open(server);
    while (!c.DataAvailable()) std::this_thread::sleep_for(5ms);
    EXPECT_EQ(c.Read(0), "abc");
    EXPECT_EQ(c.Read(0), ""); // nothing waits now
    EXPECT_EQ(c.Read(7), "0123456");
    EXPECT_EQ(c.Read(3), "789");
    EXPECT_EQ(c.Read(100), ""); // closed before 100 bytes came
}

TEST_F(SockConnectionTest, TransactionTakesTheReplyNumber)
{
    Server server({Server::ReadUntil("HELO me\r\n"), Server::Send("250 Hello there\r\n"), Server::ReadUntil("\r\n"),
                   Server::Send("x\r\n"), Server::Hold()});
    c.ReportLevel = 1;
    Open(server);
    EXPECT_EQ(c.Transaction("HELO me"), "250 Hello there\r\n");
    EXPECT_EQ(c.ReplyNumber(), 250);
    EXPECT_EQ(r.statuses, Texts{"250 Hello there\r\n"});
    EXPECT_EQ(c.Transaction("NOOP"), "x\r\n");
    EXPECT_EQ(c.ReplyNumber(), 0);
}

// --- sending ---------------------------------------------------------------------------------

TEST_F(SockConnectionTest, EverySendGoesOutWholeAndCountsWhatItSends)
{
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
    TempDir dir;
    const std::string fileBytes(150000, 'f');
    const std::string path = dir.Write("out.bin", fileBytes);
    Server server({Server::ReadBytes(big.size() + 2 + 3 + fileBytes.size() + 10), Server::Close()});
    int packets = 0;
    c.OnPacketSent = [&](TSockConnection*) { ++packets; };
    Open(server);
    c.Writeln(big);
    const char zeroed[] = {'x', 'y', 'z', '\0', 'q'};
    c.SendBuffer(zeroed, 0); // a zero count sends up to the first zero byte
    c.SendFile(path);
    EXPECT_EQ(c.BytesSent(), 150000);
    std::istringstream stream("0123456789");
    c.SendStream(stream);
    EXPECT_EQ(c.BytesSent(), 10);
    EXPECT_EQ(c.ExpectedTotal(), 10);
    EXPECT_GE(packets, 4);
    EXPECT_EQ(server.Received(0), big + "\r\n" + "xyz" + fileBytes + "0123456789");
}

// --- capturing -------------------------------------------------------------------------------

TEST_F(SockConnectionTest, CaptureStringTakesEverythingUntilClose)
{
    const std::string rest = std::string(300000, 'y') + "slow but sure";
    Server server({Server::Send("x"), Server::Wait(30), Server::Send(std::string(300000, 'y')),
                   Server::SendSlowly("slow but sure", 2, 20), Server::Close()});
    int packets = 0;
    c.OnPacketRecvd = [&](TSockConnection*) { ++packets; };
    Open(server); // no time-out: slow data arrives whole
    std::string body;
    c.CaptureString(body, -1);
    EXPECT_EQ(body, "x" + rest);
    EXPECT_EQ(c.BytesReceived(), static_cast<std::int64_t>(body.size()));
    EXPECT_GE(packets, 2); // the single byte came as a chunk of its own
}

TEST_F(SockConnectionTest, HeaderFilterAndCaptureLimitsStopExactly)
{
    TempDir dir;
    Server server({Server::Send("Head: 1\r\nMore: 2\n\r\n" + std::string(100000, 'z') + "the body"), Server::Close()});
    Open(server);
    std::ostringstream head;
    c.FilterHeader(head);
    EXPECT_EQ(head.str(), "Head: 1\r\nMore: 2\n\r\n");
    std::string body;
    c.CaptureString(body, 70000);
    EXPECT_EQ(body, std::string(70000, 'z'));
    std::ostringstream rest;
    c.CaptureStream(rest, 30000);
    EXPECT_EQ(rest.str(), std::string(30000, 'z'));
    c.CaptureFile(dir.File("body.txt"));
    EXPECT_EQ(dir.Read("body.txt"), "the body");
}

TEST_F(SockConnectionTest, AResetDuringAReadRaisesItsErrorAndKeepsWhatCame)
{
    Texts hook;
    c.OnError = [&](TSockConnection*, std::uint16_t code, const std::string&) { hook.push_back(std::to_string(code)); };
    Server resetting({Server::Send("partial"), Server::Wait(100), Server::Reset()});
    Open(resetting, 5000);
    std::string got;
    EXPECT_EQ(ExceptionText<ESockError>([&] { c.CaptureString(got, -1); }), "10054:Connection reset by peer");
    EXPECT_EQ(got, "partial");
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(c.GetLastErrorNo(), 10054);
    EXPECT_EQ(hook, Texts{"10054"});

    // A reset that comes while nobody reads is told by the next read, after the data.
    Server early({Server::ReadUntil("\n"), Server::Send("HTTP/1.0 200"), Server::Reset()});
    Open(early, 5000);
    c.Writeln("GET");
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(ExceptionText<ESockError>([&] { c.ReadLn(); }), "10054:Connection reset by peer");
    EXPECT_EQ(c.Read(5), ""); // told once
    EXPECT_FALSE(c.Connected());

    // An ordinary close is no error, and the next connection starts without the old reset.
    Server closing({Server::Send("line\r\n"), Server::Close()});
    Open(closing, 5000);
    EXPECT_EQ(c.ReadLn(), "line\r\n");
    EXPECT_EQ(c.ReadLn(), "");
}

TEST_F(SockConnectionTest, CaptureEndsAtTheTimeOutOrACancelWithWhatCame)
{
    // Data keeps arriving, yet the limit runs from the capture's start.
    const std::string body(60, 's');
    Server slow({Server::SendSlowly(body, 1, 50), Server::Close()}); // about 3 s in all
    Open(slow, 500);
    std::string part;
    EXPECT_EQ(ExceptionText([&] { c.CaptureString(part, -1); }), "Socket capture aborted");
    EXPECT_GT(part.size(), 0u);
    EXPECT_LT(part.size(), body.size());
    c.Disconnect();

    Server holding({Server::Send("some"), Server::Hold()});
    Open(holding);
    std::thread other = Later([&] { c.Cancel(); });
    std::string some;
    EXPECT_EQ(ExceptionText([&] { c.CaptureString(some, -1); }), "Socket capture aborted");
    other.join();
    EXPECT_EQ(some, "some");
    EXPECT_FALSE(c.CancelRequested());
}

// --- time-outs, cancel, disconnect -----------------------------------------------------------

TEST_F(SockConnectionTest, AWaitEndsAtTheTimeOutOrADisconnectFromAnotherThread)
{
    Server server({Server::Hold()});
    Open(server, 400);
    const double cpu = ThreadCpuSeconds();
    EXPECT_EQ(ExceptionText([&] { c.ReadLn(); }), "Socket readln aborted");
    EXPECT_TRUE(c.TimedOut());
    EXPECT_FALSE(c.CancelRequested());        // cleared before the raise
    EXPECT_LT(ThreadCpuSeconds() - cpu, 0.2); // a wait sleeps; it must not poll in a loop
    EXPECT_TRUE(c.Connected());               // the connection stays as it was: the caller decides

    c.TimeOut = 0; // no limit: only the other thread ends the wait
    std::thread other = Later([&] { c.Disconnect(); });
    EXPECT_EQ(c.ReadLn(), "");
    other.join();
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(r.events, (Texts{"OnConnect", "OnDisconnect"}));
    EXPECT_TRUE(server.WaitFinished(1)); // the server saw the connection end
    c.Connect();                         // a fresh socket is ready
    EXPECT_TRUE(c.Connected());

    std::thread([&] { c.Disconnect(); }).join();
    // The connection ends now, although the owner does nothing ...
    EXPECT_TRUE(server.WaitFinished(2));
    EXPECT_EQ(r.events, (Texts{"OnConnect", "OnDisconnect", "OnConnect"}));
    // ... and the owner closes its side at its next wait, on its own thread.
    EXPECT_EQ(c.ReadLn(), "");
    EXPECT_EQ(r.events, (Texts{"OnConnect", "OnDisconnect", "OnConnect", "OnDisconnect"}));
    EXPECT_FALSE(r.foreignThread);
    EXPECT_FALSE(c.Connected());
}

TEST_F(SockConnectionTest, StatusTextsByLevelAndAFreshSocketAfterEveryClose)
{
    Server server({Server::ReadUntil("\n"), Server::Hold()});
    Open(server);
    EXPECT_TRUE(r.statuses.empty()); // level 0 reports nothing

    // The first socket resets on close; its replacements close the ordinary way.
    linger l{};
    socklen_t len = sizeof l;
    ASSERT_EQ(getsockopt(c.Socket(), SOL_SOCKET, SO_LINGER, &l, &len), 0);
    EXPECT_TRUE(l.l_onoff && l.l_linger == 0);

    c.ReportLevel = 4;
    c.Writeln("hi");
    c.Disconnect();
    EXPECT_EQ(r.statuses, (Texts{"Sending Buffer", "Request Close Socket"}));
    EXPECT_EQ(c.GetStatus(), "Request Close Socket");
    EXPECT_EQ(server.Received(0), "hi\r\n");
    EXPECT_FALSE(c.Connected());
    ASSERT_EQ(getsockopt(c.Socket(), SOL_SOCKET, SO_LINGER, &l, &len), 0);
    EXPECT_FALSE(l.l_onoff);

    r.statuses.clear();
    c.ReportLevel = 8;
    c.Disconnect();
    EXPECT_EQ(r.statuses, (Texts{"Disconnecting", "Request Close Socket"}));
    EXPECT_EQ(r.events, (Texts{"OnConnect", "OnDisconnect", "OnDisconnect"}));
}

// --- the process-wide count ------------------------------------------------------------------

TEST(SockConnectionCount, LiveCountHoldsUnderConcurrentCreation)
{
    const int before = TSockConnection::LiveCount();
    std::atomic<bool> undercounted{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 40; ++i) {
                TSockConnection a, b;
                if (TSockConnection::LiveCount() < before + 2) undercounted = true;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(TSockConnection::LiveCount(), before);
    EXPECT_FALSE(undercounted);

    // Starting an object up again counts it once and replaces its socket, leaking none.
    {
        TSockConnection again;
        const int oldSocket = again.Socket();
        again.InitWinsock();
        EXPECT_EQ(TSockConnection::LiveCount(), before + 1);
        EXPECT_EQ(::fcntl(oldSocket, F_GETFD), -1) << "socket " << oldSocket << " left open";
        EXPECT_EQ(::fcntl(again.Socket(), F_GETFD), FD_CLOEXEC);
    }

    // The first start-up of the process fills the information list; later objects do not.
    if (before == 0) {
        TSockConnection first;
        TSockConnection second;
        ASSERT_EQ(first.Info().size(), 6u);
        EXPECT_EQ(first.Info()[0], "Version= 1.1");
        EXPECT_TRUE(second.Info().empty());
    }
}
