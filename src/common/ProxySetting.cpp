#include "common/ProxySetting.h"

namespace {

std::string Trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// 1 to 65535 in digits only; 0 otherwise.
int PortOf(const std::string& text)
{
    if (text.empty() || text.size() > 5) return 0;
    int port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        port = port * 10 + (c - '0');
    }
    return port <= 65535 ? port : 0;
}

} // namespace

std::string ProxySetting::Text() const
{
    return Used() ? Host + ":" + std::to_string(Port) : std::string();
}

std::string ProxySetting::Check(const std::string& host, const std::string& port)
{
    const std::string h = Trimmed(host);
    const std::string p = Trimmed(port);
    if (h.empty()) return NoHostText;
    for (char c : h) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F || c == ':') return BadHostText;
    }
    if (p.empty()) return NoPortText;
    if (PortOf(p) == 0) return BadPortText;
    return {};
}

std::optional<ProxySetting> ProxySetting::Make(const std::string& host, const std::string& port)
{
    if (!Check(host, port).empty()) return std::nullopt;
    return ProxySetting{Trimmed(host), PortOf(Trimmed(port))};
}

std::optional<ProxySetting> ProxySetting::Parse(const std::string& text)
{
    const std::string t = Trimmed(text);
    if (t.empty()) return ProxySetting{};
    const auto colon = t.rfind(':');
    if (colon == std::string::npos) return std::nullopt;
    return Make(t.substr(0, colon), t.substr(colon + 1));
}
