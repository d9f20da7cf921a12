#pragma once

#include <string>
#include <string_view>

// Settings and language files: plain INI text. Section and key names match without
// regard to letter case, blanks around a value are dropped, one pair of surrounding
// quotes is removed, values are read up to 2047 characters. The file is opened for each
// access and closed at once.
class IniFile {
public:
    static constexpr size_t MaxValueLength = 2047;

    // The value of `key` in `section`, or `def` when the file, the section or the key is
    // missing or the file cannot be read.
    static std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                                  const std::string& def);

    // The same, on INI text already in memory.
    static std::string ReadFromText(const std::string& text, const std::string& section, const std::string& key,
                                    const std::string& def);

    // Sets `key` in `section` to `value`, creating the file, the section or the key as
    // needed. An existing key's line is changed in place; every other line, comment and
    // line end stays as it was. The file is replaced atomically. A file that is no 8-bit
    // text (see Unreadable) is left as it is. Throws FileError.
    static void WriteString(const std::string& path, const std::string& section, const std::string& key,
                            const std::string& value);

    // What to tell the user when the file at `path` is no 8-bit INI text (UTF-16, or it holds
    // a NUL byte): nothing is written to it. Empty when the file is readable text or missing.
    static std::string Unreadable(const std::string& path);

    // Why `text` is no 8-bit INI text that a write may edit (UTF-16, a NUL byte); empty when it is.
    static std::string NotText(std::string_view text);

    // The text WriteString would write, given the file's current text (that text itself when
    // it is no 8-bit text).
    static std::string WriteToText(const std::string& text, const std::string& section, const std::string& key,
                                   const std::string& value);
};
