// The URL coder, on any bytes: decoding what was encoded gives the bytes back, the encoding
// holds only letters, digits, "+" and "%XX", and a decode that fails says so and gives its
// input back unchanged. Neither direction raises.
#include "FuzzCheck.h"

#include "net/TUrlCoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool IsHexUpper(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool IsAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    TUrlCoder coder;
    int errors = 0;
    coder.OnError = [&](TUrlCoder*, const std::string&, const std::string&) { ++errors; };

    const std::string encoded = coder.URLEncode(text);
    FUZZ_CHECK(errors == 0, "encoding never fails");
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '%') {
            FUZZ_CHECK(i + 2 < encoded.size() && IsHexUpper(encoded[i + 1]) && IsHexUpper(encoded[i + 2]),
                       "a % is followed by two upper-case hexadecimal digits");
            i += 2;
        } else {
            FUZZ_CHECK(IsAlnum(c) || c == '+', "the encoding holds letters, digits, + and %XX only");
        }
    }
    FUZZ_CHECK(coder.URLDecode(encoded) == text, "decoding the encoding gives the bytes back");
    FUZZ_CHECK(errors == 0, "the encoding decodes without an error");

    // Any text: decoded, or given back unchanged with an error.
    const std::string decoded = coder.URLDecode(text);
    if (errors > 0) {
        FUZZ_CHECK(errors == 1, "a failed decode reports once");
        FUZZ_CHECK(decoded == text, "a failed decode gives its input back");
    } else {
        FUZZ_CHECK(decoded.size() <= text.size(), "decoding never lengthens");
    }
    coder.InputString = text;
    FUZZ_CHECK(coder.GetEncodeString() == encoded, "the property reads the same as the call");
    return 0;
}
