#pragma once

#include <optional>
#include <string>

// The HTTP proxy that runs send through, as the settings file keeps it: "host:port", or
// nothing for none. A host is one word of visible characters without ':' (the client looks
// up IPv4 names and addresses); a port is a number from 1 to 65535 written in digits only.
//
// Plain values; any thread.
struct ProxySetting {
    std::string Host; // empty: no proxy
    int Port = 0;

    bool Used() const { return !Host.empty(); }
    // "host:port"; empty when no proxy is used.
    std::string Text() const;

    // What is wrong with a host and a port as the user typed them (blanks around them are
    // dropped first); empty when they make a proxy.
    static std::string Check(const std::string& host, const std::string& port);
    // The setting of the two texts; nothing when Check finds fault.
    static std::optional<ProxySetting> Make(const std::string& host, const std::string& port);
    // Reads "host:port" (an empty text: no proxy). Nothing when the text is no good setting,
    // so that a damaged file never sends requests somewhere unintended.
    static std::optional<ProxySetting> Parse(const std::string& text);

    static constexpr const char* Key = "Proxy";
    static constexpr const char* NoHostText = "Enter the proxy's host name or address.";
    static constexpr const char* BadHostText =
        "The proxy's host name must not contain blanks, control characters or ':'.";
    static constexpr const char* NoPortText = "Enter the proxy's port.";
    static constexpr const char* BadPortText = "The proxy's port must be a number from 1 to 65535.";
};
