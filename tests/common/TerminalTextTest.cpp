#include "common/TerminalText.h"

#include <gtest/gtest.h>

namespace {

TEST(TerminalTextTest, ControlsAndDirectionOverridesBecomeVisibleEscapesAndTheRestStaysAsItIs)
{
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"Plain title 1.0", "Plain title 1.0"},
        {"\x1b]0;owned\x07", "\\x1b]0;owned\\x07"},  // a terminal title set by ESC ] ... BEL
        {"a\x1b[2Jb", "a\\x1b[2Jb"},                 // the screen cleared
        {std::string("nul\0end", 7), "nul\\x00end"}, // the first and
        {"del\x7f", "del\\x7f"},                     // the last control of the ASCII range
        {"\x1f\x20", "\\x1f "},                      // the last C0 control, and the first that is none
        {"\xc2\x9b"
         "31m",
         "\\u009b31m"},                                         // C1 CSI in UTF-8
        {"\xc2\x80\xc2\x9f\xc2\xa0", "\\u0080\\u009f\xc2\xa0"}, // the C1 range's ends, then no-break space
        {"\x9b"
         "31m",
         "\\x9b31m"},                     // a lone C1 byte of an 8-bit text
        {"caf\xe9 \xa0", "caf\xe9 \xa0"}, // other 8-bit letters stay
        {"\xe2\x80\xae"
         "exe.txt",
         "\\u202eexe.txt"}, // right-to-left override
        {"\xe2\x80\xa9\xe2\x80\xaa\xe2\x80\xae\xe2\x80\xaf", "\xe2\x80\xa9\\u202a\\u202e\xe2\x80\xaf"},
        {"\xe2\x81\xa5\xe2\x81\xa6\xe2\x81\xa9\xe2\x81\xaa", "\xe2\x81\xa5\\u2066\\u2069\xe2\x81\xaa"},
        {"\xd0\x9f\xd1\x80\xd0\xb8", "\xd0\x9f\xd1\x80\xd0\xb8"}, // Cyrillic: a continuation byte 0x9f is no C1
        {"cut \xe2\x80", "cut \xe2\\x80"},                        // a sequence cut short: its bytes one by one
    };
    for (const auto& c : cases) EXPECT_EQ(TerminalText::Escaped(c.text), c.shown) << c.shown;
    EXPECT_EQ(TerminalText::Escaped("a\tb\r\n\x0b", TerminalText::Breaks::Kept), "a\tb\r\n\\x0b");
    EXPECT_EQ(TerminalText::Escaped("a\tb\r\n"), "a\\x09b\\x0d\\x0a");
}

} // namespace
