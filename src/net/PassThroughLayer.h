#pragma once

#include <memory>
#include <utility>

#include "net/ByteStream.h"

// A layer over another that passes every call down unchanged: the base of a layer that only
// has something to say in its Connect (a proxy's tunnel), which overrides that alone.
class PassThroughLayer : public ByteStream {
public:
    explicit PassThroughLayer(std::unique_ptr<ByteStream> lower) : lower_(std::move(lower)) {}

    long Read(char* buf, std::size_t length, bool peek) override { return lower_->Read(buf, length, peek); }
    long Write(const char* data, std::size_t length) override { return lower_->Write(data, length); }
    void Wait(short events) override { lower_->Wait(events); }
    void BreakOff() override { lower_->BreakOff(); }
    bool Buffered() const override { return lower_->Buffered(); }
    bool Secure() const override { return lower_->Secure(); }
    bool Resumed() const override { return lower_->Resumed(); }

protected:
    std::unique_ptr<ByteStream> lower_;
};
