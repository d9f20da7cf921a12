#pragma once

#include <functional>
#include <utility>

#include "net/ByteStream.h"

// The bottom of a connection's stack: recv() and send() on a connected socket. The socket
// stays its connection's (TSockConnection opens, watches and closes it); a wait is the
// connection's own poll() loop, which also hears the time-out, Cancel and Disconnect.
class SocketLayer : public ByteStream {
public:
    SocketLayer(int fd, std::function<void(short events)> wait) : fd_(fd), wait_(std::move(wait)) {}

    long Read(char* buf, std::size_t length, bool peek) override;
    long Write(const char* data, std::size_t length) override;
    void Wait(short events) override { wait_(events); }
    // The socket is closed (or about to be): from now on every call fails as on a socket
    // that is not connected.
    void BreakOff() override { fd_ = -1; }

private:
    int fd_;
    std::function<void(short events)> wait_;
};
