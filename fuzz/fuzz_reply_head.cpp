// The reply head parser, on any bytes: it agrees with the line by line reading of the
// socket code about where the head ends, a head reads the same whatever follows it, and
// what it takes from a reply (cookie, location) cannot carry a CR, LF or NUL into the next
// request: a location followed as a redirect gives a clean request line and Host line.
#include "FuzzCheck.h"

#include "net/HttpUrl.h"
#include "net/ReplyHead.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

bool NoControlBytes(const std::string& text)
{
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 32 || c == 127) return false;
    }
    return true;
}

bool NoLineBreakers(const std::string& line)
{
    return line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

bool SameHead(const ReplyHead& a, const ReplyHead& b)
{
    return a.ReplyNumber == b.ReplyNumber && a.Complete == b.Complete && a.Length == b.Length && a.Cookie == b.Cookie &&
           a.Location == b.Location && a.ContentLength == b.ContentLength;
}

// Where the HTTP client stops reading the head, a line (ended by LF) at a time: after a line
// without its end (the server closed), or after an empty line that is not the status line.
std::size_t WhereTheReaderStops(std::string_view text, bool& complete)
{
    std::size_t at = 0;
    complete = false;
    for (bool statusLine = true; at < text.size(); statusLine = false) {
        const std::size_t lf = text.find('\n', at);
        if (lf == std::string_view::npos) return text.size();
        const std::string_view line = text.substr(at, lf + 1 - at);
        at = lf + 1;
        if (!statusLine && EndsReplyHead(line)) {
            complete = true;
            break;
        }
    }
    return at;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ReplyHead head = ParseReplyHead(text);

    bool complete = false;
    FUZZ_CHECK(WhereTheReaderStops(text, complete) == head.Length && complete == head.Complete,
               "the parser and the line reader end the head at the same byte");
    FUZZ_CHECK(head.ReplyNumber >= 0 && head.ReplyNumber <= 32767, "the reply number fits 16 bits");
    FUZZ_CHECK(!head.ContentLength || *head.ContentLength >= 0, "a content length is not negative");
    if (head.Complete) {
        FUZZ_CHECK(SameHead(ParseReplyHead(text.substr(0, head.Length)), head), "the body does not change the head");
        const std::string more = std::string(text.substr(0, head.Length)) + "Location: http://x/\r\n\r\n";
        FUZZ_CHECK(SameHead(ParseReplyHead(more), head), "lines after the head are not read");
    }

    for (const auto* value : {&head.Cookie, &head.Location}) {
        if (!*value) continue;
        FUZZ_CHECK(NoControlBytes(**value), "a value from a reply carries no control byte");
        FUZZ_CHECK((*value)->size() <= ReplyHead::MaxValueLength, "a value from a reply is cut at its length");
    }
    if (head.Cookie) FUZZ_CHECK(NoLineBreakers("Cookie: " + *head.Cookie), "no CR, LF or NUL in the Cookie line");
    if (head.Location) {
        try {
            const HttpUrl next = ParseUrl(*head.Location);
            FUZZ_CHECK(NoLineBreakers("GET " + next.Path + " HTTP/1.0"), "no CR, LF or NUL in a redirect's request");
            FUZZ_CHECK(NoLineBreakers("Host: " + EscapeRequestTarget(next.Host)), "no CR, LF or NUL in its Host line");
        } catch (const std::runtime_error&) {
            // Refused before any connection: nothing goes out.
        }
    }
    return 0;
}
