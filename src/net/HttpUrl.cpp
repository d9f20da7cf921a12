#include "net/HttpUrl.h"

#include "net/TextWords.h"

#include <algorithm>
#include <stdexcept>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A byte that must not stand in a host name or a request line as it is.
bool BreaksALine(char ch)
{
    const auto c = static_cast<unsigned char>(ch);
    return c <= 32 || c == 127;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A port written after the host: decimal digits that make a number from 1 to 65535.
int ParsePort(const std::string& word)
{
    if (word.empty() || !std::all_of(word.begin(), word.end(), IsDigit))
        throw std::runtime_error(UrlErrors::InvalidPort);
    long value = 0;
    for (const char c : word) {
        value = value * 10 + (c - '0');
        if (value > 65535) throw std::runtime_error(UrlErrors::InvalidPort);
    }
    if (value == 0) throw std::runtime_error(UrlErrors::InvalidPort);
    return static_cast<int>(value);
}

} // namespace

std::string EscapeRequestTarget(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        if (BreaksALine(ch)) {
            const auto c = static_cast<unsigned char>(ch);
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

HttpUrl ParseUrl(const std::string& url, bool allowHttps)
{
    if (url.empty()) throw std::runtime_error(UrlErrors::Empty);
    HttpUrl parsed;
    parsed.Url = url;
    const bool slashes = url.find("//") != std::string::npos;

    std::string path;
    if (slashes)
        path = url.substr(std::min(NthPos(url, '/', 3) - 1, url.size()));
    else if (const size_t slash = url.find('/'); slash != std::string::npos)
        path = url.substr(slash);
    path = EscapeRequestTarget(path);

    if (url.find(':') != std::string::npos) {
        const std::string scheme = Lower(NthWord(url, ':', 1));
        if (scheme == "https" && !allowHttps) throw std::runtime_error(UrlErrors::Secure);
        parsed.Secure = scheme == "https";
        parsed.Port = parsed.Secure ? 443 : scheme == "gopher" ? 70 : scheme == "ftp" ? 21 : 80;
    }

    std::string host;
    if (slashes)
        host = NthWord(url, '/', 3);
    else if (url[0] != '/')
        host = NthWord(url, '/', 1);
    // A NUL would end the name lookup early while the Host line names something else.
    if (std::any_of(host.begin(), host.end(), BreaksALine)) throw std::runtime_error(UrlErrors::InvalidHost);
    // This client speaks IPv4 only; "[::1]:80" would otherwise be cut at its first colon.
    if (!host.empty() && host[0] == '[') throw std::runtime_error(UrlErrors::Ipv6);
    if (const size_t colon = host.find(':'); colon != std::string::npos) {
        const std::string port = NthWord(host, ':', 2);
        // Without "//", "name:" followed by no number is a scheme with nothing after it
        // ("http:", "http:/pad.xml", "mailto:me"), not a host and its port.
        if (!slashes && (port.empty() || !IsDigit(port[0]))) throw std::runtime_error(UrlErrors::NoHost);
        // "http://host:/" leaves the scheme's port, as an empty port means in every URL.
        if (!port.empty()) parsed.Port = ParsePort(port);
        host.resize(colon);
    }
    parsed.Host = host;

    if (path.empty()) {
        path.push_back('/');
        // "http://host/" has no path of its own either; it keeps its one slash.
        if (parsed.Url.back() != '/') parsed.Url.push_back('/');
    }
    parsed.Path = path;
    return parsed;
}
