#include "net/ProxyRoute.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TEST(ProxyRoute, AVariableNamesAProxyOnlyAsHttpHostAndPort)
{
    const struct {
        const char* value;
        const char* proxy; // "host:port", or empty: not used
    } cases[] = {
        {"http://proxy.lan:3128/", "proxy.lan:3128"},
        {"HTTP://proxy.lan:8080", "proxy.lan:8080"},
        {" proxy.lan:81 ", "proxy.lan:81"},
        {"10.0.0.1:65535", "10.0.0.1:65535"},
        {"https://proxy.lan:443", ""},         // TLS to the proxy itself: not spoken
        {"socks5://proxy.lan:1080", ""},       // another kind of proxy
        {"http://user:pw@proxy.lan:3128", ""}, // credentials would be dropped silently
        {"proxy.lan", ""},                     // no port: no guessing
        {"proxy.lan:0", ""},
        {"proxy.lan:65536", ""},
        {"http://:3128", ""},
    };
    for (const auto& c : cases) {
        std::string why;
        const auto proxy = ProxyRoute::ParseVariable(c.value, why);
        EXPECT_EQ(proxy ? proxy->Text() : std::string(), c.proxy) << c.value;
        EXPECT_EQ(why.empty(), proxy.has_value()) << c.value;
    }
}

TEST(ProxyRoute, NoProxyNamesAHostItsDomainOrEveryHost)
{
    const struct {
        const char* host;
        const char* noProxy;
        bool direct;
    } cases[] = {
        {"example.com", "example.com", true},
        {"www.Example.COM", "example.com", true},
        {"www.example.com", ".example.com", true},
        {"example.com", ".example.com", true},
        {"badexample.com", "example.com", false}, // a suffix is a domain only at a dot
        {"example.com.evil", "example.com", false},
        {"pad.lan", "localhost, pad.lan:8080", true},
        {"pad.lan", " , ,", false},
        {"10.0.0.1", "10.0.0.1", true},
        {"10.0.0.10", "10.0.0.1", false},
        {"anything.example", "*", true},
        {"anything.example", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProxyRoute::Bypassed(c.host, c.noProxy), c.direct) << c.host << " / " << c.noProxy;
}

TEST(ProxyRoute, TheEnvironmentChoosesByTheAddressSchemeLowerCaseFirst)
{
    std::map<std::string, std::string> vars = {{"http_proxy", "http://plain.lan:3128"},
                                               {"HTTP_PROXY", "ignored.lan:1"},
                                               {"HTTPS_PROXY", "secure.lan:3129"},
                                               {"no_proxy", ".inside.lan"}};
    const ProxyRoute::Environment env = [&vars](const char* name) -> const char* {
        const auto found = vars.find(name);
        return found == vars.end() ? nullptr : found->second.c_str();
    };
    std::vector<std::string> warnings;
    const ProxyRoute route = ProxyRoute::FromEnvironment(env, warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(route.For("http://site.example/add.php").Text(), "plain.lan:3128");
    EXPECT_EQ(route.For("https://site.example/add.php").Text(), "secure.lan:3129");
    EXPECT_EQ(route.For("http://pad.inside.lan/pad.xml").Text(), "");
    EXPECT_EQ(route.For("not an address").Text(), "");

    vars = {{"http_proxy", "socks5://s.lan:1080"}};
    const ProxyRoute refused = ProxyRoute::FromEnvironment(env, warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("http_proxy is not used"), std::string::npos) << warnings[0];
    EXPECT_FALSE(refused.Any());

    // One proxy given: every address goes through it, whatever its host.
    EXPECT_EQ(ProxyRoute::Fixed(ProxySetting{"fixed.lan", 8080}).For("https://x.inside.lan/").Text(), "fixed.lan:8080");
}

} // namespace
