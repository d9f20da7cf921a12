#include "net/SocketLayer.h"

#include <sys/socket.h>

#include <cerrno>

long SocketLayer::Read(char* buf, std::size_t length, bool peek)
{
    if (fd_ < 0) {
        errno = ENOTCONN;
        return -1;
    }
    return ::recv(fd_, buf, length, peek ? MSG_PEEK : 0);
}

long SocketLayer::Write(const char* data, std::size_t length)
{
    if (fd_ < 0) {
        errno = ENOTCONN;
        return -1;
    }
    // MSG_NOSIGNAL: a peer that has closed is an error to report, not a SIGPIPE.
    return ::send(fd_, data, length, MSG_NOSIGNAL);
}
