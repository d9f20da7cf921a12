#include "common/IniFile.h"

#include "common/FileReplace.h"
#include "common/IniSyntax.h"

#include <string_view>
#include <vector>

namespace {

using Line = IniSyntax::Line;

struct Found {
    bool section = false;
    size_t sectionLine = 0; // index of the header line
    size_t lastContent = 0; // index of the last non-blank line of the section
    bool key = false;
    size_t keyLine = 0;
};

Found Locate(std::string_view text, const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    Found f;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = text.substr(lines[i].begin, lines[i].end - lines[i].begin);
        std::string_view name;
        if (IniSyntax::SectionName(line, name)) {
            if (inside) break; // the first matching section is the one that counts
            if (IniSyntax::SameName(name, section)) {
                inside = true;
                f.section = true;
                f.sectionLine = f.lastContent = i;
            }
            continue;
        }
        if (!inside) continue;
        if (!IniSyntax::Trim(line).empty()) f.lastContent = i;
        std::string_view k, v;
        if (!f.key && IniSyntax::KeyOf(line, k, v) && IniSyntax::SameName(k, key)) {
            f.key = true;
            f.keyLine = i;
        }
    }
    return f;
}

std::string LineEndOf(std::string_view text)
{
    auto p = text.find_first_of("\r\n");
    if (p == std::string_view::npos) return "\r\n";
    if (text[p] == '\n') return "\n";
    if (p + 1 < text.size() && text[p + 1] == '\n') return "\r\n";
    return "\r";
}

} // namespace

std::string IniFile::NotText(std::string_view text)
{
    const bool bom =
        text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'));
    const size_t nul = text.find('\0');
    if (bom || nul < 2) return "is UTF-16 text; the settings in it were not read";
    if (nul != std::string_view::npos) return "has a NUL byte at offset " + std::to_string(nul);
    return {};
}

std::string IniFile::ReadFromText(const std::string& text, const std::string& section, const std::string& key,
                                  const std::string& def)
{
    auto lines = IniSyntax::SplitLines(text);
    Found f = Locate(text, lines, section, key);
    if (!f.key) return def;
    const Line& l = lines[f.keyLine];
    std::string_view k, v;
    IniSyntax::KeyOf(std::string_view(text).substr(l.begin, l.end - l.begin), k, v);
    return std::string(IniSyntax::Value(v, MaxValueLength));
}

std::string IniFile::ReadString(const std::string& path, const std::string& section, const std::string& key,
                                const std::string& def)
{
    std::string text;
    try {
        text = FileReplace::ReadAll(path);
    } catch (const FileError&) {
        return def;
    }
    return ReadFromText(text, section, key, def);
}

std::string IniFile::WriteToText(const std::string& text, const std::string& section, const std::string& key,
                                 const std::string& value)
{
    if (!NotText(text).empty()) return text;
    auto lines = IniSyntax::SplitLines(text);
    Found f = Locate(text, lines, section, key);
    const std::string eol = LineEndOf(text);
    const std::string entry = key + "=" + value;
    std::string out;
    if (f.key) {
        const Line& l = lines[f.keyLine];
        out = text.substr(0, l.begin) + entry + text.substr(l.end);
    } else if (f.section) {
        const Line& l = lines[f.lastContent];
        // After the section's last line; give that line an end first if it has none. The new
        // line ends like that one: a lone CR could join a blank line after it into one CR LF.
        std::string head = text.substr(0, l.next);
        if (l.next == l.end) head += eol;
        const std::string end = l.next == l.end ? eol : text.substr(l.end, l.next - l.end);
        out = head + entry + end + text.substr(l.next);
    } else {
        out = text;
        bool hasContent = !lines.empty();
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += eol;
        if (hasContent) out += eol;
        out += "[" + section + "]" + eol + entry + eol;
    }
    return out;
}

void IniFile::WriteString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& value)
{
    std::string text;
    if (FileReplace::Exists(path)) text = FileReplace::ReadAll(path);
    if (!NotText(text).empty()) return; // the user was told at start (Unreadable)
    FileReplace::Write(path, WriteToText(text, section, key, value));
}

std::string IniFile::Unreadable(const std::string& path)
{
    std::string text;
    try {
        text = FileReplace::ReadAll(path);
    } catch (const FileError&) {
        return {};
    }
    const std::string why = NotText(text);
    if (why.empty()) return {};
    const size_t slash = path.find_last_of('/');
    return path.substr(slash == std::string::npos ? 0 : slash + 1) + " " + why +
           ". Settings are not saved to it, so it stays as it is; save it as plain text to use it.";
}
