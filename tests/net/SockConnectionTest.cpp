#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

#include "net/TSockConnection.h"
#include "net/WinsockMessage.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

using namespace std::chrono_literals;
using Server = ScriptedServer;

namespace {

// Records events and status texts in the order they come, with the thread they came on.
struct Recorder {
    std::vector<std::string> events;
    std::vector<std::string> statuses;
    std::thread::id thread;
    bool foreignThread = false;

    void Attach(TSockConnection& c) {
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
    int CountStatus(const std::string& s) const {
        return static_cast<int>(std::count(statuses.begin(), statuses.end(), s));
    }
};

std::string ExceptionText(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}

double ThreadCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

class SockConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { Resolver::SetSettings({ResolverSettings::Source::HostsFile, {}}); }
    void TearDown() override { Resolver::SetSettings({ResolverSettings::Source::HostsFile, {}}); }

    static void Aim(TSockConnection& c, const Server& s, const std::string& host = "127.0.0.1") {
        c.Host = host;
        c.Port = s.Port();
    }
};

}  // namespace

// --- error texts -----------------------------------------------------------------------------

TEST_F(SockConnectionTest, ErrorTextsAndErrnoMapping) {
    TSockConnection c;
    EXPECT_EQ(c.SocketErrorStr(10061), "10061:Connection refused");
    EXPECT_EQ(c.SocketErrorStr(11004), "11004:Valid name, no data record of requested type");
    EXPECT_EQ(c.SocketErrorStr(12345), "Unknown Error No. 12345");
    EXPECT_EQ(c.SocketErrorStr(0), "");
    EXPECT_EQ(Winsock::WinsockMessage[50].Code, 0u);
    EXPECT_EQ(Winsock::FromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(Winsock::FromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(Winsock::FromErrno(ECONNRESET), 10054);
    EXPECT_EQ(Winsock::FromErrno(ENOTCONN), 10057);
    EXPECT_EQ(Winsock::FromErrno(EWOULDBLOCK), 10035);
    EXPECT_EQ(Winsock::FromErrno(EAGAIN), 10035);
    // An errno without a Winsock counterpart must not borrow another code's text.
    EXPECT_EQ(Winsock::MessageText(Winsock::FromErrno(ENOEXEC)), nullptr);
}

TEST_F(SockConnectionTest, ErrorManagerRaisesAllButTheExpectedCode) {
    TSockConnection c;
    std::vector<std::string> hook;
    c.OnError = [&](TSockConnection*, std::uint16_t code, const std::string& text) {
        hook.push_back(std::to_string(code) + "|" + text);
    };
    Winsock::SetLastError(10035);
    EXPECT_EQ(c.ErrorManager(10035), "");
    EXPECT_EQ(c.GetLastErrorNo(), 10035);
    EXPECT_TRUE(hook.empty());

    Winsock::SetLastError(10054);
    try {
        c.ErrorManager(10035);
        FAIL() << "no exception";
    } catch (const ESockError& e) {
        EXPECT_STREQ(e.what(), "10054:Connection reset by peer");
    }
    ASSERT_EQ(hook.size(), 1u);
    EXPECT_EQ(hook[0], "10054|10054:Connection reset by peer");
    EXPECT_EQ(c.GetLastErrorNo(), 10054);

    Winsock::SetLastError(9999);  // at or below 10000: no error of ours
    EXPECT_NO_THROW(c.ErrorManager(0));
}

// --- timer -----------------------------------------------------------------------------------

TEST(ThreadTimerTest, RunsOnlyWithIntervalEnabledAndHandler) {
    TThreadTimer t;
    EXPECT_FALSE(t.Running());  // no handler yet
    int ticks = 0;
    t.SetOnTimer([&](TThreadTimer*) { ++ticks; });
    EXPECT_TRUE(t.Running());
    t.SetInterval(0);
    EXPECT_FALSE(t.Running());
    t.SetInterval(50);
    t.SetEnabled(false);
    EXPECT_FALSE(t.Running());
    EXPECT_FALSE(t.DeliverDue(TThreadTimer::Clock::now() + 1h));
    EXPECT_EQ(ticks, 0);
}

TEST(ThreadTimerTest, SameValueKeepsThePeriodAndAChangeRestartsIt) {
    TThreadTimer t;
    t.SetOnTimer([](TThreadTimer*) {});
    t.SetInterval(300);
    const auto first = *t.NextTick();
    std::this_thread::sleep_for(5ms);
    t.SetInterval(300);
    t.SetEnabled(true);
    EXPECT_EQ(*t.NextTick(), first);  // nothing changed, nothing restarted

    t.SetInterval(301);
    EXPECT_GT(*t.NextTick(), first);
    const auto second = *t.NextTick();
    std::this_thread::sleep_for(5ms);
    t.SetOnTimer([](TThreadTimer*) {});  // a new handler always restarts
    EXPECT_GT(*t.NextTick(), second);
}

TEST(ThreadTimerTest, DeliversDueTicksAndHandsHandlerErrorsOn) {
    TThreadTimer t;
    int ticks = 0;
    t.SetInterval(100);
    t.SetOnTimer([&](TThreadTimer*) {
        if (++ticks == 2) throw std::runtime_error("handler failed");
    });
    const auto due = *t.NextTick();
    EXPECT_FALSE(t.DeliverDue(due - 1ms));
    EXPECT_TRUE(t.DeliverDue(due));
    EXPECT_EQ(ticks, 1);
    EXPECT_GE(*t.NextTick(), due + 100ms);  // the next period starts

    std::string caught;
    TThreadTimer::SetExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            caught = x.what();
        }
    });
    EXPECT_TRUE(t.DeliverDue(*t.NextTick()));
    EXPECT_EQ(caught, "handler failed");
    TThreadTimer::SetExceptionHandler(nullptr);
}

// --- connecting ------------------------------------------------------------------------------

TEST_F(SockConnectionTest, DottedAddressConnectsWithoutLookup) {
    Server server({Server::Hold()});
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    c.ReportLevel = 8;
    Aim(c, server);
    c.Connect();
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(r.events, std::vector<std::string>{"OnConnect"});
    EXPECT_EQ(r.statuses, (std::vector<std::string>{"Connecting", "Resolve Host", "Timer On", "Timer Off"}));
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

TEST_F(SockConnectionTest, HostsFileNameIsResolvedBeforeConnecting) {
    Server server({Server::Hold()});
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    Aim(c, server, "localhost");
    c.Connect();
    EXPECT_EQ(r.events, (std::vector<std::string>{"OnHostResolved", "OnConnect"}));
    EXPECT_EQ(c.GetRemoteIP(), "127.0.0.1");
}

TEST_F(SockConnectionTest, UnknownHostIsLookedUpTwiceAroundOnInvalidHost) {
    TSockConnection c;
    Recorder r;
    r.Attach(c);
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
    EXPECT_EQ(r.CountStatus("Resolve Host"), 2);
    EXPECT_TRUE(r.events.empty());  // neither OnHostResolved nor OnConnectionFailed

    // Without a handler: one lookup, the same text.
    TSockConnection d;
    Recorder r2;
    r2.Attach(d);
    d.ReportLevel = 8;
    d.Host = "no-such-host.invalid";
    EXPECT_EQ(ExceptionText([&] { d.Connect(); }), "Null Remote Address");
    EXPECT_EQ(r2.CountStatus("Resolve Host"), 1);
}

TEST_F(SockConnectionTest, HandlerMayFixTheHostForTheSecondLookup) {
    Server server({Server::Hold()});
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    c.Host = "mistyped.invalid";
    c.Port = server.Port();
    c.OnInvalidHost = [](TSockConnection* s, bool& handled) {
        s->Host = "localhost";
        handled = true;
    };
    c.Connect();
    EXPECT_EQ(r.events, (std::vector<std::string>{"OnHostResolved", "OnConnect"}));
}

TEST_F(SockConnectionTest, RefusedPortFailsThenTheObjectConnectsAgain) {
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    c.Host = "127.0.0.1";
    c.Port = Server::RefusingPort();
    EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Connection Failed");
    EXPECT_EQ(r.events, std::vector<std::string>{"OnConnectionFailed"});
    EXPECT_EQ(c.GetLastErrorNo(), 10061);
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(ExceptionText([&] { c.CertifyConnect(); }), "Not Connected");
    EXPECT_EQ(ExceptionText([&] { c.Write("x"); }), "10057:Socket is not connected");
    EXPECT_EQ(c.ReadLn(), "");  // nothing to read from an unconnected socket, and no wait

    Server server({Server::Hold()});
    c.Port = server.Port();
    c.Connect();
    EXPECT_TRUE(c.Connected());
}

TEST_F(SockConnectionTest, UnansweredConnectTimesOutOrIsBrokenOff) {
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    c.Host = "127.0.0.1";
    c.Port = Server::UnansweredPort();
    c.TimeOut = 300;
    EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Connection Timed out");
    EXPECT_EQ(r.events, std::vector<std::string>{"OnConnectionFailed"});

    // Without a limit, Cancel or Disconnect from another thread end the wait.
    c.TimeOut = 0;
    for (bool disconnect : {false, true}) {
        r.events.clear();
        std::thread other([&] {
            std::this_thread::sleep_for(150ms);
            if (disconnect) {
                c.Disconnect();
            } else {
                c.Cancel();
            }
        });
        EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Connection Canceled") << disconnect;
        other.join();
        if (disconnect) {
            EXPECT_EQ(r.events, (std::vector<std::string>{"OnDisconnect", "OnConnectionFailed"}));
        } else {
            EXPECT_EQ(r.events, std::vector<std::string>{"OnConnectionFailed"});
        }
        EXPECT_FALSE(r.foreignThread);
    }

    // The same object then connects where it is answered.
    Server server({Server::Hold()});
    c.Port = server.Port();
    c.Connect();
    EXPECT_TRUE(c.Connected());
}

TEST_F(SockConnectionTest, LookupTimesOutAgainstASilentNameServer) {
    Resolver::SetSettings({ResolverSettings::Source::NameServer,
                           "127.0.0.1:" + std::to_string(Server::SilentUdpPort())});
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    int invalid = 0;
    c.OnInvalidHost = [&](TSockConnection*, bool&) { ++invalid; };
    c.Host = "quiet.example";
    c.TimeOut = 300;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Host Lookup Timed Out");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);
    EXPECT_EQ(invalid, 0);
    EXPECT_TRUE(r.events.empty());
}

TEST_F(SockConnectionTest, CancelAndDisconnectFromAnotherThreadEndALookup) {
    Resolver::SetSettings({ResolverSettings::Source::NameServer,
                           "127.0.0.1:" + std::to_string(Server::SilentUdpPort())});
    for (bool disconnect : {false, true}) {
        TSockConnection c;
        c.Host = "quiet.example";
        c.TimeOut = 0;  // only the other thread can end it
        std::thread other([&] {
            std::this_thread::sleep_for(150ms);
            if (disconnect) {
                c.Disconnect();
            } else {
                c.Cancel();
            }
        });
        EXPECT_EQ(ExceptionText([&] { c.Connect(); }), "Host Lookup Canceled") << disconnect;
        other.join();
    }
}

// --- reading ---------------------------------------------------------------------------------

TEST_F(SockConnectionTest, ReadLnTakesWholeLinesWithTheirEnds) {
    Server server({Server::Send("HTTP/1.0 200 OK\r\n"), Server::SendSlowly("Content-Type: text\r\n", 3, 20),
                   Server::Send("lf only\n\r\nrest without end"), Server::Close()});
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    Aim(c, server);
    c.Connect();
    EXPECT_EQ(c.ReadLn(), "HTTP/1.0 200 OK\r\n");
    EXPECT_EQ(c.ReadLn(), "Content-Type: text\r\n");  // arrived in pieces of 3 bytes
    EXPECT_EQ(c.ReadLn(), "lf only\n");
    EXPECT_EQ(c.ReadLn(), "\r\n");
    // The last line has no end: it is kept, not dropped, when the peer closes.
    EXPECT_EQ(c.ReadLn(), "rest without end");
    EXPECT_EQ(c.ReadLn(), "");
    EXPECT_EQ(c.ReadLn(), "");
    EXPECT_FALSE(c.Connected());
    // The peer's close closed the socket once.
    EXPECT_EQ(r.events, (std::vector<std::string>{"OnConnect", "OnDisconnect"}));
}

TEST_F(SockConnectionTest, OverlongLineEndsReadLnWithAnError) {
    std::string longest(TSockConnection::IOBufferSize - 1, 'a');
    longest += '\n';  // exactly fills the buffer: still a line
    Server server({Server::Send(longest), Server::Send(std::string(200000, 'b')), Server::Hold()});
    TSockConnection c;
    Aim(c, server);
    c.TimeOut = 5000;
    c.Connect();
    EXPECT_EQ(c.ReadLn(), longest);
    EXPECT_EQ(ExceptionText([&] { c.ReadLn(); }), TSockConnection::LineTooLongText);
}

TEST_F(SockConnectionTest, ReadTakesWhatWaitsOrExactlyTheCount) {
    Server server({Server::Send("abc"), Server::Wait(100), Server::SendSlowly("0123456789", 2, 30),
                   Server::Send("tail"), Server::Close()});
    TSockConnection c;
    Aim(c, server);
    c.Connect();
    while (!c.DataAvailable()) std::this_thread::sleep_for(5ms);
    EXPECT_EQ(c.Read(0), "abc");
    EXPECT_EQ(c.Read(0), "");  // nothing waits now
    EXPECT_EQ(c.Read(7), "0123456");
    EXPECT_EQ(c.Read(3), "789");
    EXPECT_EQ(c.Read(100), "");  // closed before 100 bytes came
}

TEST_F(SockConnectionTest, TransactionTakesTheReplyNumber) {
    Server server({Server::ReadUntil("HELO me\r\n"), Server::Send("250 Hello there\r\n"),
                   Server::ReadUntil("\r\n"), Server::Send("x\r\n"), Server::Hold()});
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    c.ReportLevel = 1;
    Aim(c, server);
    c.Connect();
    EXPECT_EQ(c.Transaction("HELO me"), "250 Hello there\r\n");
    EXPECT_EQ(c.ReplyNumber(), 250);
    EXPECT_EQ(r.statuses, std::vector<std::string>{"250 Hello there\r\n"});
    EXPECT_EQ(c.Transaction("NOOP"), "x\r\n");
    EXPECT_EQ(c.ReplyNumber(), 0);
}

// --- sending ---------------------------------------------------------------------------------

TEST_F(SockConnectionTest, WriteSendsLongDataWholeAndSendBufferStopsAtZero) {
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
    Server server({Server::ReadBytes(big.size() + 2 + 3), Server::Send("ok\n"), Server::Close()});
    TSockConnection c;
    Aim(c, server);
    c.Connect();
    c.Writeln(big);
    const char zeroed[] = {'x', 'y', 'z', '\0', 'q'};
    c.SendBuffer(zeroed, 0);
    EXPECT_EQ(c.ReadLn(), "ok\n");
    EXPECT_EQ(server.Received(0), big + "\r\n" + "xyz");
}

TEST_F(SockConnectionTest, SendFileAndSendStreamCountWhatTheySend) {
    TempDir dir;
    const std::string fileBytes(150000, 'f');
    const std::string path = dir.Write("out.bin", fileBytes);
    Server server({Server::ReadBytes(150000 + 10), Server::Close()});
    TSockConnection c;
    int packets = 0;
    c.OnPacketSent = [&](TSockConnection*) { ++packets; };
    Aim(c, server);
    c.Connect();
    c.SendFile(path);
    EXPECT_EQ(c.BytesSent(), 150000);
    std::istringstream stream("0123456789");
    c.SendStream(stream);
    EXPECT_EQ(c.BytesSent(), 10);
    EXPECT_EQ(c.ExpectedTotal(), 10);
    EXPECT_GE(packets, 4);
    EXPECT_EQ(server.Received(0), fileBytes + "0123456789");
}

// --- capturing -------------------------------------------------------------------------------

TEST_F(SockConnectionTest, CaptureStringTakesEverythingUntilClose) {
    Server server({Server::Send("x"), Server::Wait(30), Server::Send(std::string(300000, 'y')), Server::Close()});
    TSockConnection c;
    int packets = 0;
    c.OnPacketRecvd = [&](TSockConnection*) { ++packets; };
    Aim(c, server);
    c.TimeOut = 5000;
    c.Connect();
    std::string body;
    c.CaptureString(body, -1);
    EXPECT_EQ(body, "x" + std::string(300000, 'y'));
    EXPECT_EQ(c.BytesReceived(), 300001);
    EXPECT_GE(packets, 2);  // the single byte came as a chunk of its own
}

TEST_F(SockConnectionTest, CaptureLimitsStopAtTheLimitExactly) {
    Server server({Server::Send(std::string(100000, 'z')), Server::Hold()});
    TSockConnection c;
    Aim(c, server);
    c.Connect();
    std::string body;
    c.CaptureString(body, 70000);
    EXPECT_EQ(body.size(), 70000u);
    std::ostringstream rest;
    c.CaptureStream(rest, 30000);
    EXPECT_EQ(rest.str().size(), 30000u);
}

TEST_F(SockConnectionTest, CaptureFileAndFilterHeader) {
    TempDir dir;
    Server server({Server::Send("Head: 1\r\nMore: 2\n\r\nthe body"), Server::Close()});
    TSockConnection c;
    Aim(c, server);
    c.Connect();
    std::ostringstream head;
    c.FilterHeader(head);
    EXPECT_EQ(head.str(), "Head: 1\r\nMore: 2\n\r\n");
    const std::string file = dir.File("body.txt");
    c.CaptureFile(file);
    EXPECT_EQ(dir.Read("body.txt"), "the body");
}

TEST_F(SockConnectionTest, PeerResetEndsTheCaptureWithWhatCame) {
    Server server({Server::Send("partial"), Server::Wait(100), Server::Reset()});
    TSockConnection c;
    Aim(c, server);
    c.TimeOut = 5000;
    c.Connect();
    std::string body;
    c.CaptureString(body, -1);
    EXPECT_EQ(body, "partial");
    EXPECT_FALSE(c.Connected());
}

// --- time-outs, cancel, disconnect -----------------------------------------------------------

TEST_F(SockConnectionTest, SilentServerTimesReadLnOutWithoutSpinning) {
    Server server({Server::Hold()});
    TSockConnection c;
    Aim(c, server);
    c.TimeOut = 400;
    c.Connect();
    const double cpu = ThreadCpuSeconds();
    EXPECT_EQ(ExceptionText([&] { c.ReadLn(); }), "Socket readln aborted");
    EXPECT_TRUE(c.TimedOut());
    EXPECT_FALSE(c.CancelRequested());  // cleared before the raise
    EXPECT_LT(ThreadCpuSeconds() - cpu, 0.2);  // a wait sleeps; it must not poll in a loop
    // The connection stays as it was: the caller decides.
    EXPECT_TRUE(c.Connected());
}

TEST_F(SockConnectionTest, SteadySlowBodyIsCutOffByTheTimeOutFromItsStart) {
    const std::string body(60, 's');
    Server server({Server::SendSlowly(body, 1, 50), Server::Close()});  // about 3 s in all
    TSockConnection c;
    Aim(c, server);
    c.TimeOut = 500;
    c.Connect();
    std::string got;
    EXPECT_EQ(ExceptionText([&] { c.CaptureString(got, -1); }), "Socket capture aborted");
    // Data kept arriving, yet the limit ran from the capture's start.
    EXPECT_GT(got.size(), 0u);
    EXPECT_LT(got.size(), body.size());
}

TEST_F(SockConnectionTest, SlowBodyWithoutTimeOutArrivesWhole) {
    const std::string body = "slow but sure";
    Server server({Server::SendSlowly(body, 2, 20), Server::Close()});
    TSockConnection c;
    Aim(c, server);
    c.Connect();
    std::string got;
    c.CaptureString(got, -1);
    EXPECT_EQ(got, body);
}

TEST_F(SockConnectionTest, DisconnectFromAnotherThreadEndsAWaitAtOnce) {
    Server server({Server::Hold()});
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    Aim(c, server);
    c.TimeOut = 0;  // no limit: only the other thread ends the wait
    c.Connect();
    std::thread other([&] {
        std::this_thread::sleep_for(150ms);
        c.Disconnect();
    });
    EXPECT_EQ(c.ReadLn(), "");
    other.join();
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(r.events, (std::vector<std::string>{"OnConnect", "OnDisconnect"}));
    EXPECT_FALSE(r.foreignThread);  // the events came on the owning thread
    server.WaitFinished(1);         // the server saw the connection end

    c.Connect();  // a fresh socket is ready
    EXPECT_TRUE(c.Connected());
}

TEST_F(SockConnectionTest, DisconnectFromAnotherThreadReachesThePeerWhileTheOwnerIsIdle) {
    Server server({Server::Hold()});
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    Aim(c, server);
    c.Connect();
    std::thread([&] { c.Disconnect(); }).join();
    // The connection ends now, although the owner does nothing ...
    EXPECT_TRUE(server.WaitFinished(1));
    EXPECT_EQ(r.events, std::vector<std::string>{"OnConnect"});
    // ... and the owner closes its side at its next wait, on its own thread.
    EXPECT_EQ(c.ReadLn(), "");
    EXPECT_EQ(r.events, (std::vector<std::string>{"OnConnect", "OnDisconnect"}));
    EXPECT_FALSE(r.foreignThread);
    EXPECT_FALSE(c.Connected());
}

TEST_F(SockConnectionTest, CancelFromAnotherThreadAbortsACapture) {
    Server server({Server::Send("some"), Server::Hold()});
    TSockConnection c;
    Aim(c, server);
    c.Connect();
    std::thread other([&] {
        std::this_thread::sleep_for(150ms);
        c.Cancel();
    });
    std::string got;
    EXPECT_EQ(ExceptionText([&] { c.CaptureString(got, -1); }), "Socket capture aborted");
    other.join();
    EXPECT_EQ(got, "some");
    EXPECT_FALSE(c.CancelRequested());
}

TEST_F(SockConnectionTest, DisconnectFiresOnEveryCloseAndLeavesAFreshSocket) {
    Server server({Server::Hold()});
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    c.ReportLevel = 8;
    Aim(c, server);
    c.Connect();

    // The first socket resets on close; its replacements close the ordinary way.
    linger l{};
    socklen_t len = sizeof l;
    ASSERT_EQ(getsockopt(c.Socket(), SOL_SOCKET, SO_LINGER, &l, &len), 0);
    EXPECT_TRUE(l.l_onoff && l.l_linger == 0);

    r.statuses.clear();
    c.Disconnect();
    EXPECT_EQ(r.statuses, (std::vector<std::string>{"Disconnecting", "Request Close Socket"}));
    EXPECT_FALSE(c.Connected());
    ASSERT_EQ(getsockopt(c.Socket(), SOL_SOCKET, SO_LINGER, &l, &len), 0);
    EXPECT_FALSE(l.l_onoff);
    c.Disconnect();
    EXPECT_EQ(r.events, (std::vector<std::string>{"OnConnect", "OnDisconnect", "OnDisconnect"}));
}

TEST_F(SockConnectionTest, ReportLevelFiltersStatusTexts) {
    Server server({Server::ReadUntil("\n"), Server::Hold()});
    TSockConnection c;
    Recorder r;
    r.Attach(c);
    Aim(c, server);
    c.Connect();
    EXPECT_TRUE(r.statuses.empty());  // level 0 reports nothing
    c.ReportLevel = 4;
    c.Writeln("hi");
    c.Disconnect();
    EXPECT_EQ(r.statuses, (std::vector<std::string>{"Sending Buffer", "Request Close Socket"}));
    EXPECT_EQ(c.GetStatus(), "Request Close Socket");
    EXPECT_EQ(server.Received(0), "hi\r\n");
}

// --- the process-wide count ------------------------------------------------------------------

TEST_F(SockConnectionTest, LiveCountHoldsUnderConcurrentCreation) {
    const int before = TSockConnection::LiveCount();
    std::atomic<int> peak{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 40; ++i) {
                TSockConnection a;
                TSockConnection b;
                int seen = TSockConnection::LiveCount();
                int p = peak.load();
                while (seen > p && !peak.compare_exchange_weak(p, seen)) {
                }
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(TSockConnection::LiveCount(), before);
    EXPECT_GE(peak.load(), before + 2);

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
