#pragma once

#include <cstddef>

// One layer of a connection: the socket at the bottom, a proxy's tunnel and a TLS session
// stacked on it, or bytes from memory in tests. Each layer moves bytes for the one above and
// reaches the network only through the one below; none of them keeps a cancel or time-out
// flag of its own: the connection that owns the stack decides when a wait ends.
//
// Read and Write answer as recv() and send() on a non-blocking socket do: a count, 0 from
// Read when the peer has closed, or -1 with errno set (EAGAIN: nothing now, wait and try
// again; anything else is the failure).
class ByteStream {
public:
    virtual ~ByteStream() = default;

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
};
