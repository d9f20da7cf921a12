#include "common/TerminalText.h"

#include <gtest/gtest.h>

namespace {

TEST(TerminalTextTest, ControlsAndDirectionOverridesBecomeVisibleEscapesAndTheRestStaysAsItIs)
{
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"\x1b]0;owned\x07\t\xe9", "\\x1b]0;owned\\x07\\x09\xe9"}, // a title set; an 8-bit letter stays
        {std::string("\0\x1f\x20\x7f", 4), "\\x00\\x1f \\x7f"},    // the ends of the ASCII controls
        {"\xc2\x80\xc2\x9f\xc2\xa0", "\\u0080\\u009f\xc2\xa0"},    // the ends of C1 in UTF-8
        {"\x9b[31m", "\\x9b[31m"},                                 // C1 as a byte of an 8-bit text
        {"\xe2\x80\xa9\xe2\x80\xaa\xe2\x80\xae\xe2\x80\xaf", "\xe2\x80\xa9\\u202a\\u202e\xe2\x80\xaf"},
        {"\xe2\x81\xa5\xe2\x81\xa6\xe2\x81\xa9\xe2\x81\xaa", "\xe2\x81\xa5\\u2066\\u2069\xe2\x81\xaa"},
        {"\xd0\x9f \xe2\x80", "\xd0\x9f \xe2\\x80"}, // 0x9f within a letter is none; a cut one's is
    };
    for (const auto& c : cases) EXPECT_EQ(TerminalText::Escaped(c.text), c.shown) << c.shown;
    EXPECT_EQ(TerminalText::Escaped("a\tb\r\n\x0b", TerminalText::Breaks::Kept), "a\tb\r\n\\x0b");
}

} // namespace
