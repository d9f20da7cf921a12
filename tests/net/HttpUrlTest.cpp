#include "net/HttpUrl.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace {

std::string Refusal(const std::string& url)
{
    try {
        ParseUrl(url);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(taken)";
}

TEST(HttpUrl, HostPortAndPathFollowTheClientsRules)
{
    const struct {
        std::string url, kept, host;
        std::optional<int> port;
        std::string path;
    } cases[] = {
        {"http://h", "http://h/", "h", 80, "/"},
        {"http://h/", "http://h/", "h", 80, "/"},
        {"HTTP://h:81/a?b=c:d", "HTTP://h:81/a?b=c:d", "h", 81, "/a?b=c:d"},
        {"http://h:65535", "http://h:65535/", "h", 65535, "/"},
        {"http://h:/x", "http://h:/x", "h", 80, "/x"}, // an empty port is the scheme's
        {"ftp://f/x", "ftp://f/x", "f", 21, "/x"},
        {"gopher://g", "gopher://g/", "g", 70, "/"},
        {"h:1/x", "h:1/x", "h", 1, "/x"},
        {"h/x", "h/x", "h", std::nullopt, "/x"},
        {"/only/path", "/only/path", "", std::nullopt, "/only/path"},
        {"/a:b", "/a:b", "", 80, "/a:b"},
        {"http://h/a b\r\n\x7f\xE9", "http://h/a b\r\n\x7f\xE9", "h", 80, "/a%20b%0D%0A%7F\xE9"},
    };
    for (const auto& c : cases) {
        const HttpUrl u = ParseUrl(c.url);
        EXPECT_EQ(u.Url, c.kept) << c.url;
        EXPECT_EQ(u.Host, c.host) << c.url;
        EXPECT_EQ(u.Port, c.port) << c.url;
        EXPECT_EQ(u.Path, c.path) << c.url;
    }
    // Nothing of a long path is lost.
    std::string escaped = "/";
    for (size_t i = 0; i < 300; ++i) escaped += "%09";
    EXPECT_TRUE(ParseUrl("http://h/" + std::string(300, '\t')).Path == escaped);
}

TEST(HttpUrl, UnusableUrlsAreRefusedWithWhatIsWrong)
{
    const struct {
        std::string url;
        const char* why;
    } cases[] = {
        {"", UrlErrors::Empty},
        {"hTTps://h/", UrlErrors::Secure},
        {"http://h:0/", UrlErrors::InvalidPort},
        {"http://h:65536/", UrlErrors::InvalidPort},
        {"http://h:214688/", UrlErrors::InvalidPort},
        {"http://h:99999999999999999999/", UrlErrors::InvalidPort},
        {"http://h:8o/", UrlErrors::InvalidPort},
        {"http://h:-1/", UrlErrors::InvalidPort},
        {"http://user:pw@h/", UrlErrors::InvalidPort},
        {"h:80x", UrlErrors::InvalidPort},
        {"http:", UrlErrors::NoHost},
        {"http:/h/pad.xml", UrlErrors::NoHost},
        {"mailto:me@example.com", UrlErrors::NoHost},
        {"http://[::1]:1/", UrlErrors::Ipv6},
        {"[::1]:1/", UrlErrors::Ipv6},
        {std::string("http://127.0.0.1\0.example.com/", 30), UrlErrors::InvalidHost},
        {"http://h\r\nX-Evil: 1/", UrlErrors::InvalidHost},
        {"http://my host/", UrlErrors::InvalidHost},
    };
    for (const auto& c : cases) EXPECT_EQ(Refusal(c.url), c.why) << c.url;
}

} // namespace
