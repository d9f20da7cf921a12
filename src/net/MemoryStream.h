#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "net/ByteStream.h"

// A server played from memory, for tests and fuzzing (see TSockConnection::Transport): its
// bytes arrive in the pieces given, an empty piece being a moment with nothing there, and it
// closes (or resets) after the last. What the client writes is kept in `Sent`, which the
// caller may hold on to after the stream is gone.
class MemoryStream : public ByteStream {
public:
    explicit MemoryStream(std::vector<std::string> pieces, bool resetAtEnd = false)
        : pieces_(std::move(pieces)), resetAtEnd_(resetAtEnd)
    {}

    std::shared_ptr<std::string> Sent = std::make_shared<std::string>();

    long Read(char* buf, std::size_t length, bool peek) override;
    long Write(const char* data, std::size_t length) override;
    // Nothing to sleep on: the next piece is there at the next Read.
    void Wait(short) override {}
    void BreakOff() override { broken_ = true; }

private:
    std::vector<std::string> pieces_;
    std::size_t piece_ = 0;  // the piece being read
    std::size_t offset_ = 0; // bytes of it taken
    bool resetAtEnd_;
    bool broken_ = false;
};
