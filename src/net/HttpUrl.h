#pragma once

#include <cstddef>
#include <optional>
#include <string>

// A request URL taken apart without a socket: where the HTTP client connects and what its
// request line carries. The rules are the client's own, older than any URL standard: the
// host is the third "/"-separated word of a URL with "//" (else the first word, unless the
// URL starts with "/"), a scheme of "gopher" or "ftp" picks port 70 or 21, "https" (where
// the caller allows it) port 443 and TLS, any other text before a ":" port 80, and the path
// runs from the third "/" on.
//
// What ParseUrl returns is safe to put on the wire: the path carries no blank and no control
// byte, the host no control byte, and a port is always one that exists (1 to 65535).
struct HttpUrl {
    // The URL as the exchange keeps it: with a "/" appended when it named no path.
    std::string Url;
    // Empty when the URL names no host (it is a path alone): the previous host stays.
    std::string Host;
    // Set when the URL decides the port, by its scheme or by a port written after the host;
    // otherwise the previous port stays.
    std::optional<int> Port;
    // Set with Port: true when the scheme is "https" (the connection then speaks TLS).
    bool Secure = false;
    // The request path: "/" at least, the whole rest of the URL, every blank, control byte
    // and DEL written as "%" and two hexadecimal digits.
    std::string Path;
};

// The texts of the std::runtime_error that ParseUrl raises.
namespace UrlErrors {
inline constexpr const char* Empty = "Empty URL";
inline constexpr const char* Secure = "HTTP Secure Socket is not supported";
inline constexpr const char* InvalidPort = "Invalid port in URL";
inline constexpr const char* InvalidHost = "Invalid host in URL";
inline constexpr const char* NoHost = "No host in URL";
inline constexpr const char* Ipv6 = "IPv6 addresses are not supported";
} // namespace UrlErrors

// Takes `url` apart; raises std::runtime_error with one of the texts above when it cannot
// be sent: empty, "https" unless allowHttps, a port that is not a number from 1 to 65535, a host with a
// blank or control byte, a scheme without a host ("http:"), or an IPv6 address.
HttpUrl ParseUrl(const std::string& url, bool allowHttps = false);

// `text` for a request line: every blank, control byte and DEL written as "%XX", so that it
// can neither end the line nor split it. Every other byte goes as it stands.
std::string EscapeRequestTarget(const std::string& text);
