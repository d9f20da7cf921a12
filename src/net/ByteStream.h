#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "net/ESockError.h"

// One layer of a connection: the socket at the bottom, a proxy's tunnel and a TLS session
// stacked on it, or bytes from memory in tests. Each layer moves bytes for the one above and
// reaches the network only through the one below; none of them keeps a cancel or time-out
// flag of its own: the connection that owns the stack decides when a wait ends.
//
// Read and Write answer as recv() and send() on a non-blocking socket do: a count, 0 from
// Read when the peer has closed, or -1 with errno set (EAGAIN: nothing now, wait and try
// again; anything else is the failure).
//
// A layer that has something to say before it carries bytes (a proxy's CONNECT, a TLS
// handshake) says it in Connect. The connection makes its layers bottom first and connects
// each once the ones below it are connected, so a new kind of layer is one class (a layer
// that passes the bytes on untouched once connected derives from PassThroughLayer).
class ByteStream {
public:
    // What the connection that stacks a layer lends to the layer's Connect.
    struct Link {
        // False once the wait must end: the time-out passed, a cancel came, or the connection
        // closed.
        std::function<bool()> GoOn;
        // Reports a step as one of the connection's status texts.
        std::function<void(const std::string& text)> Status;
    };

    virtual ~ByteStream() = default;

    // Brings the layer up over the layers below it, waiting below while link.GoOn() holds.
    // Raises LayerError (below) when the layer cannot be used; the connection then closes.
    // A layer with nothing to say first has nothing to do.
    virtual void Connect(const Link& link) { (void)link; }
    // Up to `length` bytes of what is there now; with peek they stay to be read again.
    virtual long Read(char* buf, std::size_t length, bool peek) = 0;
    // As much of `data` as goes now.
    virtual long Write(const char* data, std::size_t length) = 0;
    // Sleeps until the layer can move on in the direction asked for (POLLIN to read, POLLOUT
    // to write), the owner's time-out passes or the owner is broken off. A layer may wait
    // for the other direction below it (a TLS session that must write to read).
    virtual void Wait(short events) = 0;
    // Breaks off for good: every later Read and Write fails, nothing goes out any more.
    virtual void BreakOff() = 0;
    // True when bytes are held inside the layer, above the socket (read without a wait).
    virtual bool Buffered() const { return false; }
    // True when the bytes pass a TLS session on their way.
    virtual bool Secure() const { return false; }
    // True when that session was resumed from an earlier connection (a shorter handshake).
    virtual bool Resumed() const { return false; }
};

// Why a layer's Connect failed. The connection closes (its socket is replaced, ready for the
// next Connect) and raises an ESockError of the layer's text and kind, in the way `Ends` says.
class LayerError : public ESockError {
public:
    enum class Ends {
        // A handshake failed: the connection fails as a connect does (OnConnectionFailed), and
        // a time-out or cancel that came meanwhile is the error ("Connection Timed out",
        // "Connection Canceled").
        Handshake,
        // The peer's answer refused the layer or broke its rules: the error as it is.
        Answer,
        // The peer's answer did not come: GoOn() turned false, or the layer below failed with
        // Errno. A failure below is its socket error; a time-out or cancel is the readers'
        // abort ("Socket readln aborted"); else (the peer closed) the error as it is.
        NoAnswer,
    };

    LayerError(Ends ends, const std::string& text, NetError kind, int errnoBelow = 0, std::uint16_t lastError = 0)
        : ESockError(text, kind), ends_(ends), errno_(errnoBelow), lastError_(lastError)
    {}
    Ends HowItEnds() const { return ends_; }
    int Errno() const { return errno_; }
    // The connection's last error number to set (0: leave it).
    std::uint16_t LastError() const { return lastError_; }

private:
    Ends ends_;
    int errno_;
    std::uint16_t lastError_;
};
