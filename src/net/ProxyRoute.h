#pragma once

#include "common/ProxySetting.h"

#include <functional>
#include <string>
#include <vector>

// Which HTTP proxy a request of the command line goes through. One proxy for every request
// (the one given on the command line or kept in the settings file, or none), or the one the
// environment names, as other command-line tools on Debian read it: `http_proxy` for http
// addresses, `https_proxy` for https ones, and `no_proxy` for the hosts that are reached
// directly ("*" for all, "example.com" or ".example.com" for that domain and the hosts below
// it, an address as written; a ":port" after an entry is ignored). Lower-case names win over
// upper-case ones.
//
// A plain value: made once before a run, then read by any thread.
class ProxyRoute {
public:
    // getenv, or a stand-in for tests.
    using Environment = std::function<const char*(const char*)>;

    // Every request through `proxy` (none when it is not used).
    static ProxyRoute Fixed(ProxySetting proxy);
    // The environment's proxies. Each variable that names no usable proxy is described in
    // `warnings` (one line each) and not used; nothing is lost by it but the proxy.
    static ProxyRoute FromEnvironment(const Environment& env, std::vector<std::string>& warnings);

    // The proxy for a request to `url` (its scheme and host); none: connect directly.
    ProxySetting For(const std::string& url) const;
    // Whether any request may go through a proxy.
    bool Any() const { return fixed_.Used() || http_.Used() || https_.Used(); }

    // "host:port" of a proxy variable's value ("http://host:port/", "host:port"); nothing when
    // it names no proxy our client can speak to (no port, credentials, a scheme other than http).
    // `why` then says what is wrong.
    static std::optional<ProxySetting> ParseVariable(const std::string& value, std::string& why);
    // Whether `host` is one that `noProxy` (the variable's value) sends directly.
    static bool Bypassed(const std::string& host, const std::string& noProxy);

private:
    bool fromEnvironment_ = false;
    ProxySetting fixed_;
    ProxySetting http_;
    ProxySetting https_;
    std::string noProxy_;
};
