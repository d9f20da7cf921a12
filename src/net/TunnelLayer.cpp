#include "net/TunnelLayer.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

void TunnelLayer::Connect(const Link& link)
{
    link.Status("CONNECT " + authority_);
    const Opened opened = Open(link.GoOn);
    const int err = errno;
    switch (opened) {
    case Opened::Yes: return;
    case Opened::LineTooLong: // the readers' error, and their last error: message too long
        throw LayerError(LayerError::Ends::Answer, LineTooLongText, NetError::LineTooLong, 0, 10040);
    case Opened::Failed: throw LayerError(LayerError::Ends::NoAnswer, CutShortText, NetError::CutShort, err);
    case Opened::Stopped: break;
    }
    throw LayerError(LayerError::Ends::NoAnswer, CutShortText, NetError::CutShort);
}

TunnelLayer::Opened TunnelLayer::Open(const std::function<bool()>& goOn)
{
    const std::string request = "CONNECT " + authority_ + " HTTP/1.0\r\nHost: " + authority_ + "\r\n\r\n";
    for (std::size_t sent = 0; sent < request.size();) {
        if (!goOn()) return Opened::Stopped;
        const long n = lower_->Write(request.data() + sent, request.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return Opened::Failed;
        } else {
            lower_->Wait(POLLOUT);
        }
    }
    std::string status;
    if (const Opened got = ReadLine(status, goOn); got != Opened::Yes) return got;
    // The proxy's head ends with a blank line; nothing of it may be taken as the server's.
    for (int lines = 0;; ++lines) {
        std::string line;
        if (const Opened got = ReadLine(line, goOn); got != Opened::Yes) return got;
        if (line.empty() || lines > 100) throw LayerError(LayerError::Ends::Answer, CutShortText, NetError::CutShort);
        if (line == "\r\n" || line == "\n") break;
    }
    const std::size_t blank = status.find(' ');
    if (blank == std::string::npos || status.compare(blank + 1, 1, "2") != 0) {
        std::string shown = status.substr(0, status.find_first_of("\r\n"));
        for (char& c : shown)
            if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
        throw LayerError(LayerError::Ends::Answer, RefusedText + shown, NetError::ProxyRefused);
    }
    return Opened::Yes;
}

TunnelLayer::Opened TunnelLayer::ReadLine(std::string& line, const std::function<bool()>& goOn)
{
    char buf[4096];
    while (goOn()) {
        if (line.size() >= lineLimit_) return Opened::LineTooLong;
        // Peek first and take no byte past the line's end: what follows is the tunnel's.
        const std::size_t room = std::min(sizeof buf, lineLimit_ - line.size());
        const long n = lower_->Read(buf, room, true);
        if (n == 0) return Opened::Yes; // closed: what came of the line, usually nothing
        if (n < 0) {
            if (errno != EAGAIN && errno != EINTR) return Opened::Failed;
            lower_->Wait(POLLIN);
            continue;
        }
        const char* lf = static_cast<const char*>(std::memchr(buf, '\n', static_cast<std::size_t>(n)));
        const std::size_t want = lf ? static_cast<std::size_t>(lf - buf) + 1 : static_cast<std::size_t>(n);
        const long got = lower_->Read(buf, want, false);
        if (got < 0) return Opened::Failed;
        line.append(buf, static_cast<std::size_t>(got));
        if (lf && static_cast<std::size_t>(got) == want) return Opened::Yes;
    }
    return Opened::Stopped;
}
