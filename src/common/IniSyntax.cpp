#include "common/IniSyntax.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

unsigned char Small(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

} // namespace

std::vector<IniSyntax::Line> IniSyntax::SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    size_t start = 0;
    // A UTF-8 byte-order mark written by an editor is not part of the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") start = 3;
    size_t i = start;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            size_t end = i;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++i;
            lines.push_back({start, end, i});
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.push_back({start, text.size(), text.size()});
    return lines;
}

std::string_view IniSyntax::Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool IniSyntax::SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Small(a[i]) != Small(b[i])) return false;
    return true;
}

std::string IniSyntax::Folded(std::string_view name)
{
    std::string out(name);
    for (char& c : out) c = static_cast<char>(Small(c));
    return out;
}

bool IniSyntax::SectionName(std::string_view line, std::string_view& name)
{
    std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[') return false;
    auto close = t.find(']');
    name = Trim(close == std::string_view::npos ? t.substr(1) : t.substr(1, close - 1));
    return true;
}

bool IniSyntax::KeyOf(std::string_view line, std::string_view& key, std::string_view& value)
{
    auto eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(line.substr(0, eq));
    value = line.substr(eq + 1);
    return true;
}

std::string_view IniSyntax::Value(std::string_view raw, size_t maxLength)
{
    std::string_view v = Trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    if (v.size() > maxLength) v = v.substr(0, maxLength);
    return v;
}
