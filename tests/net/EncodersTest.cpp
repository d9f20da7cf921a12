#include "net/THeaderList.h"
#include "net/TMimeCoder.h"
#include "net/TUrlCoder.h"
#include "net/TextWords.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

TEST(UrlCoder, EncodeKeepsOnlyLettersAndDigitsAndEveryByteComesBack)
{
    TUrlCoder coder;
    EXPECT_EQ(coder.URLEncode(""), "");
    EXPECT_EQ(coder.URLEncode("a b&c=d/e"), "a+b%26c%3Dd%2Fe");
    EXPECT_EQ(coder.URLEncode("-_.*:~"), "%2D%5F%2E%2A%3A%7E");
    EXPECT_EQ(coder.URLEncode(std::string("\0\x7F\xE9\xFF", 4)), "%00%7F%E9%FF");
    EXPECT_EQ(coder.URLEncode("AZaz09"), "AZaz09");
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    EXPECT_EQ(coder.URLDecode(coder.URLEncode(all)), all);

    // Text longer than 64 KiB is encoded whole.
    const std::string input(70000, '&');
    const std::string out = coder.URLEncode(input);
    ASSERT_EQ(out.size(), 3 * input.size());
    EXPECT_EQ(out.substr(out.size() - 3), "%26");
    EXPECT_EQ(coder.URLDecode(out), input);
}

TEST(UrlCoder, DecodeAndItsFailures)
{
    TUrlCoder coder;
    std::vector<std::string> errors; // the operation of each error reported
    coder.OnError = [&](TUrlCoder* sender, const std::string& op, const std::string& msg) {
        EXPECT_EQ(sender, &coder);
        EXPECT_FALSE(msg.empty());
        errors.push_back(op);
    };
    EXPECT_EQ(coder.URLDecode("%41%62+c"), "Ab c");
    EXPECT_EQ(coder.URLDecode("%e9%E9"), "\xE9\xE9");
    EXPECT_TRUE(errors.empty());

    EXPECT_EQ(coder.URLDecode("a%G1b"), "a%G1b");
    EXPECT_EQ(errors, std::vector<std::string>{"Error during decode"});
    // A "%" too near the end fails the same way instead of reading past the text.
    EXPECT_EQ(coder.URLDecode("ab%4"), "ab%4");
    EXPECT_EQ(coder.URLDecode("ab%"), "ab%");
    EXPECT_EQ(errors.size(), 3u);

    coder.InputString = "x+y";
    EXPECT_EQ(coder.GetDecodeString(), "x y");
    EXPECT_EQ(coder.GetEncodeString(), "x%2By");
}

TEST(HeaderList, NamesValuesAndSetValueInPlainAndSortedLists)
{
    THeaderList list;
    list.Add("GET / HTTP/1.0");
    list.Add("Host: y");
    list.Add("Accept:text/html");
    EXPECT_EQ(list.IndexOfName("host"), 1);
    EXPECT_EQ(list.IndexOfName("GET / HTTP/1.0"), -1); // no colon, never a name
    EXPECT_EQ(list.GetValue("HOST"), "y");
    EXPECT_EQ(list.GetValue("Accept"), "text/html");
    EXPECT_EQ(list.GetValue("Cookie"), "");

    list.SetValue("Cookie", ""); // an empty value adds nothing ...
    EXPECT_EQ(list.Count(), 3u);
    list.SetValue("Host", "x");
    EXPECT_EQ(list[1], "Host: x");
    list.SetValue("Cookie", "a=1");
    EXPECT_EQ(list[3], "Cookie: a=1");
    list.SetValue("host", ""); // ... and removes a line that is there
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.IndexOfName("Host"), -1);

    // A sorted list finds by name too.
    THeaderList sorted;
    sorted.Sorted = true;
    for (const char* line : {"User-Agent: q", "Host-Extra: 2", "Host", "host: 1", "Accept: */*"}) sorted.Add(line);
    EXPECT_EQ(sorted[0], "Accept: */*");
    EXPECT_EQ(sorted.GetValue("HOST"), "1");
    EXPECT_EQ(sorted.GetValue("host-extra"), "2");
    EXPECT_EQ(sorted.GetValue("User-Agent"), "q");
    EXPECT_EQ(sorted.IndexOfName("Referer"), -1);
    sorted.SetValue("Accept", "text/html");
    EXPECT_EQ(sorted.GetValue("accept"), "text/html");
}

TEST(TextWords, NthWordAndNthPos)
{
    EXPECT_EQ(NthWord("a::b", ':', 1), "a");
    EXPECT_EQ(NthWord("a::b", ':', 2), "");
    EXPECT_EQ(NthWord("a::b", ':', 3), "b");
    EXPECT_EQ(NthWord("a::b", ':', 4), "");
    EXPECT_EQ(NthWord("", ':', 1), "");
    EXPECT_EQ(NthWord("http://host:81/x", '/', 3), "host:81");
    EXPECT_EQ(NthWord("HTTP/1.0 404 Not Found", ' ', 2), "404");

    EXPECT_EQ(NthPos("x/y/", '/', 1), 2u);
    EXPECT_EQ(NthPos("x/y/", '/', 2), 5u);
    EXPECT_EQ(NthPos("x/y/", '/', 3), 5u);
    EXPECT_EQ(NthPos("http://h/p", '/', 3), 9u);
    EXPECT_EQ(NthPos("", '/', 1), 1u);
}

TEST(MimeCoder, Base64AndUuencode)
{
    EXPECT_EQ(TMimeCoder::EncodeString("abc"), "YWJj\r\n");
    EXPECT_EQ(TMimeCoder::EncodeString("ab"), "YWI=\r\n");
    EXPECT_EQ(TMimeCoder::EncodeString("a"), "YQ==\r\n");
    EXPECT_EQ(TMimeCoder::EncodeString(""), "");
    EXPECT_EQ(TMimeCoder::EncodeString("\xFF\xFE\xFD"), "//79\r\n");
    // 45 bytes to a line of 60 characters.
    EXPECT_EQ(TMimeCoder::EncodeString(std::string(46, 'M')),
              "TU1NTU1NTU1NTU1NTU1NTU1NTU1NTU1NTU1NTU1NTU1NTU1NTU1NTU1NTU1N\r\nTQ==\r\n");

    std::istringstream in("Cat");
    std::stringstream out;
    TMimeCoder coder;
    coder.Method = uuCode;
    coder.InputStream = &in;
    coder.OutputStream = &out;
    std::string order;
    coder.OnBeginEncode = [&](TMimeCoder*) { order += "begin "; };
    coder.OnEndEncode = [&](TMimeCoder*) { order += "end"; };
    coder.Encode();
    EXPECT_EQ(order, "begin end");
    // Count 3 is "#"; "Cat" is 0x43 0x61 0x74 -> 16 54 5 52 -> "0V%T".
    EXPECT_EQ(out.str(), "#0V%T\r\n`\r\n");
}

} // namespace
