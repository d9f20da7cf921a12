#pragma once

#include <string>
#include <string_view>

// Text from outside (titles, links, reasons, what a site answered) made safe to print on a
// terminal: every control that could move the cursor, set the window's title or clear the
// screen, and every mark that turns the direction of the text, is written as a visible escape.
// Plain functions; any thread.
class TerminalText {
public:
    // Whether TAB, CR and LF are escaped too, or kept for text whose lines and columns are its
    // own (a CSV record, a reply's body).
    enum class Breaks { Escaped, Kept };

    // `text` with the C0 controls and DEL as "\x1b", the C1 controls (U+0080-U+009F) and the
    // direction overrides and isolates (U+202A-U+202E, U+2066-U+2069) in UTF-8 as "\u202e",
    // and a byte 0x80-0x9F that is no part of a UTF-8 character as "\x9b". Every other byte
    // is kept: letters of any 8-bit code page print as they are.
    static std::string Escaped(std::string_view text, Breaks breaks = Breaks::Escaped);
};
