#include "manual/Utf8Text.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <strings.h>
#include <vector>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Character sets under which the locale says nothing useful about 8-bit bytes: text is
// then taken as UTF-8.
bool IsUtf8OrUnknown(const char* codeset)
{
    if (codeset == nullptr || *codeset == '\0') return true;
    static const char* const kNames[] = {"UTF-8", "UTF8", "ANSI_X3.4-1968", "ASCII", "US-ASCII", "646"};
    for (const char* name : kNames)
        if (strcasecmp(codeset, name) == 0) return true;
    return false;
}

} // namespace

char32_t Utf8Text::Next(std::string_view bytes, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(bytes[pos++]);
    if (lead < 0x80) return lead;

    int needed = 0;
    char32_t cp = 0;
    // Bounds of the first continuation byte; they rule out overlong forms, surrogates
    // and values above U+10FFFF.
    unsigned char lower = 0x80;
    unsigned char upper = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        needed = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        needed = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0) lower = 0xA0;
        if (lead == 0xED) upper = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        needed = 3;
        cp = lead & 0x07;
        if (lead == 0xF0) lower = 0x90;
        if (lead == 0xF4) upper = 0x8F;
    } else {
        return kReplacement;
    }

    for (int i = 0; i < needed; ++i) {
        if (pos >= bytes.size()) return kReplacement;
        const auto c = static_cast<unsigned char>(bytes[pos]);
        if (i == 0 ? (c < lower || c > upper) : !IsContinuation(c)) return kReplacement;
        cp = (cp << 6) | (c & 0x3F);
        ++pos;
    }
    return cp;
}

bool Utf8Text::IsValid(std::string_view bytes)
{
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t start = pos;
        if (Next(bytes, pos) == kReplacement) {
            // U+FFFD itself is well-formed; tell it from a replaced sequence by its length.
            if (pos - start != 3 || bytes.compare(start, 3, "\xEF\xBF\xBD") != 0) return false;
        }
    }
    return true;
}

void Utf8Text::Append(std::string& out, char32_t cp)
{
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf8Text::Repair(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) Append(out, Next(bytes, pos));
    return out;
}

std::optional<std::string> Utf8Text::FromCodeset(std::string_view bytes, const char* codeset)
{
    iconv_t cd = iconv_open("UTF-8", codeset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;

    std::string out;
    std::vector<char> buffer(4 * bytes.size() + 16);
    std::vector<char> input(bytes.begin(), bytes.end());
    char* in = input.data();
    size_t inLeft = input.size();
    while (inLeft > 0) {
        char* o = buffer.data();
        size_t outLeft = buffer.size();
        const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(buffer.data(), static_cast<std::size_t>(o - buffer.data()));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // A byte the set does not define (or a cut multi-byte sequence): replace it
            // and go on with the next byte.
            Append(out, kReplacement);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

std::string Utf8Text::FromLocal8Bit(std::string_view bytes)
{
    if (IsValid(bytes)) return std::string(bytes);
    const char* codeset = nl_langinfo(CODESET);
    if (!IsUtf8OrUnknown(codeset)) {
        if (auto converted = FromCodeset(bytes, codeset)) return *converted;
    }
    return Repair(bytes);
}
