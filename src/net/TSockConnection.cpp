#include "net/TSockConnection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include "net/HttpUrl.h"
#include "net/SocketLayer.h"
#include "net/WinsockMessage.h"

using Winsock::WSAECONNRESET;
using Winsock::WSAENOTCONN;
using Winsock::WSAEWOULDBLOCK;

namespace {

std::mutex liveMutex;
int liveCount = 0;

constexpr const char* InitFailedText = "Initializaton of windows sockets failed";

std::string Dotted(std::uint32_t networkOrder)
{
    const auto* b = reinterpret_cast<const unsigned char*>(&networkOrder);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." + std::to_string(b[3]);
}

} // namespace

std::uint16_t TSockConnection::TakeErrno()
{
    const std::uint16_t code = Winsock::FromErrno(errno);
    Winsock::SetLastError(code);
    return code;
}

// ---------------------------------------------------------------------------------------------
// Life

TSockConnection::TSockConnection() : FOwnerThread(std::this_thread::get_id())
{
    StatusMessage(8, "Create");
    FIOBuffer.reset(new char[IOBufferSize + 1]);
    FIOBuffer[0] = 0;
    FIOBuffer[IOBufferSize] = 0;
    Proxy.clear();
    FResolver = std::make_unique<Resolver>();
    FTimer = std::make_unique<TThreadTimer>();
    FTimer->SetEnabled(false);
    FTimer->SetOnTimer([this](TThreadTimer*) { TimerFired(); });
    TimeOut = 0;
    FCancel = false;
    FClosingForGood = false;
    FConnected = false;
    FWakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (FWakeFd < 0) throw ESockError(InitFailedText);
    try {
        InitWinsock();
    } catch (...) {
        ::close(FWakeFd);
        throw;
    }
}

TSockConnection::~TSockConnection()
{
    FDestroying = true;
    StatusMessage(8, "Destroy");
    TSockConnection::Abort();
    Cancel();
    FResolver.reset();
    FClosingForGood = true;
    try {
        RequestCloseSocket();
    } catch (...) {
    }
    if (FCounted) {
        std::lock_guard lock(liveMutex);
        if (--liveCount == 0) Resolver::LibraryCleanup();
    }
    FTimer.reset();
    ::close(FWakeFd);
}

void TSockConnection::InitWinsock()
{
    StatusMessage(8, "Initializing Winsock");
    if (!FCounted) {
        std::lock_guard lock(liveMutex);
        if (liveCount++ == 0) {
            Resolver::LibraryInit();
            rlimit files{};
            ::getrlimit(RLIMIT_NOFILE, &files);
            FInfo = {"Version= 1.1",
                     "High Version= 1.1",
                     "Description= POSIX sockets, c-ares " + Resolver::Version(),
                     "System= Running",
                     "Max Sockets= " + std::to_string(files.rlim_cur),
                     "Max Udp pack size= 65507"};
        }
        FCounted = true;
    }
    try {
        MakeSocket(true);
    } catch (...) {
        std::lock_guard lock(liveMutex);
        if (--liveCount == 0) Resolver::LibraryCleanup();
        FCounted = false;
        throw ESockError(InitFailedText);
    }
}

int TSockConnection::LiveCount()
{
    std::lock_guard lock(liveMutex);
    return liveCount;
}

void TSockConnection::MakeSocket(bool firstSocket)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, firstSocket ? IPPROTO_TCP : 0);
    if (fd < 0) {
        TakeErrno();
        ErrorManager(0);
        throw ESockError(InitFailedText); // an error without a code of its own
    }
    // What is written goes out at once: the last message of a resumed TLS handshake and the
    // request after it would otherwise wait for the server's delayed acknowledgement (Nagle's
    // rule), some 40 ms per connection.
    const int noDelay = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    if (firstSocket) {
        // The first socket resets its connection when closed instead of lingering.
        linger l{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }
    EndStack();
    {
        std::lock_guard lock(FRequestMutex);
        if (FSocket != NoSocket) ::close(FSocket); // a second InitWinsock replaces the socket
        FSocket = fd;
    }
    ++FSocketGeneration;
    FConnected = false;
    FConnectPending = false;
    FCloseNotified = false;
}

// ---------------------------------------------------------------------------------------------
// Status and errors

void TSockConnection::StatusMessage(int Level, const std::string& Text)
{
    if (ReportLevel < Level) return;
    FStatus = Text;
    if (FDestroying || !OnStatus) return;
    try {
        OnStatus(this, Text);
    } catch (...) {
    }
}

std::string TSockConnection::SocketErrorStr(std::uint16_t Code)
{
    StatusMessage(8, "Looking Up Error Message");
    if (Code == 0) return {};
    if (const char* text = Winsock::MessageText(Code)) return std::to_string(Code) + ":" + text;
    return "Unknown Error No. " + std::to_string(Code);
}

std::string TSockConnection::ErrorManager(std::uint16_t Expected)
{
    const std::uint16_t code = Winsock::GetLastError();
    FLastError = code;
    if (code != Expected && code > 10000) {
        const std::string text = SocketErrorStr(code);
        if (OnError) OnError(this, code, text);
        throw ESockError(text, NetError::SocketError);
    }
    return {};
}

void TSockConnection::SetWSAError(std::uint16_t Code, const std::string& Text)
{
    StatusMessage(8, "Setting Winsock Error");
    FLastError = Code;
    Winsock::SetLastError(Code);
    if (OnError) OnError(this, Code, Text);
}

std::uint16_t TSockConnection::GetLastErrorNo()
{
    StatusMessage(8, "Getting LastError Number");
    return FLastError;
}

void TSockConnection::SetLastErrorNo(std::uint16_t Code)
{
    StatusMessage(8, "Setting LastError Number");
    FLastError = Code;
}

void TSockConnection::RaiseAbort(const char* Text)
{
    HandleRequests(); // a Cancel from another thread reports its status before the abort
    const NetError kind = FTimedOut ? NetError::TimedOut : NetError::Canceled;
    FCancel = false;
    throw EAbortError(Text, kind);
}

void TSockConnection::FireSwallowing(const TNotifyEvent& event)
{
    if (!event) return;
    try {
        event(this);
    } catch (...) {
    }
}

// ---------------------------------------------------------------------------------------------
// Cancel, abort, time-out

void TSockConnection::Cancel()
{
    if (IsOwnerThread()) {
        StatusMessage(8, "Canceling");
        FCancel = true;
        return;
    }
    FCancel = true;
    std::lock_guard lock(FRequestMutex);
    FRequests.push_back(Request::Cancel);
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(FWakeFd, &one, sizeof one);
}

void TSockConnection::Abort()
{
    StatusMessage(8, "Abort");
    Cancel();
}

void TSockConnection::TimerOn()
{
    StatusMessage(8, "Timer On");
    FTimedOut = false;
    FTimer->SetInterval(TimeOut > 0 ? static_cast<unsigned>(TimeOut) : 0u);
    FTimer->SetEnabled(true);
}

void TSockConnection::TimerOff()
{
    StatusMessage(8, "Timer Off");
    FTimer->SetEnabled(false);
}

void TSockConnection::TimerFired()
{
    StatusMessage(8, "Timer Triggered");
    TimerOff();
    FTimedOut = true;
    FLookupDone = true;
    Abort();
}

// ---------------------------------------------------------------------------------------------
// The wait: one poll() on the wake-up descriptor, the socket and the resolver, bounded by the
// timer, then the notifications in order: requests from other threads, the socket, the name
// lookup, the timer.

void TSockConnection::PumpMessages(bool Block, short SocketEvents)
{
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth{FPumpDepth};
    std::vector<pollfd> fds;
    fds.reserve(6);
    fds.push_back(pollfd{FWakeFd, POLLIN, 0});

    short socketEvents = 0;
    if (FSocket != NoSocket && !FOnTransport) {
        if (FConnectPending) {
            if (SocketEvents) socketEvents = POLLOUT;
        } else if (FConnected) {
            socketEvents = SocketEvents;
            if ((socketEvents & POLLIN) && !FCloseNotified) socketEvents |= POLLRDHUP;
        }
    }
    const std::size_t socketIndex = fds.size();
    const int watchedSocket = FSocket;
    const unsigned watchedGeneration = FSocketGeneration;
    if (socketEvents) fds.push_back(pollfd{FSocket, socketEvents, 0});
    const std::size_t resolverIndex = fds.size();
    FResolver->AddPollFds(fds);
    const bool lookupBusy = FResolver->Busy();

    int timeoutMs = 0;
    if (Block) {
        timeoutMs = -1;
        if (auto tick = FTimer->NextTick()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*tick - TThreadTimer::Clock::now());
            timeoutMs = static_cast<int>(std::max<std::int64_t>(0, left.count()));
        }
        const int resolverLimit = FResolver->WaitLimitMs();
        if (resolverLimit >= 0 && (timeoutMs < 0 || resolverLimit < timeoutMs)) timeoutMs = resolverLimit;
        if (FCallDeadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*FCallDeadline - TThreadTimer::Clock::now());
            const int callLimit = static_cast<int>(std::max<std::int64_t>(0, left.count()));
            if (timeoutMs < 0 || callLimit < timeoutMs) timeoutMs = callLimit;
        }
    }

    const int ready = ::poll(fds.data(), fds.size(), timeoutMs);
    if (ready < 0) {
        for (pollfd& p : fds) p.revents = 0; // interrupted: look at the timer only
    }

    if (fds[0].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] auto n = ::read(FWakeFd, &count, sizeof count);
        HandleRequests();
    }
    if (socketEvents && FSocket == watchedSocket && FSocketGeneration == watchedGeneration) {
        HandleSocketEvents(fds[socketIndex].revents);
    }
    if (lookupBusy && FResolver->Busy()) {
        FResolver->Process(fds.data() + resolverIndex, fds.size() - resolverIndex);
        if (!FResolver->Busy() && FResolver->Done()) {
            FNoError = FResolver->Status() == 0;
            FLookupDone = true;
        }
    }
    FTimer->DeliverDue();
    // The whole call's limit ends the wait as the time-out of the wait would.
    if (FCallDeadline && !FCallDeadlinePassed && TThreadTimer::Clock::now() >= *FCallDeadline) {
        FCallDeadlinePassed = true;
        TimerFired();
    }
}

void TSockConnection::WaitFor(short events)
{
    if (FStack)
        FStack->Wait(events);
    else
        PumpMessages(true, events);
}

void TSockConnection::HandleRequests()
{
    std::vector<Request> requests;
    {
        std::lock_guard lock(FRequestMutex);
        requests.swap(FRequests);
    }
    for (Request r : requests) {
        try {
            if (r == Request::Cancel) {
                StatusMessage(8, "Canceling");
            } else {
                DoDisconnect();
            }
        } catch (...) {
        }
    }
}

void TSockConnection::HandleSocketEvents(short revents)
{
    if (!revents) return;
    if (FConnectPending) {
        if (!(revents & (POLLOUT | POLLERR | POLLHUP))) return;
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(FSocket, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
        FConnectPending = false;
        const std::uint16_t code = Winsock::FromErrno(err);
        FNoError = code == 0;
        if (FNoError) {
            FConnected = true;
            FCloseNotified = false;
            FireSwallowing(OnConnect);
        } else {
            FLastError = code;
        }
        return;
    }
    if (!FConnected) return;
    if (revents & POLLIN) {
        FNoError = true;
        FireSwallowing(OnDataArrived);
    }
    if ((revents & (POLLRDHUP | POLLHUP | POLLERR)) && !FCloseNotified && FConnected) {
        FNoError = !(revents & POLLERR);
        FCloseNotified = true;
        if (revents & POLLERR) {
            int err = 0;
            socklen_t len = sizeof err;
            if (::getsockopt(FSocket, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == ECONNRESET) FPeerReset = true;
        }
        // Data still waiting is read first; its reader then meets the end and closes.
        try {
            if (!DataAvailable()) RequestCloseSocket();
        } catch (...) {
        }
    }
}

// A reader met the end of the peer's data (or its reset): the connection is over, the
// socket is closed as on the peer's close notification. A reset raises its error then.
void TSockConnection::PeerClosed()
{
    FCloseNotified = true;
    if (FConnected) {
        try {
            RequestCloseSocket();
        } catch (...) {
        }
    }
    RaiseIfReset();
}

// ---------------------------------------------------------------------------------------------
// Connecting and closing

void TSockConnection::ResolveRemoteHost()
{
    StatusMessage(8, "Resolve Host");
    const std::string name = Proxy.empty() ? Host : Proxy;
    // A control byte (a NUL above all) would cut the name short in the lookup: no such name.
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; })) {
        FRemoteAddr.sin_addr.s_addr = 0;
        FLastError = Winsock::WSAHOST_NOT_FOUND;
        throw ESockError("Host Lookup Failed", NetError::LookupFailed);
    }
    const in_addr_t dotted = ::inet_addr(name.c_str());
    if (dotted != INADDR_NONE) {
        FRemoteAddr.sin_addr.s_addr = dotted;
        return;
    }

    FRemoteAddr.sin_addr.s_addr = 0;
    {
        TimerScope timer(*this);
        FLookupDone = false;
        FResolver->Start(name);
        if (FResolver->Done()) {
            FNoError = FResolver->Status() == 0;
            FLookupDone = true;
        }
        while (!FLookupDone && !FTimedOut && !FCancel) PumpMessages(true, 0);
    }
    const bool answered = FResolver->Done() && !FResolver->Busy();
    FResolver->Cancel();

    if (FTimedOut) throw ESockError("Host Lookup Timed Out", NetError::LookupTimedOut);
    if (FCancel) throw ESockError("Host Lookup Canceled", NetError::LookupCanceled);
    if (answered && FResolver->Status() == 0 && FResolver->Address() != 0) {
        FRemoteAddr.sin_addr.s_addr = FResolver->Address();
        if (OnHostResolved) OnHostResolved(this);
        return;
    }
    FLastError = Winsock::FromAresStatus(answered ? FResolver->Status() : -1);
    throw ESockError("Host Lookup Failed", NetError::LookupFailed);
}

void TSockConnection::Connect()
{
    StatusMessage(8, "Connecting");
    HandleRequests(); // a Disconnect asked for before this call does not cancel it
    FCancel = false;
    // ... unless it broke off the larger call that this connection is part of.
    if (CallBrokenOff()) FCancel = true;
    if (FConnected) throw ESockError("Already connected");

    FInConnect = true;
    struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{FInConnect};

    if (Transport) {
        EndStack();
        FStack = Transport();
        FOnTransport = true;
        FConnected = true;
        FCloseNotified = false;
        FPeerReset = false;
        FireSwallowing(OnConnect);
        ConnectLayers();
        return;
    }

    for (int attempt = 0;; ++attempt) {
        try {
            ResolveRemoteHost();
        } catch (const ESockError& e) {
            if (e.Kind() == NetError::LookupTimedOut || e.Kind() == NetError::LookupCanceled) throw;
        }
        if (FRemoteAddr.sin_addr.s_addr != 0) break;
        if (attempt == 0 && OnInvalidHost) {
            bool handled = false;
            OnInvalidHost(this, handled);
            if (handled) continue;
        }
        throw ESockError("Null Remote Address", NetError::NoAddress);
    }

    FRemoteAddr.sin_family = AF_INET;
    FRemoteAddr.sin_port = htons(static_cast<std::uint16_t>((Proxy.empty() ? Port : ProxyPort) & 0xFFFF));
    FLookupDone = false;
    FNoError = true;

    if (FSocket == NoSocket) MakeSocket(false);
    FCloseNotified = false;
    FPeerReset = false;
    if (::connect(FSocket, reinterpret_cast<const sockaddr*>(&FRemoteAddr), sizeof FRemoteAddr) == 0) {
        FConnectPending = true; // made at once; the notification follows in the wait
    } else {
        const int err = errno;
        switch (err) {
        case EINPROGRESS:
        case EINTR: FConnectPending = true; break;
        case ECONNREFUSED:
        case ETIMEDOUT:
        case ENETUNREACH:
        case EHOSTUNREACH:
            // Reported by the connection notification, as if it had come later.
            FNoError = false;
            FLastError = Winsock::FromErrno(err);
            break;
        default:
            TakeErrno();
            ErrorManager(WSAEWOULDBLOCK);
            FConnectPending = true;
            break;
        }
    }

    {
        TimerScope timer(*this);
        while (!FConnected && !FTimedOut && !FCancel && FNoError) PumpMessages(true, POLLOUT);
    }
    if (!FTimedOut && !FCancel && FNoError) {
        FStack = std::make_unique<SocketLayer>(FSocket, [this](short events) { PumpMessages(true, events); });
        ConnectLayers();
        return;
    }
    // A socket whose connection failed (or is still under way) cannot be used again: the
    // next Connect starts on a fresh one.
    StartFailed();
    throw ESockError("Connection Failed", NetError::ConnectFailed);
}

std::vector<TSockConnection::LayerMaker> TSockConnection::Layers() const
{
    std::vector<LayerMaker> layers;
    if (!UseTls) return layers;
    const unsigned port = Port & 0xFFFF;
    // Through a proxy the tunnel comes first: TLS then runs end to end, inside it.
    if (!Proxy.empty()) {
        layers.push_back(
            [authority = EscapeRequestTarget(Host) + ":" + std::to_string(port)](std::unique_ptr<ByteStream> lower) {
                return std::make_unique<TunnelLayer>(std::move(lower), authority, IOBufferSize);
            });
    }
    layers.push_back([caFile = CaFile, host = Host, port](std::unique_ptr<ByteStream> lower) {
        return std::make_unique<TlsLayer>(std::move(lower), caFile, host, port);
    });
    return layers;
}

void TSockConnection::ConnectLayers()
{
    const ByteStream::Link link{[this] { return !FTimedOut && !FCancel && FConnected; },
                                [this](const std::string& text) { StatusMessage(4, text); }};
    for (const LayerMaker& make : Layers()) {
        // An OnConnect handler may have closed the connection again.
        if (!FConnected || !FStack) throw ESockError("Connection Failed", NetError::ConnectFailed);
        try {
            FStack = make(std::move(FStack));
            // The layer stays alive until we return: in the stack, or among the ended ones.
            ByteStream& layer = *FStack;
            TimerScope timer(*this);
            layer.Connect(link);
        } catch (const LayerError& e) {
            LayerFailed(e);
        } catch (...) {
            ReplaceSocketQuietly(); // a Connect that raises leaves no connection behind
            throw;
        }
    }
}

void TSockConnection::StartFailed()
{
    ReplaceSocketQuietly();
    if (OnConnectionFailed) OnConnectionFailed(this);
    if (FTimedOut) throw ESockError("Connection Timed out", NetError::TimedOut);
    if (FCancel) throw ESockError("Connection Canceled", NetError::Canceled);
}

void TSockConnection::LayerFailed(const LayerError& error)
{
    switch (error.HowItEnds()) {
    case LayerError::Ends::Handshake:
        // A Disconnect from another thread that came while the handshake ran (and made it
        // fail) is a cancel, not the server's doing.
        HandleRequests();
        StartFailed();
        break;
    case LayerError::Ends::Answer:
        ReplaceSocketQuietly();
        if (error.LastError()) FLastError = error.LastError();
        break;
    case LayerError::Ends::NoAnswer:
        ReplaceSocketQuietly();
        if (error.Errno()) {
            errno = error.Errno();
            FLastError = TakeErrno();
            ErrorManager(0);
        }
        if (FTimedOut || FCancel) RaiseAbort("Socket readln aborted");
        break;
    }
    throw ESockError(error.what(), error.Kind());
}

long TSockConnection::Recv(char* buf, std::size_t length, int flags)
{
    if (FStack) return FStack->Read(buf, length, (flags & MSG_PEEK) != 0);
    return ::recv(FSocket, buf, length, flags);
}

long TSockConnection::Send(const char* data, std::size_t length)
{
    if (FStack) return FStack->Write(data, length);
    return ::send(FSocket, data, length, MSG_NOSIGNAL);
}

void TSockConnection::EndStack()
{
    FOnTransport = false;
    if (FStack) FStack->BreakOff();
    // Inside a wait, a layer further up may still be in a call of its own.
    if (FPumpDepth > 0) {
        if (FStack) FRetired.push_back(std::move(FStack));
        return;
    }
    FStack.reset();
    FRetired.clear();
}

void TSockConnection::ReplaceSocketQuietly()
{
    EndStack();
    FConnected = false;
    FConnectPending = false;
    if (Transport) return; // the socket is not used
    {
        std::lock_guard lock(FRequestMutex);
        if (FSocket != NoSocket) ::close(FSocket);
        FSocket = NoSocket;
    }
    if (!FClosingForGood) MakeSocket(false);
}

void TSockConnection::Disconnect()
{
    if (IsOwnerThread()) {
        DoDisconnect();
        return;
    }
    // From another thread: the owner closes at its next wait (which this ends at once); the
    // connection itself is shut down now.
    std::lock_guard lock(FRequestMutex);
    FRequests.push_back(Request::Disconnect);
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(FWakeFd, &one, sizeof one);
    if (FSocket != NoSocket) ::shutdown(FSocket, SHUT_RDWR);
}

void TSockConnection::DoDisconnect()
{
    StatusMessage(8, "Disconnecting");
    if (FInConnect || (FResolver && FResolver->Busy())) FCancel = true; // breaks off a Connect under way
    RequestCloseSocket();
}

void TSockConnection::RequestCloseSocket()
{
    StatusMessage(4, "Request Close Socket");
    FConnected = false;
    FConnectPending = false;
    EndStack();
    // On streams from memory a close ends the stack alone; the socket stays unused.
    if (Transport && !FClosingForGood) {
        if (!FDestroying && OnDisconnect) OnDisconnect(this);
        return;
    }
    if (FSocket == NoSocket) return;
    int rc = 0;
    {
        std::lock_guard lock(FRequestMutex);
        rc = ::close(FSocket);
        FSocket = NoSocket;
    }
    ++FSocketGeneration;
    if (rc != 0) TakeErrno();
    // A fresh socket first, so that an OnDisconnect handler may connect again.
    if (!FClosingForGood) MakeSocket(false);
    if (rc != 0) {
        ErrorManager(WSAEWOULDBLOCK);
        return;
    }
    if (!FDestroying && OnDisconnect) OnDisconnect(this);
}

void TSockConnection::Close(int Socket)
{
    StatusMessage(8, "Closing Socket");
    if (Socket == FSocket && IsOwnerThread()) EndStack();
    std::lock_guard lock(FRequestMutex);
    if (Socket == FSocket) {
        FSocket = NoSocket;
        FConnected = false;
        FConnectPending = false;
    }
    if (Socket >= 0) ::close(Socket);
}

void TSockConnection::CertifyConnect()
{
    StatusMessage(8, "Checking Connection");
    if (!FConnected) throw std::runtime_error("Not Connected");
}

// ---------------------------------------------------------------------------------------------
// Diagnostics

std::string TSockConnection::GetRemoteIP()
{
    StatusMessage(8, "Getting Remote IP");
    return Dotted(FRemoteAddr.sin_addr.s_addr);
}

std::string TSockConnection::GetLocalIP()
{
    StatusMessage(8, "Getting Local IP");
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    // The local name goes through the same resolver as every other name.
    Resolver lookup;
    lookup.Start(name);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (lookup.Busy() && std::chrono::steady_clock::now() < until) {
        std::vector<pollfd> fds;
        lookup.AddPollFds(fds);
        int wait = lookup.WaitLimitMs();
        if (wait < 0 || wait > 100) wait = 100;
        ::poll(fds.data(), fds.size(), wait);
        lookup.Process(fds.data(), fds.size());
    }
    if (!lookup.Done() || lookup.Status() != 0) return {};
    return Dotted(lookup.Address());
}

std::string TSockConnection::GetLocalAddress()
{
    sockaddr_in local{};
    socklen_t len = sizeof local;
    if (::getsockname(FSocket, reinterpret_cast<sockaddr*>(&local), &len) != 0) local.sin_addr.s_addr = 0;
    std::string text = Dotted(local.sin_addr.s_addr);
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string TSockConnection::GetPortString()
{
    sockaddr_in local{};
    socklen_t len = sizeof local;
    if (::getsockname(FSocket, reinterpret_cast<sockaddr*>(&local), &len) != 0) local.sin_port = 0;
    const unsigned port = ntohs(local.sin_port);
    return "," + std::to_string(port >> 8) + "," + std::to_string(port & 0xFF);
}
