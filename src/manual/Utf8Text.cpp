#include "manual/Utf8Text.h"

#include <unicode/utf8.h>

#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <strings.h>
#include <vector>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

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
    // ICU's decoder: one U+FFFD per maximal ill-formed subpart, as browsers decode.
    const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
    int32_t i = static_cast<int32_t>(pos);
    UChar32 cp;
    U8_NEXT_OR_FFFD(s, i, static_cast<int32_t>(bytes.size()), cp);
    pos = static_cast<std::size_t>(i);
    return static_cast<char32_t>(cp);
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
    uint8_t buffer[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(buffer, length, static_cast<UChar32>(cp));
    out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
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
