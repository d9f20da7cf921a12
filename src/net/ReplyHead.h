#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the HTTP client takes from the head of a reply, read from memory: the reply number
// of the status line and the three header lines it acts on. Lines end at LF (a CR before
// it belongs to the line end); the first line is the status line, whatever it holds, and
// the head ends after the first later line that is empty (LF alone or CR LF).
//
// Names are matched in any letter case as the first blank-separated word of the line;
// values are taken from fixed positions, which assume one blank after the colon, and
// carry no control byte: a reply cannot put a NUL, CR or LF into the next request.
struct ReplyHead {
    // Values longer than this are cut.
    static constexpr std::size_t MaxValueLength = 256;

    // The second blank-separated word of the status line as a decimal number of 16 bits
    // (signed), or 0 when it is none.
    int ReplyNumber = 0;
    // The blank line that ends the head was there.
    bool Complete = false;
    // Bytes of the text that belong to the head: through the blank line, or all of them.
    std::size_t Length = 0;
    // The value of the last Set-Cookie line (its attributes included).
    std::optional<std::string> Cookie;
    // The value of the last Location line.
    std::optional<std::string> Location;
    // The decimal digits after the name and its blank, of the last Content-Length line (0
    // when none follow; a number too large for 63 bits stays at the largest one).
    std::optional<std::int64_t> ContentLength;
};

// Parses the head at the start of `text`; what follows the head (the body) is not looked at.
ReplyHead ParseReplyHead(std::string_view text);

// Whether `line` (with its line end) is the one that ends a head after its status line.
bool EndsReplyHead(std::string_view line);
