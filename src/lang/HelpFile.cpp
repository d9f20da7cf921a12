#include "lang/HelpFile.h"

namespace {

struct Line {
    std::size_t Begin, End; // End: before the line's CR LF or LF
};

std::vector<Line> Lines(const std::string& text)
{
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t lf = text.find('\n', at);
        const std::size_t next = lf == std::string::npos ? text.size() : lf + 1;
        if (lf == std::string::npos) lf = text.size();
        const std::size_t end = lf > at && text[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back({at, end});
        at = next;
    }
    return lines;
}

bool IsUnderline(const std::string& text, const Line& l)
{
    if (l.End - l.Begin < 3) return false;
    for (std::size_t i = l.Begin; i < l.End; ++i)
        if (text[i] != '-') return false;
    return true;
}

bool IsHeading(const std::string& text, const Line& l)
{
    // A heading starts at the margin (an indented line above dashes is part of a table) and
    // is no rule of dashes itself.
    return l.End > l.Begin && text[l.Begin] != ' ' && text[l.Begin] != '\t' && !IsUnderline(text, l);
}

} // namespace

std::string HelpFile::For(const std::string& language)
{
    if (language == "English") return "help/Help - En.txt";
    if (language == "Russian") return "help/Help - Ru.txt";
    return {};
}

std::vector<HelpSection> HelpFile::Sections(const std::string& text)
{
    const std::vector<Line> lines = Lines(text);
    std::vector<HelpSection> sections;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (!IsHeading(text, lines[i]) || !IsUnderline(text, lines[i + 1])) continue;
        if (!sections.empty()) sections.back().End = lines[i].Begin;
        sections.push_back({text.substr(lines[i].Begin, lines[i].End - lines[i].Begin), lines[i].Begin, text.size()});
        ++i; // the underline is no heading of its own
    }
    return sections;
}

std::optional<std::size_t> HelpFile::SectionOffset(const std::string& text, const std::string& words)
{
    if (words.empty()) return std::nullopt;
    for (const HelpSection& s : Sections(text))
        if (s.Heading.find(words) != std::string::npos) return s.Offset;
    return std::nullopt;
}

std::string HelpFile::PlainCaption(const std::string& caption)
{
    std::string plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 == caption.size()) break; // a mark with nothing to mark
            ++i;                                // "&&" keeps one "&", "&F" keeps "F"
        }
        plain += caption[i];
    }
    for (const std::string tail : {"...", "\xE2\x80\xA6"}) // three dots, or the one character
        if (plain.size() >= tail.size() && plain.compare(plain.size() - tail.size(), tail.size(), tail) == 0) {
            plain.erase(plain.size() - tail.size());
            break;
        }
    return plain;
}
