#pragma once

#include <functional>
#include <memory>
#include <string>

#include "net/PassThroughLayer.h"

// A proxy's CONNECT tunnel on the layer below it (the connection to the proxy): once Connect
// has had the proxy's yes, the bytes pass through untouched to the server named, so that a TLS
// session above it talks to that server end to end.
class TunnelLayer : public PassThroughLayer {
public:
    // The error of a proxy that answers CONNECT with anything but 2xx, followed by its status line.
    static constexpr const char* RefusedText = "Proxy refused the tunnel: ";
    // The error of a proxy that closes before its answer ends.
    static constexpr const char* CutShortText = "Reply cut short";

    // A line of the proxy's answer longer than its limit.
    static constexpr const char* LineTooLongText = "Socket readln line too long";

    // A tunnel to `authority` ("host:port"); no line of the proxy's answer may pass `lineLimit`.
    TunnelLayer(std::unique_ptr<ByteStream> lower, std::string authority, std::size_t lineLimit)
        : PassThroughLayer(std::move(lower)), authority_(std::move(authority)), lineLimit_(lineLimit)
    {}

    // Asks the proxy for the tunnel. Raises LayerError: an answer that refuses (RefusedText and
    // the proxy's status line) or ends early (CutShortText), a line too long, or no answer.
    void Connect(const Link& link) override;

private:
    // How Open ended when the proxy did not answer: stopped (goOn() turned false), the layer
    // below failed with errno, or a line of the answer was longer than its limit.
    enum class Opened { Yes, Stopped, Failed, LineTooLong };
    // Sends the request and reads the answer's head; raises LayerError for an answer that
    // refuses or ends early.
    Opened Open(const std::function<bool()>& goOn);
    // One line of the proxy's answer with its end; "" when the proxy closed first.
    Opened ReadLine(std::string& line, const std::function<bool()>& goOn);

    std::string authority_;
    std::size_t lineLimit_;
};
