#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

// INI text read once for many look-ups: every key of every section found in one pass, so that
// a look-up costs the same however large the text. It answers exactly as IniFile::ReadFromText
// does on the same text (IniSyntax): the first section of a name counts, and in it the first
// key of a name; a value is trimmed, loses one pair of quotes and is cut at
// IniFile::MaxValueLength.
//
// Immutable once made; any thread may read it.
class IniIndex {
public:
    explicit IniIndex(std::string text);

    // The value of `key` in `section`, or `def` when either is missing.
    std::string Read(std::string_view section, std::string_view key, const std::string& def) const;
    // The text the index was made of.
    const std::string& Text() const { return text_; }

private:
    using Span = std::pair<size_t, size_t>; // a raw value's offset and length in text_
    using Keys = std::unordered_map<std::string, Span>;

    std::string text_;
    std::unordered_map<std::string, Keys> sections_; // by folded name
};
