#include "manual/JsonString.h"

#include "manual/Utf8Text.h"

namespace {

void AppendEscape(std::string& out, unsigned unit)
{
    static const char kHex[] = "0123456789abcdef";
    out += "\\u";
    out += kHex[(unit >> 12) & 0xF];
    out += kHex[(unit >> 8) & 0xF];
    out += kHex[(unit >> 4) & 0xF];
    out += kHex[unit & 0xF];
}

} // namespace

std::string JsonString::Quote(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = Utf8Text::Next(utf8, pos);
        if (cp == U'"') {
            out += "\\\"";
        } else if (cp == U'\\') {
            out += "\\\\";
        } else if (cp == U'<' || cp == U'>' || cp == U'&') {
            AppendEscape(out, static_cast<unsigned>(cp));
        } else if (cp >= 0x20 && cp < 0x7F) {
            out += static_cast<char>(cp);
        } else if (cp < 0x10000) {
            AppendEscape(out, static_cast<unsigned>(cp));
        } else {
            const unsigned v = static_cast<unsigned>(cp) - 0x10000;
            AppendEscape(out, 0xD800 + (v >> 10));
            AppendEscape(out, 0xDC00 + (v & 0x3FF));
        }
    }
    out += '"';
    return out;
}
