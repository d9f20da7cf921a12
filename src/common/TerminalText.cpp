#include "common/TerminalText.h"

namespace {

constexpr char Hex[] = "0123456789abcdef";

bool Continuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 character at `at` (overlong forms, surrogates and
// code points past U+10FFFF are none), and its code point; 0 when the bytes there are none.
size_t Character(std::string_view text, size_t at, char32_t& code)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        min = 0x80;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        min = 0x800;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        min = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[at + i]);
        if (!Continuation(c)) return 0;
        code = (code << 6) | (c & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

bool Hidden(char32_t code)
{
    return (code >= 0x80 && code <= 0x9F) || (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

} // namespace

std::string TerminalText::Escaped(std::string_view text, Breaks breaks)
{
    std::string shown;
    shown.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (breaks == Breaks::Kept && (c == '\t' || c == '\r' || c == '\n')) {
            shown += static_cast<char>(c);
            ++at;
            continue;
        }
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F)) {
            // A control of the ASCII range, or a byte of the C1 range on its own.
            shown += {'\\', 'x', Hex[c >> 4], Hex[c & 0xF]};
            ++at;
            continue;
        }
        char32_t code = 0;
        const size_t length = c < 0x80 ? 0 : Character(text, at, code);
        if (length == 0) {
            shown += static_cast<char>(c);
            ++at;
            continue;
        }
        if (Hidden(code)) {
            shown +=
                {'\\', 'u', Hex[(code >> 12) & 0xF], Hex[(code >> 8) & 0xF], Hex[(code >> 4) & 0xF], Hex[code & 0xF]};
        } else {
            shown.append(text.substr(at, length));
        }
        at += length;
    }
    return shown;
}
