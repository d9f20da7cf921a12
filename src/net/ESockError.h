#pragma once

#include <stdexcept>
#include <string>

// What kind of failure ended a network operation. Code compares kinds; the texts the user
// reads stay the exceptions' own.
enum class NetError {
    Other,              // no kind of its own (a failed start-up, a call out of order, ...)
    SocketError,        // a socket call failed with a Winsock-style code (LastError says which)
    LookupFailed,       // the host name has no address
    LookupTimedOut,     // the name lookup took longer than the time-out
    LookupCanceled,     // the name lookup was broken off
    NoAddress,          // no address to connect to (the lookup, asked twice, found none)
    ConnectFailed,      // the connection could not be made
    TimedOut,           // a wait, or a whole request, took longer than its time-out
    Canceled,           // a wait was broken off by Cancel or Disconnect
    LineTooLong,        // a line longer than the I/O buffer
    HandshakeFailed,    // the TLS handshake failed
    CertificateRefused, // the server's certificate was refused
    CutShort,           // the reply ended before its head or announced body did
    ProxyRefused,       // the proxy refused the tunnel
    BodyTooLarge,       // the reply body passed the client's limit
    HeadTooLarge,       // the reply head passed the client's limit
    AddressTooLong,     // the request target is longer than the client sends
};

// Every socket failure of TSockConnection and THttpClient.
class ESockError : public std::runtime_error {
public:
    explicit ESockError(const std::string& message, NetError kind = NetError::Other)
        : std::runtime_error(message), kind_(kind)
    {}
    NetError Kind() const { return kind_; }

private:
    NetError kind_;
};

// A wait ended by a cancel request or by the time-out while data was being moved.
class EAbortError : public ESockError {
public:
    explicit EAbortError(const std::string& message, NetError kind = NetError::Canceled) : ESockError(message, kind) {}
};
