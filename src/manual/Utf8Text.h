#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Turning the program's 8-bit texts into well-formed UTF-8 where a consumer needs
// Unicode (the web page of the browser panel).
class Utf8Text {
public:
    // True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing
    // above U+10FFFF).
    static bool IsValid(std::string_view bytes);

    // Decodes the code point at `pos` and moves `pos` past it. A byte sequence that is not
    // well-formed yields U+FFFD and `pos` moves past its longest ill-formed prefix (one
    // U+FFFD per such prefix, as browsers decode). `pos` must be below bytes.size().
    static char32_t Next(std::string_view bytes, std::size_t& pos);

    // `bytes` with every ill-formed sequence replaced by U+FFFD.
    static std::string Repair(std::string_view bytes);

    // Converts `bytes` from the character set named `codeset` (an iconv name such as
    // "CP1251" or "ISO-8859-1"). A byte that the set does not define becomes U+FFFD.
    // Empty when the set is not known.
    static std::optional<std::string> FromCodeset(std::string_view bytes, const char* codeset);

    // The locale's 8-bit text as UTF-8: text that already is well-formed UTF-8 is kept as
    // it is; anything else is converted from the locale's character set when that is a
    // known 8-bit set, and otherwise (UTF-8, plain ASCII, unknown) taken as UTF-8 with
    // U+FFFD for the ill-formed sequences.
    static std::string FromLocal8Bit(std::string_view bytes);

    // Appends the UTF-8 form of `cp` (U+FFFD for surrogates and values above U+10FFFF).
    static void Append(std::string& out, char32_t cp);
};
