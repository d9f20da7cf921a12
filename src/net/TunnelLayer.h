#pragma once

#include <functional>
#include <memory>
#include <string>

#include "net/ByteStream.h"

// A proxy's CONNECT tunnel on the layer below it (the connection to the proxy): once Open has
// had the proxy's yes, the bytes pass through untouched to the server named, so that a TLS
// session above it talks to that server end to end.
class TunnelLayer : public ByteStream {
public:
    // The error of a proxy that answers CONNECT with anything but 2xx, followed by its status line.
    static constexpr const char* RefusedText = "Proxy refused the tunnel: ";
    // The error of a proxy that closes before its answer ends.
    static constexpr const char* CutShortText = "Reply cut short";

    explicit TunnelLayer(std::unique_ptr<ByteStream> lower) : lower_(std::move(lower)) {}

    // How Open ended when the proxy did not answer: stopped (goOn() turned false), the layer
    // below failed with errno, or a line of the answer was longer than its limit.
    enum class Opened { Yes, Stopped, Failed, LineTooLong };
    // Asks the proxy for a tunnel to `authority` ("host:port"), waiting below while goOn()
    // holds. Raises ESockError for an answer that refuses (RefusedText) or ends early
    // (CutShortText).
    Opened Open(const std::string& authority, std::size_t lineLimit, const std::function<bool()>& goOn);

    long Read(char* buf, std::size_t length, bool peek) override { return lower_->Read(buf, length, peek); }
    long Write(const char* data, std::size_t length) override { return lower_->Write(data, length); }
    void Wait(short events) override { lower_->Wait(events); }
    void BreakOff() override { lower_->BreakOff(); }
    bool Buffered() const override { return lower_->Buffered(); }

private:
    // One line of the proxy's answer with its end; "" when the proxy closed first.
    Opened ReadLine(std::string& line, std::size_t lineLimit, const std::function<bool()>& goOn);

    std::unique_ptr<ByteStream> lower_;
};
