// The URL parser of the HTTP client, on any bytes: it refuses with one of its own texts, or
// gives a host, a port and a path that can go on the wire. No CR, LF or NUL (nor any other
// control byte or blank) ever reaches the request line or the Host line.
#include "FuzzCheck.h"

#include "net/HttpUrl.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

bool SafeOnALine(const std::string& text)
{
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 32 || c == 127) return false;
    }
    return true;
}

bool KnownRefusal(const char* text)
{
    for (const char* known : {UrlErrors::Empty, UrlErrors::Secure, UrlErrors::InvalidPort, UrlErrors::InvalidHost,
                              UrlErrors::NoHost, UrlErrors::Ipv6})
        if (std::strcmp(text, known) == 0) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string url(reinterpret_cast<const char*>(data), size);
    HttpUrl parsed;
    try {
        parsed = ParseUrl(url);
    } catch (const std::runtime_error& e) {
        FUZZ_CHECK(KnownRefusal(e.what()), "a refused URL says why in one of the parser's own texts");
        return 0;
    }
    FUZZ_CHECK(!parsed.Path.empty() && parsed.Path[0] == '/', "the path starts with a slash");
    FUZZ_CHECK(SafeOnALine(parsed.Path), "no blank or control byte in the path");
    FUZZ_CHECK(parsed.Path.size() <= 3 * url.size() + 1, "the path grows by its escapes alone");
    FUZZ_CHECK(SafeOnALine(parsed.Host), "no blank or control byte in the host");
    FUZZ_CHECK(!parsed.Port || (*parsed.Port >= 1 && *parsed.Port <= 65535), "a port is one that exists");
    FUZZ_CHECK(parsed.Url == url || parsed.Url == url + "/", "the URL is kept, at most with a slash appended");
    FUZZ_CHECK(parsed.Host.empty() || parsed.Url.find(parsed.Host) != std::string::npos, "the host is in the URL");

    // The lines the client builds from it: directly, and through a proxy (the whole URL).
    for (const std::string& line :
         {"GET " + parsed.Path + " HTTP/1.0", "GET " + EscapeRequestTarget(parsed.Url) + " HTTP/1.0",
          "Host: " + EscapeRequestTarget(parsed.Host)}) {
        FUZZ_CHECK(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos,
                   "no CR, LF or NUL in a request line");
    }
    // Parsing what it gave again changes nothing.
    const HttpUrl again = ParseUrl(parsed.Url);
    FUZZ_CHECK(again.Url == parsed.Url && again.Host == parsed.Host && again.Port == parsed.Port &&
                   again.Path == parsed.Path,
               "a parsed URL parses to itself");
    return 0;
}
