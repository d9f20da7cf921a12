#include "submit/SiteSets.h"

#include "common/FileReplace.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

// A sets file is a few kilobytes; a larger one is refused rather than read whole.
constexpr size_t MaxFile = 4 * 1024 * 1024;

bool HasControl(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

} // namespace

SiteSets::File SiteSets::Parse(std::string_view bytes)
{
    File file;
    std::map<std::string, size_t> at; // name -> index in file.Sets
    size_t from = 0;
    while (from < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", from);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string line(bytes.substr(from, end - from));
        from = end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
        if (line.empty()) continue;
        const size_t bar = line.find('|');
        const size_t last = bar == std::string::npos ? bar : line.find('|', bar + 1);
        const std::string name = line.substr(0, bar);
        const std::string title = bar == std::string::npos ? std::string() : line.substr(bar + 1, last - bar - 1);
        if (last != line.size() - 1 || !CheckName(name).empty() || title.empty() || HasControl(title)) {
            file.Other.push_back(line);
            continue;
        }
        auto [it, added] = at.emplace(name, file.Sets.size());
        if (added) file.Sets.push_back({name, {}});
        std::vector<std::string>& sites = file.Sets[it->second].Sites;
        if (std::find(sites.begin(), sites.end(), title) == sites.end()) sites.push_back(title);
    }
    std::sort(file.Sets.begin(), file.Sets.end(), [](const Set& a, const Set& b) { return a.Name < b.Name; });
    return file;
}

SiteSets::File SiteSets::Load(const std::string& path)
{
    if (!FileReplace::Exists(path)) return {};
    return Parse(FileReplace::ReadLimited(path, MaxFile));
}

std::string SiteSets::Format(const File& file)
{
    std::string bytes;
    for (const Set& set : file.Sets)
        for (const std::string& site : set.Sites) bytes += set.Name + "|" + site + "|\r\n";
    for (const std::string& line : file.Other) bytes += line + "\r\n";
    return bytes;
}

std::string SiteSets::CheckName(const std::string& name)
{
    if (name.find_first_not_of(" \t") == std::string::npos) return "A site set needs a name.";
    if (name.find('|') != std::string::npos || HasControl(name))
        return "A site set's name cannot hold \"|\" or a control character.";
    if (name.size() > MaxName) return "A site set's name is at most " + std::to_string(MaxName) + " bytes long.";
    return {};
}

const SiteSets::Set* SiteSets::Find(const File& file, const std::string& name)
{
    for (const Set& set : file.Sets)
        if (set.Name == name) return &set;
    return nullptr;
}

std::string SiteSets::Save(const std::string& path, const Set& set)
{
    if (std::string why = CheckName(set.Name); !why.empty()) return why;
    if (set.Sites.empty()) return "A site set needs at least one site.";
    for (const std::string& site : set.Sites)
        if (site.empty() || site.find('|') != std::string::npos || HasControl(site))
            return "A site's title cannot be empty or hold \"|\" or a control character.";
    File file = Load(path);
    // The first set of a program folder whose data/ is gone still has a place to go.
    if (const auto folder = std::filesystem::path(path).parent_path(); !folder.empty()) {
        std::error_code ignored; // a folder that cannot be made fails the write, with its reason
        std::filesystem::create_directories(folder, ignored);
    }
    Set kept{set.Name, {}};
    for (const std::string& site : set.Sites)
        if (std::find(kept.Sites.begin(), kept.Sites.end(), site) == kept.Sites.end()) kept.Sites.push_back(site);
    const auto same =
        std::find_if(file.Sets.begin(), file.Sets.end(), [&](const Set& s) { return s.Name == set.Name; });
    if (same != file.Sets.end())
        *same = std::move(kept);
    else
        file.Sets.insert(std::upper_bound(file.Sets.begin(), file.Sets.end(), kept,
                                          [](const Set& a, const Set& b) { return a.Name < b.Name; }),
                         std::move(kept));
    FileReplace::Write(
        path, [&](FileReplace::Sink& out) { out.Put(Format(file)); }, true);
    return {};
}

bool SiteSets::Delete(const std::string& path, const std::string& name)
{
    File file = Load(path);
    const auto found = std::find_if(file.Sets.begin(), file.Sets.end(), [&](const Set& s) { return s.Name == name; });
    if (found == file.Sets.end()) return false;
    file.Sets.erase(found);
    FileReplace::Write(
        path, [&](FileReplace::Sink& out) { out.Put(Format(file)); }, true);
    return true;
}

SiteSets::Rows SiteSets::Resolve(const Set& set, const SiteTable& table)
{
    Rows rows;
    for (const std::string& title : set.Sites) {
        const int row = table.Find(title);
        if (row < 0)
            rows.Missing.push_back(title);
        else
            rows.Found.push_back(row);
    }
    std::sort(rows.Found.begin(), rows.Found.end());
    return rows;
}

Phrase SiteSets::MissingMessage(const std::string& name, const std::vector<std::string>& missing)
{
    if (missing.empty()) return {};
    std::string titles;
    for (const std::string& title : missing) titles += (titles.empty() ? "\"" : ", \"") + title + "\"";
    return Phrase("The site set \"%1\" names sites that no longer exist: %2; the others are used.",
                  {Phrase::Text(name), Phrase::Text(titles)});
}
