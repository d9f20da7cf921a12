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

    std::u16string ToUtf16(std::string_view text) const
    {
        std::u16string out(text.size() + 1, u'\0');
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

std::string CaptionCollator::SortKey(std::string_view text) const
{
    std::u16string u = impl_->ToUtf16(text);
    std::vector<uint8_t> key(64 + u.size() * 4);
    int32_t n = ucol_getSortKey(impl_->collator, reinterpret_cast<const UChar*>(u.data()),
                                static_cast<int32_t>(u.size()), key.data(), static_cast<int32_t>(key.size()));
    if (n > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<size_t>(n));
        n = ucol_getSortKey(impl_->collator, reinterpret_cast<const UChar*>(u.data()), static_cast<int32_t>(u.size()),
                            key.data(), static_cast<int32_t>(key.size()));
    }
    // The key ends in its own 0 byte, which sorts below every key byte; the raw text
    // after it breaks ties between collation-equal texts as Compare does.
    std::string out(reinterpret_cast<const char*>(key.data()), static_cast<size_t>(n));
    out.append(text);
    return out;
}

const CaptionCollator& CaptionCollator::Default()
{
    static const CaptionCollator collator;
    return collator;
}
