#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// Orders captions the way a person expects in the user's locale: case and accents
// matter, but they do not override the letters themselves ("apple" < "Banana" < "banana"
// is not what byte order would give). Captions are bytes in the locale's 8-bit encoding.
// Under the C or POSIX locale the root collation is used, so results do not depend on
// the machine.
//
// ICU measures texts and keys in int32_t, and a key costs several bytes per character, so
// only the first MaxCollatedLength bytes of a caption are collated; captions that agree
// there are ordered by their bytes.
class CaptionCollator {
public:
    static constexpr size_t MaxCollatedLength = 64 * 1024;

    // locale: an ICU / POSIX locale name ("ru_RU.UTF-8", "de", "C"); empty means the
    // process's LC_COLLATE (falling back to LC_ALL and LANG).
    explicit CaptionCollator(const std::string& locale = {});
    ~CaptionCollator();
    CaptionCollator(const CaptionCollator&) = delete;
    CaptionCollator& operator=(const CaptionCollator&) = delete;

    // < 0, 0, > 0 as a before, equal to, after b. Equal only for byte-equal texts.
    int Compare(std::string_view a, std::string_view b) const;

    // A key whose byte order (memcmp / std::string <) is the order of Compare.
    std::string SortKey(std::string_view text) const;

    // Appends the collation part of SortKey (without its end byte and the text that
    // breaks ties) to `out`: texts that Compare orders only by their bytes get equal keys.
    // `scratch` is a buffer reused between calls, for sorting many texts in one go.
    void AppendCollationKey(std::string_view text, std::string& out, std::u16string& scratch) const;

    // The collation locale actually used ("root" for C/POSIX).
    const std::string& LocaleName() const { return localeName_; }

    // One collator for the process, made on first use from the environment.
    static const CaptionCollator& Default();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string localeName_;
};
