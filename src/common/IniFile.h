#pragma once

#include <string>

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
    // line end stays as it was. The file is replaced atomically. Throws FileError.
    static void WriteString(const std::string& path, const std::string& section, const std::string& key,
                            const std::string& value);

    // The text WriteString would write, given the file's current text.
    static std::string WriteToText(const std::string& text, const std::string& section, const std::string& key,
                                   const std::string& value);
};
