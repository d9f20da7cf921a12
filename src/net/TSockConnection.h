#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/ByteStream.h"
#include "net/ESockError.h"
#include "net/Resolver.h"
#include "net/TThreadTimer.h"
#include "net/TlsLayer.h"
#include "net/TunnelLayer.h"

class TSockConnection;

using TNotifyEvent = std::function<void(TSockConnection* Sender)>;
using THandlerEvent = std::function<void(TSockConnection* Sender, bool& Handled)>;
using TOnHostResolved = std::function<void(TSockConnection* Sender)>;
using TOnStatus = std::function<void(TSockConnection* Sender, const std::string& Status)>;
using TOnErrorEvent = std::function<void(TSockConnection* Sender, std::uint16_t Errno, const std::string& Errmsg)>;

// One TCP client connection, as a stack of layers behind one byte-stream interface: the
// socket, then a proxy's tunnel (for TLS through a proxy), then the TLS session. The
// connection looks the name up, connects the socket and owns the wait; each layer above the
// socket connects itself (see Layers). Readers and writers use the top of the stack only, so
// they work alike on every stack (and on bytes from memory, see Transport). The connection
// keeps the one cancel and time-out state of its stack. Every operation blocks its caller
// until it is done; while it waits it handles the connection's own notifications (connection
// made, data arrived, peer closed, name looked up, timer) in order, on the calling thread,
// sleeping in poll() on the socket, a wake-up descriptor and the resolver's descriptors,
// never longer than the timer allows. TimeOut limits each wait; a time-out or a cancel
// request ends the operation with an exception of fixed text.
//
// The object belongs to the thread that creates it. Only Disconnect and Cancel may be
// called from other threads: they end a wait in progress at once, and what they do to the
// object (the close, the status texts, OnDisconnect) is carried out by the owning thread at
// its next wait. A Disconnect from another thread also shuts the connection down at once, so
// the peer sees it even when the owner is idle.
class TSockConnection {
public:
    static constexpr std::size_t IOBufferSize = 65536;
    static constexpr int NoSocket = -1;

    TSockConnection();
    virtual ~TSockConnection();
    TSockConnection(const TSockConnection&) = delete;
    TSockConnection& operator=(const TSockConnection&) = delete;

    // --- properties ---------------------------------------------------------------------
    std::string Host;    // name or dotted IPv4 address of the server
    int Port = 0;        // server port (low 16 bits used)
    int TimeOut = 0;     // limit of each wait in ms; 0 (or below) waits without limit
    int ReportLevel = 0; // status texts of this level or lower are reported
    std::string Proxy;   // connect to this host instead (empty: none)
    int ProxyPort = 0;   // port of the proxy (low 16 bits used)
    // TLS: with UseTls, Connect opens a TLS session over the connection once it is made;
    // through a proxy it first asks the proxy for a tunnel to Host:Port. TLS 1.2 and 1.3
    // only; the server's certificate is verified against the system's trust store and
    // CaFile, and its name (or address) must be Host. Nothing turns that off.
    bool UseTls = false;
    std::string CaFile; // an extra certificate authority file (PEM); empty: none
    // For tests and fuzzing: when set, Connect takes the stream it makes as the bottom of the
    // stack instead of a TCP connection (no lookup; the socket is left alone); the layers
    // above, the readers and the writers work on it as on a socket.
    std::function<std::unique_ptr<ByteStream>()> Transport;

    // --- events (fired on the owning thread) ----------------------------------------------
    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    THandlerEvent OnInvalidHost;
    TOnHostResolved OnHostResolved;
    TOnStatus OnStatus;
    TNotifyEvent OnConnectionFailed;
    TNotifyEvent OnPacketRecvd;
    TNotifyEvent OnPacketSent;
    // Called on each data-arrived notification; its exceptions are swallowed.
    TNotifyEvent OnDataArrived;
    // Called with the code and text just before a socket error is raised.
    TOnErrorEvent OnError;

    // --- connection -----------------------------------------------------------------------
    virtual void Connect();
    // Closes the connection (RequestCloseSocket). May be called from any thread.
    virtual void Disconnect();
    // Raises "Not Connected" (std::runtime_error) unless connected.
    void CertifyConnect();
    // Sets the cancel flag. May be called from any thread.
    void Cancel();
    // Cancel; a derived class adds its own steps.
    virtual void Abort();
    void ResolveRemoteHost();
    // A layer of the stack, made over the layer below it.
    using LayerMaker = std::function<std::unique_ptr<ByteStream>(std::unique_ptr<ByteStream> lower)>;
    // The layers Connect stacks on the connection made, bottom first: each is made over the one
    // below and connected (ByteStream::Connect) before the next is made, each step bounded by
    // TimeOut and broken off by Cancel and Disconnect. Here: with UseTls, a proxy's tunnel to
    // Host:Port when there is a proxy, then TLS. A layer that fails closes the connection and
    // raises ESockError with its text, as LayerError tells: a failed handshake also fires
    // OnConnectionFailed ("Connection Timed out", "Connection Canceled" when those ended it;
    // CertificateRefusedText, HandshakeFailedText); a proxy's answer raises
    // TunnelLayer::RefusedText and its status line or TunnelLayer::CutShortText, and its
    // time-out the readers' abort.
    virtual std::vector<LayerMaker> Layers() const;
    bool TlsActive() const { return FStack && FStack->Secure(); }
    // The TLS session was resumed from an earlier connection to Host and Port in this process
    // (a shorter handshake), rather than made anew.
    bool TlsResumed() const { return TlsActive() && FStack->Resumed(); }
    void RequestCloseSocket();
    void Close(int Socket);

    // --- sending --------------------------------------------------------------------------
    // Sends Length bytes of Buf; Length 0 sends up to the first zero byte.
    void SendBuffer(const char* Buf, std::uint16_t Length);
    // Sends every byte of the string (in pieces of at most IOBufferSize bytes).
    void Write(const std::string& Text);
    void Writeln(const std::string& Text);
    void SendFile(const std::string& FileName);
    void SendStream(std::istream& Stream);

    // --- receiving ------------------------------------------------------------------------
    // One line including its line end. Empty when the peer has closed and nothing was left.
    // A line longer than the I/O buffer raises ESockError(LineTooLongText); a reset by the
    // peer raises its socket error (also for the other readers and the captures).
    std::string ReadLn();
    // Count 0: whatever is waiting now. Count n: waits until n bytes are waiting and takes
    // exactly n; empty when the connection closes first.
    std::string Read(std::uint16_t Count);
    virtual std::string Transaction(const std::string& Command);
    void AppendFile(const std::string& FileName);
    void CaptureFile(const std::string& FileName);
    // Limit -1: one receive pass only; otherwise until the stream holds Limit bytes or the
    // peer closes.
    void CaptureStream(std::ostream& Stream, std::int64_t Limit);
    // Limit -1: no limit; otherwise stops once the string holds Limit bytes (never more).
    void CaptureString(std::string& Result, std::int64_t Limit);
    void FilterHeader(std::ostream& Stream);
    bool DataAvailable();
    void ClearInput();

    // --- errors ---------------------------------------------------------------------------
    // "code:text" from the WinsockMessage table; empty for 0; "Unknown Error No. code".
    std::string SocketErrorStr(std::uint16_t Code);
    // Takes the thread's last socket error as the last error number; raises ESockError with
    // its text when it is above 10000 and not Expected; otherwise returns "".
    std::string ErrorManager(std::uint16_t Expected);
    void SetWSAError(std::uint16_t Code, const std::string& Text);
    std::uint16_t GetLastErrorNo();
    void SetLastErrorNo(std::uint16_t Code);

    // --- diagnostics ----------------------------------------------------------------------
    std::string GetRemoteIP();
    std::string GetLocalIP();
    std::string GetLocalAddress();
    std::string GetPortString();

    // --- time-out -------------------------------------------------------------------------
    void TimerOn();
    void TimerOff();
    void TimerFired();

    void InitWinsock();

    // --- status ---------------------------------------------------------------------------
    // Reports Text through OnStatus when ReportLevel >= Level.
    void StatusMessage(int Level, const std::string& Text);
    const std::string& GetStatus() const { return FStatus; }

    // --- state, read only -----------------------------------------------------------------
    bool Connected() const { return FConnected; }
    bool TimedOut() const { return FTimedOut; }
    bool CancelRequested() const { return FCancel.load(); }
    int Socket() const { return FSocket; }
    // The remote address in network byte order; 0 when none is known.
    std::uint32_t RemoteAddress() const { return FRemoteAddr.sin_addr.s_addr; }
    std::int64_t BytesSent() const { return FBytesSent; }
    std::int64_t BytesReceived() const { return FBytesReceived; }
    std::int64_t ExpectedTotal() const { return FExpectedTotal; }
    std::int16_t ReplyNumber() const { return FReplyNumber; }
    // The lines filled by the first start-up of the process (empty on every other object).
    const std::vector<std::string>& Info() const { return FInfo; }
    TThreadTimer& Timer() { return *FTimer; }

    // Live objects in this process.
    static int LiveCount();

    // Texts of the exceptions, as raised.
    static constexpr const char* LineTooLongText = TunnelLayer::LineTooLongText;
    static constexpr const char* CertificateRefusedText = TlsLayer::CertificateRefusedText;
    static constexpr const char* HandshakeFailedText = TlsLayer::HandshakeFailedText;

protected:
    // The I/O buffer: IOBufferSize bytes and one for a terminating zero.
    char* IOBuffer() { return FIOBuffer.get(); }

    // ReadLn into `line`, which holds the part of the line taken so far when it raises.
    void ReadLnInto(std::string& line);

    // Raises EAbortError(Text) after clearing the cancel flag.
    [[noreturn]] void RaiseAbort(const char* Text);
    void ClearCancel() { FCancel.store(false); }
    // True while the caller's whole call is broken off: Connect then keeps the cancel flag
    // set instead of starting afresh. The plain connection has no such calls.
    virtual bool CallBrokenOff() const { return false; }

    // Handles the pending notifications; with Block, first sleeps until there is one (or the
    // timer is due). SocketEvents: the poll() events of interest on the socket (POLLIN to
    // hear data and closes, POLLOUT for a connection or room to send).
    void PumpMessages(bool Block, short SocketEvents);
    // Waits on the top of the stack for `events` (or, without a stack, on the socket).
    void WaitFor(short events);

    // A limit for the whole of a larger call (several connections one after the other): a
    // wait that reaches it ends as at the time-out, and CallDeadlinePassed tells so. Unset
    // (the default): each wait has TimeOut alone.
    void SetCallDeadline(std::optional<TThreadTimer::Clock::time_point> deadline)
    {
        FCallDeadline = deadline;
        FCallDeadlinePassed = false;
    }
    bool CallDeadlinePassed() const { return FCallDeadlinePassed; }

    std::string FStatus;
    std::uint16_t FLastError = 0;
    std::atomic<bool> FCancel{false};
    bool FTimedOut = false;
    bool FNoError = true;
    bool FLookupDone = false;
    bool FConnected = false;
    bool FClosingForGood = false;
    bool FDestroying = false;
    sockaddr_in FRemoteAddr{};
    int FSocket = NoSocket;
    std::int64_t FBytesSent = 0;
    std::int64_t FBytesReceived = 0;
    std::int64_t FExpectedTotal = 0;
    std::int16_t FReplyNumber = 0;
    std::vector<std::string> FInfo;
    std::unique_ptr<TThreadTimer> FTimer;

private:
    enum class Request { Cancel, Disconnect };

    // Records the calling thread's errno as its last socket error and returns the code.
    static std::uint16_t TakeErrno();
    // Ends the time-out of an operation on every way out of it.
    class TimerScope {
    public:
        explicit TimerScope(TSockConnection& c) : c_(c) { c_.TimerOn(); }
        ~TimerScope() { c_.TimerOff(); }
        TimerScope(const TimerScope&) = delete;
        TimerScope& operator=(const TimerScope&) = delete;

    private:
        TSockConnection& c_;
    };

    bool IsOwnerThread() const { return std::this_thread::get_id() == FOwnerThread; }
    void MakeSocket(bool firstSocket);
    void ReplaceSocketQuietly();
    void DoDisconnect();
    void HandleRequests();
    void HandleSocketEvents(short revents);
    void PeerClosed();
    // Raises the peer's reset once, if one came on this connection and was not told yet.
    void RaiseIfReset();
    void SendPiece(const char* data, std::size_t length);
    std::size_t SendAll(const char* data, std::size_t length, bool countPackets);
    // A failed receive: stores the error; true when the connection has ended (not
    // connected); raises on a reset by the peer and on every other error but would-block.
    bool ReceiveFailed();
    // The receive loop of the captures: sink(data, n) takes what arrives, size() tells how
    // much is held, limit -1 means none.
    template <class Sink, class Size>
    void CaptureLoop(Sink&& sink, Size&& size, std::int64_t limit, bool singlePass);
    void FireSwallowing(const TNotifyEvent& event);
    // Read and Write on the top of the stack (recv() and send() on the socket when there is
    // none). They answer as the system calls do: bytes, 0 for the peer's close, or -1 with
    // errno (EAGAIN when a layer waits for the socket).
    long Recv(char* buf, std::size_t length, int flags);
    long Send(const char* data, std::size_t length);
    // Ends the stack (the socket is closed by the caller). Layers may be in a call further up
    // this thread's stack (a close heard inside a wait): they are broken off and kept until
    // the stack next ends outside a wait, or the connection does.
    void EndStack();
    // Ends a failed start of the stack: a fresh socket, OnConnectionFailed, and the error of
    // the time-out or cancel when one came meanwhile.
    void StartFailed();
    // Makes and connects the layers over the connection made, as Layers() lists them.
    void ConnectLayers();
    // Closes the connection after a layer's Connect failed and raises the error it tells.
    [[noreturn]] void LayerFailed(const LayerError& error);

    std::unique_ptr<char[]> FIOBuffer;
    std::unique_ptr<Resolver> FResolver;
    std::thread::id FOwnerThread;
    int FWakeFd = -1;
    bool FConnectPending = false;   // a connect() is under way on FSocket
    bool FCloseNotified = false;    // the peer's close on FSocket has been seen
    bool FPeerReset = false;        // the peer reset this connection; the next reader raises it
    bool FInConnect = false;        // Connect is running (a Disconnect then cancels it)
    bool FCounted = false;          // this object is in the live count
    unsigned FSocketGeneration = 0; // changes with every new socket

    std::unique_ptr<ByteStream> FStack;                // the top layer; owner thread only
    std::vector<std::unique_ptr<ByteStream>> FRetired; // ended inside a wait; freed outside one
    int FPumpDepth = 0;                                // waits in progress on this thread
    bool FOnTransport = false;                         // the stack's bottom is Transport's, not FSocket
    std::optional<TThreadTimer::Clock::time_point> FCallDeadline;
    bool FCallDeadlinePassed = false;

    std::mutex FRequestMutex; // guards FRequests, and FSocket for other threads
    std::vector<Request> FRequests;
};
