// The readers and writers of TSockConnection: they move bytes through the top of the
// connection's stack (ByteStream), whatever layers it holds, and wait in the connection's
// own loop. Connecting, closing and the wait itself are in TSockConnection.cpp.
#include "net/TSockConnection.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <stdexcept>

#include "net/WinsockMessage.h"

using Winsock::WSAECONNRESET;
using Winsock::WSAENOTCONN;
using Winsock::WSAEWOULDBLOCK;

// ---------------------------------------------------------------------------------------------
// Sending

// Sends until all is gone, a send returns 0 or cancel is asked for; a full send buffer
// waits in poll() (which also hears the timer, Cancel and Disconnect). Returns what was sent.
std::size_t TSockConnection::SendAll(const char* data, std::size_t length, bool countPackets)
{
    std::size_t done = 0;
    while (done < length && !FCancel) {
        const ssize_t n = Send(data + done, length - done);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EPIPE && !FConnected) {
                Winsock::SetLastError(WSAENOTCONN); // never connected, or closed meanwhile
            } else {
                TakeErrno();
            }
            ErrorManager(WSAEWOULDBLOCK);
            if (!FConnected && !FConnectPending) {
                // A socket that cannot wait for room: report it as not connected.
                Winsock::SetLastError(WSAENOTCONN);
                ErrorManager(0);
            }
            WaitFor(POLLOUT);
            continue;
        }
        done += static_cast<std::size_t>(n);
        if (countPackets) {
            FBytesSent += n;
            if (OnPacketSent) OnPacketSent(this);
        }
    }
    return done;
}

void TSockConnection::SendPiece(const char* data, std::size_t length)
{
    StatusMessage(4, "Sending Buffer");
    TimerScope timer(*this);
    if (!FCancel) SendAll(data, length, false);
    if (FCancel) RaiseAbort("Socket send aborted");
}

void TSockConnection::SendBuffer(const char* Buf, std::uint16_t Length)
{
    SendPiece(Buf, Length ? Length : std::strlen(Buf));
}

void TSockConnection::Write(const std::string& Text)
{
    StatusMessage(8, "Write");
    // Every byte goes, zero bytes included, through the I/O buffer a piece at a time.
    std::size_t offset = 0;
    do {
        const std::size_t piece = std::min(IOBufferSize, Text.size() - offset);
        std::memcpy(IOBuffer(), Text.data() + offset, piece);
        IOBuffer()[piece] = 0;
        SendPiece(IOBuffer(), piece);
        offset += piece;
    } while (offset < Text.size());
}

void TSockConnection::Writeln(const std::string& Text)
{
    StatusMessage(8, "Writeln");
    Write(Text + "\r\n");
}

void TSockConnection::SendFile(const std::string& FileName)
{
    StatusMessage(8, "SendFile");
    std::ifstream file(FileName, std::ios::binary);
    if (!file) throw std::runtime_error("Cannot open file \"" + FileName + "\"");
    while (!FCancel) {
        file.read(IOBuffer(), static_cast<std::streamsize>(IOBufferSize));
        const auto n = static_cast<std::size_t>(file.gcount());
        if (n == 0) break;
        if (SendAll(IOBuffer(), n, true) < n && !FCancel) break;
    }
    if (FCancel) RaiseAbort("Socket send aborted");
}

void TSockConnection::SendStream(std::istream& Stream)
{
    StatusMessage(8, "SendStream");
    FBytesSent = 0;
    Stream.clear();
    Stream.seekg(0, std::ios::end);
    const auto end = Stream.tellg();
    FExpectedTotal = end < 0 ? 0 : static_cast<std::int64_t>(end);
    Stream.seekg(0, std::ios::beg);
    while (!FCancel) {
        Stream.read(IOBuffer(), static_cast<std::streamsize>(IOBufferSize));
        const auto n = static_cast<std::size_t>(Stream.gcount());
        if (n == 0) break;
        if (SendAll(IOBuffer(), n, true) < n) break; // a send of nothing ends it quietly
    }
    if (FCancel) RaiseAbort("Socket send aborted");
}

// ---------------------------------------------------------------------------------------------
// Receiving

bool TSockConnection::ReceiveFailed()
{
    if (errno == EINTR) {
        Winsock::SetLastError(WSAEWOULDBLOCK);
        return false;
    }
    const std::uint16_t code = TakeErrno();
    FLastError = code;
    if (code == WSAENOTCONN) { // closed already; by a reset that nobody has told of yet?
        RaiseIfReset();
        return true;
    }
    if (code == WSAECONNRESET) {
        FPeerReset = true;
        PeerClosed();
        return true;
    }
    ErrorManager(WSAEWOULDBLOCK);
    return false;
}

void TSockConnection::RaiseIfReset()
{
    if (!FPeerReset) return;
    FPeerReset = false;
    Winsock::SetLastError(WSAECONNRESET);
    ErrorManager(WSAEWOULDBLOCK);
}

bool TSockConnection::DataAvailable()
{
    StatusMessage(8, "Data Available");
    if (FStack && FStack->Buffered()) return true;
    char byte = 0;
    const ssize_t n = FOnTransport ? FStack->Read(&byte, 1, true) : ::recv(FSocket, &byte, 1, MSG_PEEK);
    if (n < 0 && errno == ECONNRESET) FPeerReset = true; // told once by the platform: kept for the reader
    return n > 0;
}

void TSockConnection::ClearInput()
{
    StatusMessage(8, "Clearing Input");
    [[maybe_unused]] auto n = Recv(IOBuffer(), IOBufferSize, 0);
}

std::string TSockConnection::ReadLn()
{
    std::string line;
    ReadLnInto(line);
    return line;
}

void TSockConnection::ReadLnInto(std::string& line)
{
    StatusMessage(8, "ReadLn");
    TimerScope timer(*this);
    char* buf = IOBuffer();
    line.clear();
    std::size_t taken = 0; // the line so far, kept at the start of the buffer
    while (!FCancel) {
        if (taken >= IOBufferSize) {
            FLastError = 10040; // message too long
            throw ESockError(LineTooLongText, NetError::LineTooLong);
        }
        const ssize_t n = Recv(buf + taken, IOBufferSize - taken, MSG_PEEK);
        if (n == 0) { // the peer closed: what came of the last line, usually nothing
            PeerClosed();
            return;
        }
        if (n < 0) {
            if (ReceiveFailed()) return;
            WaitFor(POLLIN);
            continue;
        }
        const char* lf = static_cast<const char*>(std::memchr(buf + taken, '\n', static_cast<std::size_t>(n)));
        const std::size_t want = lf ? static_cast<std::size_t>(lf - (buf + taken)) + 1 : static_cast<std::size_t>(n);
        const ssize_t got = Recv(buf + taken, want, 0);
        if (got < 0) {
            if (ReceiveFailed()) return;
            continue;
        }
        line.append(buf + taken, static_cast<std::size_t>(got));
        taken += static_cast<std::size_t>(got);
        if (lf && static_cast<std::size_t>(got) == want) return;
        PumpMessages(false, POLLIN);
    }
    RaiseAbort("Socket readln aborted");
}

std::string TSockConnection::Read(std::uint16_t Count)
{
    StatusMessage(8, "Read( " + std::to_string(Count) + " )");
    char* buf = IOBuffer();
    if (Count == 0) {
        const ssize_t n = Recv(buf, IOBufferSize, MSG_PEEK);
        if (n == 0) {
            PeerClosed();
            return {};
        }
        if (n < 0) {
            ReceiveFailed();
            return {};
        }
        const ssize_t got = Recv(buf, static_cast<std::size_t>(n), 0);
        return got > 0 ? std::string(buf, static_cast<std::size_t>(got)) : std::string();
    }

    // poll() wakes only once Count bytes wait (or the peer closes). Under TLS the bytes on
    // the socket are records, not the data: there each record that comes is decrypted.
    int lowWater = TlsActive() || FOnTransport ? 1 : Count;
    ::setsockopt(FSocket, SOL_SOCKET, SO_RCVLOWAT, &lowWater, sizeof lowWater);
    struct Restore {
        int fd;
        ~Restore()
        {
            int one = 1;
            ::setsockopt(fd, SOL_SOCKET, SO_RCVLOWAT, &one, sizeof one);
        }
    } restore{FSocket};

    while (!FCancel) {
        const ssize_t n = Recv(buf, Count, MSG_PEEK);
        if (n == 0) {
            PeerClosed();
            return {};
        }
        if (n < 0) {
            if (ReceiveFailed()) return {};
        } else if (n >= Count) {
            const ssize_t got = Recv(buf, Count, 0);
            return got > 0 ? std::string(buf, static_cast<std::size_t>(got)) : std::string();
        } else if (FCloseNotified) {
            return {}; // the peer closed before Count bytes came
        }
        WaitFor(POLLIN);
    }
    RaiseAbort("Socket send aborted");
}

std::string TSockConnection::Transaction(const std::string& Command)
{
    StatusMessage(8, "Transaction");
    FReplyNumber = 0;
    Writeln(Command);
    const std::string reply = ReadLn();
    StatusMessage(1, reply);
    if (!reply.empty()) {
        std::int64_t number = 0;
        for (std::size_t i = 0; i < reply.size() && i < 10 && reply[i] >= '0' && reply[i] <= '9'; ++i) {
            number = number * 10 + (reply[i] - '0');
        }
        FReplyNumber = static_cast<std::int16_t>(number);
    }
    return reply;
}

template <class Sink, class Size>
void TSockConnection::CaptureLoop(Sink&& sink, Size&& size, std::int64_t limit, bool singlePass)
{
    char* buf = IOBuffer();
    while (!FCancel && (limit < 0 || size() < limit)) {
        std::size_t want = IOBufferSize;
        if (limit >= 0) want = static_cast<std::size_t>(std::min<std::int64_t>(want, limit - size()));
        const ssize_t n = Recv(buf, want, 0);
        if (n == 0) {
            PeerClosed();
            break;
        }
        if (n > 0) {
            sink(buf, static_cast<std::size_t>(n));
            FBytesReceived += n;
            if (OnPacketRecvd) OnPacketRecvd(this);
            TimerOn(); // the same interval again: the time limit still runs from the start
            if (singlePass) break;
            PumpMessages(false, POLLIN);
            continue;
        }
        if (ReceiveFailed()) break;
        if (singlePass) break;
        WaitFor(POLLIN);
    }
}

void TSockConnection::CaptureString(std::string& Result, std::int64_t Limit)
{
    StatusMessage(8, "Capture String");
    FBytesReceived = 0;
    Result.clear();
    TimerScope timer(*this);
    CaptureLoop([&](const char* data, std::size_t n) { Result.append(data, n); },
                [&] { return static_cast<std::int64_t>(Result.size()); }, Limit, false);
    if (FCancel) RaiseAbort("Socket capture aborted");
}

void TSockConnection::CaptureStream(std::ostream& Stream, std::int64_t Limit)
{
    StatusMessage(8, "Capture Stream");
    FBytesReceived = 0;
    TimerScope timer(*this);
    std::int64_t written = 0;
    const auto start = Stream.tellp();
    CaptureLoop(
        [&](const char* data, std::size_t n) {
            Stream.write(data, static_cast<std::streamsize>(n));
            written += static_cast<std::int64_t>(n);
        },
        [&] { return start < 0 ? written : static_cast<std::int64_t>(start) + written; }, Limit, Limit < 0);
    if (FCancel) RaiseAbort("Socket capture aborted");
}

void TSockConnection::CaptureFile(const std::string& FileName)
{
    StatusMessage(8, "CaptureFile");
    FBytesReceived = 0;
    std::ofstream file(FileName, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("Cannot create file \"" + FileName + "\"");
    TimerScope timer(*this);
    std::int64_t written = 0;
    CaptureLoop(
        [&](const char* data, std::size_t n) {
            file.write(data, static_cast<std::streamsize>(n));
            written += static_cast<std::int64_t>(n);
        },
        [&] { return written; }, -1, false);
    file.close();
    if (FCancel) RaiseAbort("Socket send aborted");
}

void TSockConnection::AppendFile(const std::string& FileName)
{
    StatusMessage(8, "Append File");
    std::fstream file(FileName, std::ios::binary | std::ios::in | std::ios::out | std::ios::ate);
    if (!file) throw std::runtime_error("Cannot open file \"" + FileName + "\"");
    char* buf = IOBuffer();
    while (!FCancel && FConnected) {
        const ssize_t n = Recv(buf, IOBufferSize, 0);
        if (n == 0) {
            PeerClosed();
            break;
        }
        if (n > 0) {
            file.write(buf, n);
            continue;
        }
        if (ReceiveFailed()) break;
        WaitFor(POLLIN);
    }
    file.close();
    if (FCancel) RaiseAbort("Socket send aborted");
}

void TSockConnection::FilterHeader(std::ostream& Stream)
{
    StatusMessage(8, "FilterHeader");
    for (;;) {
        const std::string line = ReadLn();
        Stream.write(line.data(), static_cast<std::streamsize>(line.size()));
        if (line.empty() || line == "\n" || line == "\r\n") break;
    }
}
