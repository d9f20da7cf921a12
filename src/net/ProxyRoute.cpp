#include "net/ProxyRoute.h"

#include "net/HttpUrl.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The lower-case variable, else the upper-case one; empty when neither is set.
std::string Variable(const ProxyRoute::Environment& env, const char* lower, const char* upper, std::string& name)
{
    for (const char* n : {lower, upper}) {
        const char* value = env(n);
        if (value && *value) {
            name = n;
            return value;
        }
    }
    return {};
}

} // namespace

ProxyRoute ProxyRoute::Fixed(ProxySetting proxy)
{
    ProxyRoute route;
    route.fixed_ = std::move(proxy);
    return route;
}

std::optional<ProxySetting> ProxyRoute::ParseVariable(const std::string& value, std::string& why)
{
    std::string rest = Trimmed(value);
    const auto scheme = rest.find("://");
    if (scheme != std::string::npos) {
        if (Lower(rest.substr(0, scheme)) != "http") {
            why = "only http:// proxies are supported";
            return std::nullopt;
        }
        rest.erase(0, scheme + 3);
    }
    rest = rest.substr(0, rest.find('/'));
    if (rest.find('@') != std::string::npos) {
        why = "a proxy that asks for a name and password is not supported";
        return std::nullopt;
    }
    const auto colon = rest.rfind(':');
    if (colon == std::string::npos) {
        why = "no port (HOST:PORT expected)";
        return std::nullopt;
    }
    const std::string fault = ProxySetting::Check(rest.substr(0, colon), rest.substr(colon + 1));
    if (!fault.empty()) {
        why = fault;
        return std::nullopt;
    }
    return ProxySetting::Make(rest.substr(0, colon), rest.substr(colon + 1));
}

ProxyRoute ProxyRoute::FromEnvironment(const Environment& env, std::vector<std::string>& warnings)
{
    ProxyRoute route;
    route.fromEnvironment_ = true;
    const auto take = [&](const char* lower, const char* upper, ProxySetting& into) {
        std::string name;
        const std::string value = Variable(env, lower, upper, name);
        if (value.empty()) return;
        std::string why;
        if (const auto proxy = ParseVariable(value, why))
            into = *proxy;
        else
            warnings.push_back(name + " is not used: " + why);
    };
    take("http_proxy", "HTTP_PROXY", route.http_);
    take("https_proxy", "HTTPS_PROXY", route.https_);
    std::string name;
    route.noProxy_ = Variable(env, "no_proxy", "NO_PROXY", name);
    return route;
}

bool ProxyRoute::Bypassed(const std::string& host, const std::string& noProxy)
{
    const std::string h = Lower(host);
    if (h.empty()) return false;
    size_t from = 0;
    while (from <= noProxy.size()) {
        const size_t comma = std::min(noProxy.find(',', from), noProxy.size());
        std::string entry = Lower(Trimmed(noProxy.substr(from, comma - from)));
        from = comma + 1;
        if (entry == "*") return true;
        // "host:port": the port does not matter here. An IPv6 address is not one our client reaches.
        if (const auto colon = entry.find(':');
            colon != std::string::npos && entry.find(':', colon + 1) == std::string::npos)
            entry.erase(colon);
        if (!entry.empty() && entry.front() == '.') entry.erase(0, 1);
        if (entry.empty()) continue;
        if (h == entry) return true;
        if (h.size() > entry.size() && h.compare(h.size() - entry.size(), entry.size(), entry) == 0 &&
            h[h.size() - entry.size() - 1] == '.')
            return true;
    }
    return false;
}

ProxySetting ProxyRoute::For(const std::string& url) const
{
    if (!fromEnvironment_) return fixed_;
    HttpUrl parsed;
    try {
        parsed = ParseUrl(url, true);
    } catch (const std::exception&) {
        return {}; // the request fails on its own address, with its own reason
    }
    if (Bypassed(parsed.Host, noProxy_)) return {};
    return parsed.Secure ? https_ : http_;
}
