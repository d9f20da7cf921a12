#include "submit/OwnSites.h"

#include "catalogue/CaptionCollator.h"
#include "catalogue/CatalogueFile.h"
#include "catalogue/DiskMerge.h"
#include "common/FileReplace.h"

#include <algorithm>
#include <numeric>
#include <tuple>
#include <unordered_set>

namespace {

std::string NameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HasControl(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    for (size_t i = 0; prefix[i]; ++i) {
        if (i >= text.size()) return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// A field name or the success marker: it goes into a query or is looked for in a reply.
std::string CheckWord(const std::string& value, const char* what, bool mayBeEmpty)
{
    if (value.empty() && !mayBeEmpty) return std::string("The ") + what + " cannot be empty.";
    if (value.find_first_of("|&=") != std::string::npos || HasControl(value))
        return std::string("The ") + what + " cannot hold \"|\", \"&\", \"=\" or a control character.";
    return {};
}

// The seven fields of a line, or nothing when the line is not seven fields each ended by "|".
bool CutFields(const std::string& line, std::vector<std::string>& fields)
{
    fields.clear();
    size_t start = 0;
    for (;;) {
        const size_t bar = line.find('|', start);
        if (bar == std::string::npos) break;
        fields.push_back(line.substr(start, bar - start));
        start = bar + 1;
    }
    return start == line.size() && fields.size() == static_cast<size_t>(OwnSites::Fields);
}

} // namespace

OwnSites::OwnSites(const SiteTable& base) : base_(base)
{
    for (const SiteRecord& site : base_.Rows()) baseTitles_.insert(site.Title);
}

std::string OwnSites::CheckFields(const SiteRecord& site)
{
    if (site.Title.empty()) return "The site needs a title.";
    if (site.Title.find('|') != std::string::npos || HasControl(site.Title))
        return "The title cannot hold \"|\" or a control character.";
    const std::string& url = site.ScriptUrl;
    if (url.empty()) return "The site needs a script address.";
    const bool secure = StartsWithNoCase(url, "https://");
    if (!secure && !StartsWithNoCase(url, "http://")) return "The script address must begin with http:// or https://.";
    if (url.find_first_of(" |") != std::string::npos || HasControl(url))
        return "The script address cannot hold a blank, \"|\" or a control character.";
    const size_t host = secure ? 8 : 7;
    const size_t hostEnd = url.find_first_of(":/?#", host);
    if ((hostEnd == std::string::npos ? url.size() : hostEnd) == host) return "The script address names no host.";
    if (site.Method != "GET" && site.Method != "POST") return "The method must be GET or POST.";
    for (const auto& [value, what, mayBeEmpty] :
         {std::tuple{&site.LinkField, "PAD-link field", false},
          std::tuple{&site.CategoryField, "category field", false}, std::tuple{&site.EmailField, "e-mail field", true},
          std::tuple{&site.SuccessMarker, "success marker", false}}) {
        std::string refusal = CheckWord(*value, what, mayBeEmpty);
        if (!refusal.empty()) return refusal;
    }
    return {};
}

std::string OwnSites::CheckEmail(const std::string& address)
{
    if (address.empty()) return {};
    if (address.find_first_of(" |") != std::string::npos || HasControl(address))
        return "An e-mail address cannot hold a blank, \"|\" or a control character.";
    const size_t at = address.find('@');
    if (at == std::string::npos || at == 0 || at + 1 == address.size())
        return "An e-mail address is a name, \"@\" and a domain.";
    return {};
}

std::string OwnSites::TitleTaken(const std::string& title)
{
    return "A site titled \"" + title + "\" already exists.";
}

std::string OwnSites::Check(const SiteRecord& site, int replacing) const
{
    std::string refusal = CheckFields(site);
    if (!refusal.empty()) return refusal;
    bool taken = baseTitles_.count(site.Title) > 0;
    for (size_t i = 0; i < sites_.size() && !taken; ++i)
        taken = static_cast<int>(i) != replacing && sites_[i].Title == site.Title;
    if (taken) return TitleTaken(site.Title);
    return {};
}

std::vector<std::string> OwnSites::AddAll(std::vector<SiteRecord> sites)
{
    std::vector<std::string> refusals(sites.size());
    std::unordered_set<std::string> titles;
    titles.reserve(sites_.size() + sites.size());
    for (const SiteRecord& s : sites_) titles.insert(s.Title);
    const size_t before = sites_.size();
    for (size_t i = 0; i < sites.size(); ++i) {
        SiteRecord& site = sites[i];
        refusals[i] = CheckFields(site);
        if (refusals[i].empty() && (baseTitles_.count(site.Title) > 0 || !titles.insert(site.Title).second))
            refusals[i] = TitleTaken(site.Title);
        if (!refusals[i].empty()) continue;
        site.Own = true;
        sites_.push_back(std::move(site));
    }
    if (sites_.size() != before) SortByTitle();
    return refusals;
}

void OwnSites::SortByTitle()
{
    // Titles are unique, so their order is one order, whichever way it is reached: keys made
    // once sort in n log n where comparing titles through the collator would convert each
    // title again at every comparison.
    const CaptionCollator& order = CaptionCollator::Default();
    std::vector<std::string> keys;
    keys.reserve(sites_.size());
    for (const SiteRecord& site : sites_) keys.push_back(order.SortKey(site.Title));
    std::vector<size_t> at(sites_.size());
    std::iota(at.begin(), at.end(), size_t{0});
    std::sort(at.begin(), at.end(), [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<SiteRecord> sorted;
    sorted.reserve(sites_.size());
    for (const size_t i : at) sorted.push_back(std::move(sites_[i]));
    sites_ = std::move(sorted);
}

void OwnSites::Insert(SiteRecord site, int* placed)
{
    site.Own = true;
    const CaptionCollator& order = CaptionCollator::Default();
    const auto at = std::upper_bound(sites_.begin(), sites_.end(), site, [&](const SiteRecord& a, const SiteRecord& b) {
        return order.Compare(a.Title, b.Title) < 0;
    });
    const auto index = at - sites_.begin();
    sites_.insert(at, std::move(site));
    if (placed) *placed = static_cast<int>(index);
}

std::string OwnSites::Add(SiteRecord site, int* placed)
{
    std::string refusal = Check(site);
    if (refusal.empty()) Insert(std::move(site), placed);
    return refusal;
}

std::string OwnSites::Replace(int index, SiteRecord site, int* placed)
{
    if (index < 0 || index >= static_cast<int>(sites_.size())) return "No such site.";
    std::string refusal = Check(site, index);
    if (!refusal.empty()) return refusal;
    sites_.erase(sites_.begin() + index);
    Insert(std::move(site), placed);
    return {};
}

void OwnSites::Remove(int index)
{
    if (index >= 0 && index < static_cast<int>(sites_.size())) sites_.erase(sites_.begin() + index);
}

void OwnSites::Load(const std::string& path)
{
    sites_.clear();
    skipped_.clear();
    notWhole_.clear();
    read_.clear();
    stamp_ = {};
    if (!FileReplace::Exists(path)) return;
    std::string bytes;
    try {
        bytes = FileReplace::ReadAll(path);
    } catch (const FileError& e) {
        notWhole_ = e.what();
        throw;
    }
    stamp_ = FileStamp::Of(path, bytes);
    read_ = bytes;
    Parse(bytes, path);
}

void OwnSites::Parse(std::string_view bytes, const std::string& path)
{
    sites_.clear();
    skipped_.clear();
    notWhole_.clear();
    if (bytes.size() >= 2 &&
        ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
        notWhole_ = NameOf(path) + " is UTF-16 text; it was not read";
        throw FileError(notWhole_);
    }
    const size_t nul = bytes.find('\0');
    const std::vector<std::string> lines = CatalogueFile::SplitLines(bytes);
    // The first line of a title keeps it; a later one is skipped as a title already used.
    std::unordered_set<std::string> titles;
    std::vector<std::string> fields;
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (line.empty()) continue;
        const int number = static_cast<int>(n) + 1;
        if (!CutFields(line, fields)) {
            skipped_.push_back({number, line, "not seven fields each ended by \"|\""});
            continue;
        }
        SiteRecord site{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], true};
        std::string refusal = CheckFields(site);
        if (refusal.empty() && (baseTitles_.count(site.Title) > 0 || !titles.insert(site.Title).second))
            refusal = TitleTaken(site.Title);
        if (!refusal.empty()) {
            skipped_.push_back({number, line, std::move(refusal)});
            continue;
        }
        sites_.push_back(std::move(site));
    }
    SortByTitle();
    if (nul != std::string::npos) {
        notWhole_ =
            NameOf(path) + " has a NUL byte at offset " + std::to_string(nul) + "; the rest of the file was not read";
        throw FileError(notWhole_);
    }
}

std::string OwnSites::SkippedMessage(const std::string& path) const
{
    if (skipped_.empty()) return {};
    std::string text = "Lines of " + NameOf(path) + " that hold no valid site were skipped; they are kept in the file:";
    for (const SkippedLine& s : skipped_) text += "\nline " + std::to_string(s.Line) + ": " + s.Reason;
    return text;
}

std::string OwnSites::Format() const
{
    std::string out;
    for (const SiteRecord& s : sites_) {
        for (const std::string* f :
             {&s.Title, &s.ScriptUrl, &s.Method, &s.LinkField, &s.CategoryField, &s.EmailField, &s.SuccessMarker}) {
            out += *f;
            out += '|';
        }
        out += "\r\n";
    }
    for (const SkippedLine& s : skipped_) out += s.Text + "\r\n";
    // A title or a skipped line (kept as read) could begin the file with a UTF-16 mark in an
    // 8-bit code page (two letters in Windows-1252); a blank line first (the reader passes over blank
    // lines) keeps the file readable.
    if (out.compare(0, 2, "\xFF\xFE") == 0 || out.compare(0, 2, "\xFE\xFF") == 0) out.insert(0, "\r\n");
    return out;
}

int OwnSites::Save(const std::string& path)
{
    if (!notWhole_.empty())
        throw FileError(notWhole_ + ". " + NameOf(path) + " is not written over, so nothing in it is lost.");
    int taken = 0;
    if (FileReplace::Exists(path)) {
        const std::string disk = FileReplace::ReadAll(path);
        if (stamp_.ChangedIn(FileStamp::Of(path, disk))) taken = TakeIn(disk, path);
    }
    // A list of own sites is small: its bytes are made whole, and the old file is kept as a
    // backup once they are on disk.
    const std::string bytes = Format();
    FileReplace::Write(
        path, [&](FileReplace::Sink& out) { out.Put(bytes); }, true);
    read_ = bytes;
    stamp_ = FileStamp::Of(path, bytes);
    return taken;
}

int OwnSites::TakeIn(const std::string& disk, const std::string& path)
{
    // The file is read as a start reads it: what stands before a NUL byte still counts.
    auto sitesOf = [this, &path](std::string_view bytes) {
        OwnSites read(base_);
        try {
            read.Parse(bytes, path);
        } catch (const FileError&) {
        }
        return read;
    };
    auto rowsOf = [](const OwnSites& own) {
        DiskMerge::Rows rows;
        for (const SiteRecord& s : own.sites_)
            rows.push_back(
                {s.Title, s.ScriptUrl, s.Method, s.LinkField, s.CategoryField, s.EmailField, s.SuccessMarker});
        return rows;
    };
    const OwnSites onDisk = sitesOf(disk);
    const DiskMerge::Result merge = DiskMerge::Merge(rowsOf(sitesOf(read_)), rowsOf(*this), rowsOf(onDisk), 0);
    std::vector<SiteRecord> records;
    for (const DiskMerge::Row& r : merge.Merged)
        records.push_back(SiteRecord{r[0], r[1], r[2], r[3], r[4], r[5], r[6], true});
    OwnSites merged(base_);
    const std::vector<std::string> refusals = merged.AddAll(records);
    for (size_t i = 0; i < records.size(); ++i) {
        if (refusals[i].empty()) continue;
        std::string line;
        for (const std::string& f : merge.Merged[i]) line += f + "|";
        skipped_.push_back({0, std::move(line), refusals[i]});
    }
    // Lines the file holds that are no site are kept too, once.
    for (const SkippedLine& s : onDisk.skipped_)
        if (std::none_of(skipped_.begin(), skipped_.end(), [&s](const SkippedLine& k) { return k.Text == s.Text; }))
            skipped_.push_back(s);
    sites_ = std::move(merged.sites_);
    return merge.Taken();
}

Phrase OwnSites::TakenMessage(const std::string& path, int taken)
{
    return Phrase("%1 was changed by another program; sites of it kept beside yours: %2.",
                  {Phrase::Text(NameOf(path)), Phrase::Text(std::to_string(taken))});
}

Phrase OwnSites::ReadAgainMessage(const std::string& path)
{
    return Phrase("%1 was changed by another program; its sites were read again.", {Phrase::Text(NameOf(path))});
}

SiteTable OwnSites::Combined() const
{
    return SiteTable::Combined(base_, sites_);
}
