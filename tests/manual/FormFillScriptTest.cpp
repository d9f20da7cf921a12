#include "manual/FormFillScript.h"
#include "manual/JsonString.h"
#include "manual/Utf8Text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The literal that the script assigns to `var value`, as it stands in the script.
std::string ValueLiteral(const std::string& script)
{
    const std::string head = "  var value = ";
    const auto start = script.find(head);
    if (start == std::string::npos) return {};
    const auto from = start + head.size();
    const auto end = script.find(";\n", from);
    return script.substr(from, end - from);
}

} // namespace

TEST(FormFillScriptTest, AppliesOnlyToTheExactNonEmptyScriptAddress)
{
    const std::string url = "http://www.example.com/submit/pad.php";
    EXPECT_TRUE(FormFillScript::Applies(url, url));
    EXPECT_FALSE(FormFillScript::Applies("http://www.example.com/submit/PAD.php", url));
    EXPECT_FALSE(FormFillScript::Applies("HTTP://www.example.com/submit/pad.php", url));
    EXPECT_FALSE(FormFillScript::Applies(url + "?padurl=x", url));
    EXPECT_FALSE(FormFillScript::Applies(url + " ", url));
    EXPECT_FALSE(FormFillScript::Applies(url, url + "/"));
    // Nothing prepared yet: an empty address box must not count as a match.
    EXPECT_FALSE(FormFillScript::Applies("", ""));
    // Bytes, not characters: an 8-bit address compares byte for byte.
    EXPECT_TRUE(FormFillScript::Applies("http://h/\xE9", "http://h/\xE9"));
    EXPECT_FALSE(FormFillScript::Applies("http://h/\xC9", "http://h/\xE9"));
}

TEST(FormFillScriptTest, BuildEmbedsBothTextsAsJsonLiterals)
{
    const std::string script = FormFillScript::Build("padurl", "http://example.com/pad.xml");
    EXPECT_NE(script.find("var field = \"padurl\";"), std::string::npos) << script;
    EXPECT_EQ(ValueLiteral(script), "\"http://example.com/pad.xml\"");
    // Looked up by a walk over the elements, never through a selector built from the name.
    EXPECT_EQ(script.find("querySelector"), std::string::npos);
    EXPECT_NE(script.find("getElementsByTagName(\"*\")"), std::string::npos);
}

TEST(FormFillScriptTest, HostilePadLinkCannotLeaveItsLiteral)
{
    const std::string hostile = "http://x/\"; window.pwned = 1; //\\'\n\r\t"
                                "</script><script>window.pwned=2</script>"
                                "\xE2\x80\xA8window.pwned=3\xE2\x80\xA9<!-- ]]> & \x7F\x01\xFF";
    const std::string script = FormFillScript::Build("pad\"url", hostile);

    EXPECT_EQ(ValueLiteral(script), "\"http://x/\\\"; window.pwned = 1; //\\\\'\\u000a\\u000d\\u0009"
                                    "\\u003c/script\\u003e\\u003cscript\\u003ewindow.pwned=2\\u003c/script\\u003e"
                                    "\\u2028window.pwned=3\\u2029\\u003c!-- ]]\\u003e \\u0026 \\u007f\\u0001\\ufffd\"");
    EXPECT_NE(script.find("var field = \"pad\\\"url\";"), std::string::npos);

    // The whole script is printable ASCII plus its own line breaks: no raw control
    // character, no raw line separator, no raw byte that a decoder could misread.
    for (char c : script) {
        const auto u = static_cast<unsigned char>(c);
        EXPECT_TRUE(c == '\n' || (u >= 0x20 && u < 0x7F)) << "byte " << int(u);
    }
    EXPECT_EQ(script.find("</"), std::string::npos);
}

TEST(FormFillScriptTest, QuoteWritesEveryCharacterOutsidePrintableAsciiAsAnEscape)
{
    EXPECT_EQ(JsonString::Quote(""), "\"\"");
    EXPECT_EQ(JsonString::Quote("a\"b\\c/d'e"), "\"a\\\"b\\\\c/d'e\"");
    EXPECT_EQ(JsonString::Quote(std::string("\0\x1F ~", 4)), "\"\\u0000\\u001f ~\"");
    EXPECT_EQ(JsonString::Quote("\xC3\xA9"), "\"\\u00e9\"");                // é
    EXPECT_EQ(JsonString::Quote("\xD0\x96"), "\"\\u0416\"");                // Ж
    EXPECT_EQ(JsonString::Quote("\xEF\xBB\xBF"), "\"\\ufeff\"");            // BOM
    EXPECT_EQ(JsonString::Quote("\xF0\x9F\x98\x80"), "\"\\ud83d\\ude00\""); // U+1F600
    EXPECT_EQ(JsonString::Quote("\xF4\x8F\xBF\xBF"), "\"\\udbff\\udfff\""); // U+10FFFF
}

TEST(FormFillScriptTest, IllFormedUtf8BecomesOneReplacementPerBrokenSequence)
{
    struct Case {
        std::string in;
        std::string repaired;
    };
    const std::string r = "\xEF\xBF\xBD";
    const Case cases[] = {
        {"a\xFF"
         "b",
         "a" + r + "b"},
        {"\x80\x80", r + r},                 // stray continuation bytes
        {"\xC0\xAF", r + r},                 // overlong '/'
        {"\xE0\x80\xAF", r + r + r},         // overlong, three bytes
        {"\xED\xA0\x80", r + r + r},         // a surrogate
        {"\xF4\x90\x80\x80", r + r + r + r}, // above U+10FFFF
        {"\xE2\x82"
         "x",
         r + "x"},                              // cut sequence: one replacement
        {"\xF0\x9F\x98", r},                    // cut at the end
        {"ok \xEF\xBF\xBD", "ok \xEF\xBF\xBD"}, // U+FFFD itself is well-formed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8Text::Repair(c.in), c.repaired) << c.in;
        EXPECT_EQ(Utf8Text::IsValid(c.in), c.in == c.repaired) << c.in;
        EXPECT_TRUE(Utf8Text::IsValid(Utf8Text::Repair(c.in)));
    }
    EXPECT_TRUE(Utf8Text::IsValid("\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80"));
}

TEST(FormFillScriptTest, EightBitTextIsConvertedFromItsCharacterSet)
{
    // 0xC6 0xE0 in CP1251 is "Жа"; 0x98 is undefined there.
    EXPECT_EQ(Utf8Text::FromCodeset("\xC6\xE0", "CP1251"), std::string("\xD0\x96\xD0\xB0"));
    EXPECT_EQ(Utf8Text::FromCodeset("a\x98z", "CP1251"), std::string("a\xEF\xBF\xBDz"));
    EXPECT_EQ(Utf8Text::FromCodeset("caf\xE9", "ISO-8859-1"), std::string("caf\xC3\xA9"));
    EXPECT_FALSE(Utf8Text::FromCodeset("x", "NO-SUCH-CHARSET-42").has_value());

    // Well-formed UTF-8 is never re-encoded, whatever the locale.
    EXPECT_EQ(Utf8Text::FromLocal8Bit("caf\xC3\xA9"), "caf\xC3\xA9");
}
