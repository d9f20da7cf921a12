// The INI reader and writer (settings and language files), on any bytes. Reading never
// fails, and the index of a language file reads every key as one read of the text does; a
// value written reads back; and a write changes the key's one line (or adds it, and its
// section when there is none) and keeps every other line of the file, in order.
#include "FuzzCheck.h"

#include "common/IniFile.h"
#include "common/IniIndex.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool Trimmed(const std::string& s)
{
    return s.empty() || (!IsBlank(s.front()) && !IsBlank(s.back()));
}

bool OnOneLine(const std::string& s)
{
    return s.find_first_of("\r\n") == std::string::npos;
}

bool SameNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The lines of INI text, without their ends (CR, LF or CR LF) and without a UTF-8 mark.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// The key of a "key = value" line, trimmed.
bool KeyOf(const std::string& line, std::string& key)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    std::size_t b = 0, e = eq;
    while (b < e && IsBlank(line[b])) ++b;
    while (e > b && IsBlank(line[e - 1])) --e;
    key = line.substr(b, e - b);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(24);
    const std::string key = in.ConsumeRandomLengthString(24);
    const std::string value = in.ConsumeRandomLengthString(2100);
    const std::string text = in.ConsumeRemainingBytesAsString();

    const std::string missing = "\x01missing";
    const std::string old = IniFile::ReadFromText(text, section, key, missing);
    FUZZ_CHECK(old == missing || old.size() <= IniFile::MaxValueLength, "a value read is cut at its length");
    FUZZ_CHECK(IniIndex(text).Read(section, key, missing) == old, "the index reads a key as one read does");

    // Names and a value that the file can hold as they are: one line each, no blanks around
    // them, no "]" in the section, no "=" in the key, which does not open a section, and a
    // value not in quotes and not longer than what is read.
    const bool quoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    if (!OnOneLine(section) || !OnOneLine(key) || !OnOneLine(value) || !Trimmed(section) || !Trimmed(key) ||
        !Trimmed(value) || section.find(']') != std::string::npos || key.find('=') != std::string::npos ||
        (!key.empty() && key.front() == '[') || quoted || value.size() > IniFile::MaxValueLength)
        return 0;

    const std::string written = IniFile::WriteToText(text, section, key, value);
    if (!IniFile::NotText(text).empty()) {
        FUZZ_CHECK(written == text, "a file that is no 8-bit text is never written over");
        return 0;
    }
    FUZZ_CHECK(IniFile::ReadFromText(written, section, key, missing) == value, "a value written reads back");

    // Every other line stays, in order: between the lines both texts begin with and the
    // lines both end with, the old text has at most the key's own line, and the new one
    // the key's line, after a blank line and the section's header when those are new.
    const std::vector<std::string> before = Lines(text), after = Lines(written);
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const std::size_t gone = before.size() - head - tail;
    std::string goneKey;
    FUZZ_CHECK(gone == 0 || (gone == 1 && KeyOf(before[head], goneKey) && SameNoCase(goneKey, key)),
               "a write takes away no line but the key's own");
    const std::size_t added = after.size() - head - tail;
    FUZZ_CHECK(added >= 1 || (gone == 0 && old == value), "a write leaves the key's line");
    for (std::size_t i = head; i + 1 < head + added; ++i)
        FUZZ_CHECK(after[i].empty() || after[i] == "[" + section + "]", "a write adds only its section before its key");
    if (added >= 1) FUZZ_CHECK(after[head + added - 1] == key + "=" + value, "the line written is key=value");
    return 0;
}
