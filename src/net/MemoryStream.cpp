#include "net/MemoryStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

long MemoryStream::Read(char* buf, std::size_t length, bool peek)
{
    if (broken_) {
        errno = ENOTCONN;
        return -1;
    }
    if (piece_ >= pieces_.size()) {
        if (!resetAtEnd_) return 0;
        errno = ECONNRESET;
        return -1;
    }
    const std::string& piece = pieces_[piece_];
    if (piece.empty()) { // a moment with nothing there
        ++piece_;
        errno = EAGAIN;
        return -1;
    }
    const std::size_t n = std::min(length, piece.size() - offset_);
    std::memcpy(buf, piece.data() + offset_, n);
    if (!peek) {
        offset_ += n;
        if (offset_ == piece.size()) {
            ++piece_;
            offset_ = 0;
        }
    }
    return static_cast<long>(n);
}

long MemoryStream::Write(const char* data, std::size_t length)
{
    if (broken_) {
        errno = ENOTCONN;
        return -1;
    }
    Sent->append(data, length);
    return static_cast<long>(length);
}
