#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// How INI text reads, for IniFile (one look-up or one write at a time) and IniIndex (every
// key at once), so that both read a file alike. Lines end at CR, LF or CR LF; a UTF-8
// byte-order mark before the first line is no part of it. A line whose first non-blank byte
// is "[" opens a section, named by what stands up to "]" (or the line's end); a line with a
// "=" holds a key (before the first "=") and its value. Names match without regard to the
// case of ASCII letters; blanks are spaces and tabs.
//
// Plain functions of their arguments; any thread.
class IniSyntax {
public:
    struct Line {
        size_t begin; // offset of the first byte of the line
        size_t end;   // offset just past the line's text (its line end not included)
        size_t next;  // offset of the next line
    };

    static std::vector<Line> SplitLines(std::string_view text);
    static std::string_view Trim(std::string_view s);
    static bool SameName(std::string_view a, std::string_view b);
    // `name` with its ASCII capitals made small: equal for names that SameName matches.
    static std::string Folded(std::string_view name);
    // The name of a section header line ("[ name ]" -> "name"), or false when the line is none.
    static bool SectionName(std::string_view line, std::string_view& name);
    // The key of a "key=value" line, trimmed, and the value as it stands.
    static bool KeyOf(std::string_view line, std::string_view& key, std::string_view& value);
    // A value as it is read: blanks around it dropped, one pair of surrounding quotes (" or ')
    // removed, cut at `maxLength` characters.
    static std::string_view Value(std::string_view raw, size_t maxLength);
};
