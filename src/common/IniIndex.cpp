#include "common/IniIndex.h"

#include "common/IniFile.h"
#include "common/IniSyntax.h"

IniIndex::IniIndex(std::string text) : text_(std::move(text))
{
    const std::string_view all(text_);
    Keys* keys = nullptr; // the section the lines belong to; none before the first or in a repeat
    for (const IniSyntax::Line& l : IniSyntax::SplitLines(all)) {
        const std::string_view line = all.substr(l.begin, l.end - l.begin);
        std::string_view name, value;
        if (IniSyntax::SectionName(line, name)) {
            const auto [it, added] = sections_.try_emplace(IniSyntax::Folded(name));
            keys = added ? &it->second : nullptr;
        } else if (keys && IniSyntax::KeyOf(line, name, value)) {
            keys->try_emplace(IniSyntax::Folded(name),
                              Span{static_cast<size_t>(value.data() - all.data()), value.size()});
        }
    }
}

std::string IniIndex::Read(std::string_view section, std::string_view key, const std::string& def) const
{
    const auto s = sections_.find(IniSyntax::Folded(section));
    if (s == sections_.end()) return def;
    const auto k = s->second.find(IniSyntax::Folded(key));
    if (k == s->second.end()) return def;
    const auto [at, size] = k->second;
    return std::string(IniSyntax::Value(std::string_view(text_).substr(at, size), IniFile::MaxValueLength));
}
