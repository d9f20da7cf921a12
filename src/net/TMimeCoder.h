#pragma once

#include <functional>
#include <iosfwd>
#include <string>

enum UUMethods { uuMime = 0, uuCode = 1 };

// Base64 (RFC 2045) and uuencode of a stream, in lines of at most 45 input bytes, each line
// ended by CR LF. The HTTP client uses it for the basic-authentication header.
class TMimeCoder {
public:
    using TNotifyEvent = std::function<void(TMimeCoder* Sender)>;

    static const char MimeTable[65];
    static const char UUTABLE[65];

    UUMethods Method = uuMime;
    TNotifyEvent OnBeginEncode;
    TNotifyEvent OnEndEncode;
    // Encode reads InputStream from its start and writes to OutputStream, which it rewinds
    // at the end so that the caller can read the result. Both are the caller's.
    std::istream* InputStream = nullptr;
    std::iostream* OutputStream = nullptr;

    void Encode();

    // Encode of `bytes` with `method`, through string streams; returns what Encode wrote.
    static std::string EncodeString(const std::string& bytes, UUMethods method = uuMime);

private:
    const char* table_ = MimeTable;
};
