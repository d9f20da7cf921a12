#include "catalogue/CaptionCollator.h"

#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

std::string EnvironmentLocale()
{
    for (const char* name : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* v = std::getenv(name);
        if (v && *v) return v;
    }
    return "C";
}

// "ru_RU.CP1251@euro" -> language part "ru_RU", codeset "CP1251".
void SplitLocale(const std::string& name, std::string& language, std::string& codeset)
{
    std::string rest = name;
    auto at = rest.find('@');
    if (at != std::string::npos) rest.erase(at);
    auto dot = rest.find('.');
    if (dot != std::string::npos) {
        codeset = rest.substr(dot + 1);
        rest.erase(dot);
    }
    language = rest;
}

bool IsUtf8(const std::string& codeset)
{
    std::string c;
    for (char ch : codeset)
        if (ch != '-' && ch != '_') c += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return c.empty() || c == "utf8";
}

} // namespace

struct CaptionCollator::Impl {
    UCollator* collator = nullptr;
    UConverter* converter = nullptr; // null: the bytes are UTF-8

    ~Impl()
    {
        if (collator) ucol_close(collator);
        if (converter) ucnv_close(converter);
    }

    void ToUtf16(std::string_view text, std::u16string& out) const
    {
        if (text.size() > MaxCollatedLength) {
            // Only the start is collated (the bytes after it break ties); a cut between the
            // bytes of one UTF-8 character moves back to its first byte.
            size_t cut = MaxCollatedLength;
            if (!converter)
                while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
            text = text.substr(0, cut);
        }
        // One UTF-16 unit per byte at most, and room for the converter's end mark.
        out.resize(text.size() + 1);
        UErrorCode status = U_ZERO_ERROR;
        int32_t length = 0;
        if (converter) {
            length = ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                                   text.data(), static_cast<int32_t>(text.size()), &status);
        } else {
            u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length,
                                 text.data(), static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
        }
        if (U_FAILURE(status)) length = 0;
        out.resize(static_cast<size_t>(length));
    }

    std::u16string ToUtf16(std::string_view text) const
    {
        std::u16string out;
        ToUtf16(text, out);
        return out;
    }
};

CaptionCollator::CaptionCollator(const std::string& locale) : impl_(std::make_unique<Impl>())
{
    std::string name = locale.empty() ? EnvironmentLocale() : locale;
    std::string language, codeset;
    SplitLocale(name, language, codeset);
    if (language.empty() || language == "C" || language == "POSIX") {
        language = "root";
    }
    localeName_ = language;

    UErrorCode status = U_ZERO_ERROR;
    impl_->collator = ucol_open(language == "root" ? "" : language.c_str(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        impl_->collator = ucol_open("", &status);
        localeName_ = "root";
    }
    if (U_FAILURE(status) || !impl_->collator) throw std::runtime_error("Cannot open a collator for the locale");

    if (!IsUtf8(codeset)) {
        status = U_ZERO_ERROR;
        impl_->converter = ucnv_open(codeset.c_str(), &status);
        if (U_FAILURE(status)) impl_->converter = nullptr; // unknown code page: read the bytes as UTF-8
    }
}

CaptionCollator::~CaptionCollator() = default;

int CaptionCollator::Compare(std::string_view a, std::string_view b) const
{
    // Both paths go through the same UTF-16 conversion as SortKey, so that single
    // comparisons and key sorting always agree.
    std::u16string ua = impl_->ToUtf16(a), ub = impl_->ToUtf16(b);
    UCollationResult r =
        ucol_strcoll(impl_->collator, reinterpret_cast<const UChar*>(ua.data()), static_cast<int32_t>(ua.size()),
                     reinterpret_cast<const UChar*>(ub.data()), static_cast<int32_t>(ub.size()));
    if (r == UCOL_LESS) return -1;
    if (r == UCOL_GREATER) return 1;
    // Texts the collation calls equal (ill-formed bytes, ignorable characters) still need
    // one fixed order, or a re-sort could shuffle them.
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void CaptionCollator::AppendCollationKey(std::string_view text, std::string& out, std::u16string& scratch) const
{
    impl_->ToUtf16(text, scratch);
    const size_t at = out.size();
    const auto key = [&](size_t room) {
        out.resize(at + room);
        return ucol_getSortKey(impl_->collator, reinterpret_cast<const UChar*>(scratch.data()),
                               static_cast<int32_t>(scratch.size()), reinterpret_cast<uint8_t*>(out.data() + at),
                               static_cast<int32_t>(room));
    };
    int32_t n = key(64 + scratch.size() * 4);
    if (n > static_cast<int32_t>(out.size() - at)) n = key(static_cast<size_t>(n));
    // n counts the key's own end byte, which is left out.
    out.resize(at + static_cast<size_t>(n > 0 ? n - 1 : 0));
}

std::string CaptionCollator::SortKey(std::string_view text) const
{
    // The collation key, its end byte (0, below every key byte), then the raw text, which
    // breaks ties between collation-equal texts as Compare does.
    std::string out;
    std::u16string scratch;
    AppendCollationKey(text, out, scratch);
    out.push_back('\0');
    out.append(text);
    return out;
}

const CaptionCollator& CaptionCollator::Default()
{
    static const CaptionCollator collator;
    return collator;
}
