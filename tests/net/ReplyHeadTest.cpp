#include "net/ReplyHead.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(ReplyHead, TheStatusLinesSecondWordIsTheReplyNumberWhenItFits16Bits)
{
    const struct {
        std::string statusLine;
        int number;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\n", 200},
        {"HTTP/1.1 404\n", 404},
        {"HTTP/1.0 32767 Top\r\n", 32767},
        {"HTTP/1.0 32768 Over\r\n", 0},
        {"HTTP/1.0 040000 Long\r\n", 0},
        {"HTTP/1.0 2OO OK\r\n", 0},
        {"HTTP/1.0  200 Two blanks\r\n", 0},
        {"200 OK\r\n", 0},
        {"\r\n", 0},
        {"HTTP/1.0 302", 302}, // cut short, yet the number is there
    };
    for (const auto& c : cases) EXPECT_EQ(ParseReplyHead(c.statusLine).ReplyNumber, c.number) << c.statusLine;
}

TEST(ReplyHead, TheHeadEndsAtTheFirstEmptyLineAfterTheStatusLine)
{
    ReplyHead head = ParseReplyHead("HTTP/1.0 200 OK\nA: b\n\nbody\r\n\r\n");
    EXPECT_TRUE(head.Complete);
    EXPECT_EQ(head.Length, 22u);

    // An empty first line is the status line, not the end.
    head = ParseReplyHead("\r\n\r\nbody");
    EXPECT_TRUE(head.Complete);
    EXPECT_EQ(head.Length, 4u);

    for (const std::string cut :
         {"", "HTTP/1.0 200 OK\r\n", "HTTP/1.0 200 OK\r\nServer: x\r\n", "HTTP/1.0 200 OK\r\n\r"}) {
        head = ParseReplyHead(cut);
        EXPECT_FALSE(head.Complete) << cut;
        EXPECT_EQ(head.Length, cut.size()) << cut;
    }
}

TEST(ReplyHead, NamedLinesGiveTheLastValueWithoutControlBytes)
{
    const std::string text = "HTTP/1.0 302 Found\r\n"
                             "set-cookie: first=1\r\n"
                             "Set-Cookie: sid=4" +
                             std::string(1, '\0') +
                             "2\x01\x7f; path=/\r\n"
                             "LOCATION: http://h/a\rb\r\n"
                             "Location:http://ignored/\r\n" // no blank after the colon: another name
                             "X-Location: http://ignored/\r\n"
                             "Content-Length: 12abc\r\n"
                             "\r\n"
                             "Location: http://in-the-body/\r\n";
    const ReplyHead head = ParseReplyHead(text);
    EXPECT_EQ(head.ReplyNumber, 302);
    EXPECT_EQ(head.Cookie, "sid=42; path=/");
    EXPECT_EQ(head.Location, "http://h/ab");
    EXPECT_EQ(head.ContentLength, 12);

    const ReplyHead none = ParseReplyHead("HTTP/1.0 200 OK\r\nServer: x\r\n\r\n");
    EXPECT_FALSE(none.Cookie || none.Location || none.ContentLength);

    const ReplyHead odd = ParseReplyHead("HTTP/1.0 200 OK\r\nContent-Length: 99999999999999999999999\r\n"
                                         "Location: " +
                                         std::string(300, 'l') + "\r\n\r\n");
    EXPECT_EQ(odd.ContentLength, INT64_MAX);
    EXPECT_EQ(odd.Location, std::string(ReplyHead::MaxValueLength, 'l'));
    EXPECT_EQ(ParseReplyHead("HTTP/1.0 200 OK\r\nContent-Length: x\r\n\r\n").ContentLength, 0);
}

} // namespace
