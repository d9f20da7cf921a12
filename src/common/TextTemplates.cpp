#include "common/TextTemplates.h"

#include <algorithm>

namespace {

bool IsSlot(const std::string& text, size_t i)
{
    return text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
}

// How deep a part is looked up inside a part.
constexpr int MaxDepth = 3;

} // namespace

std::string TextTemplates::Placeholders(const std::string& text)
{
    std::string digits;
    for (size_t i = 0; i < text.size(); ++i)
        if (IsSlot(text, i)) digits += text[++i];
    std::sort(digits.begin(), digits.end());
    digits.erase(std::unique(digits.begin(), digits.end()), digits.end());
    return digits;
}

std::vector<TextTemplates::Piece> TextTemplates::Split(const std::string& text)
{
    std::vector<Piece> pieces;
    std::string literal;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsSlot(text, i)) {
            literal += text[i];
            continue;
        }
        if (!literal.empty()) pieces.push_back({std::move(literal), 0});
        literal.clear();
        pieces.push_back({{}, text[++i] - '0'});
    }
    if (!literal.empty()) pieces.push_back({std::move(literal), 0});
    return pieces;
}

void TextTemplates::Add(const std::string& english, const std::string& shown, const std::string& nested)
{
    Entry e;
    e.English = Split(english);
    for (const Piece& p : e.English) e.Fixed += p.Literal.size();
    // A template of placeholders alone would match any text.
    if (e.Fixed == 0) return;
    e.Shown = Placeholders(shown) == Placeholders(english) ? shown : english;
    e.Nested = nested;
    entries_.push_back(std::move(e));
}

bool TextTemplates::Match(const std::vector<Piece>& pieces, size_t at, const std::string& text, size_t from,
                          std::vector<std::string>& parts)
{
    if (at == pieces.size()) return from == text.size();
    const Piece& p = pieces[at];
    if (p.Slot == 0) {
        if (text.compare(from, p.Literal.size(), p.Literal) != 0) return false;
        return Match(pieces, at + 1, text, from + p.Literal.size(), parts);
    }
    const size_t slot = static_cast<size_t>(p.Slot - 1);
    if (parts.size() <= slot) parts.resize(slot + 1);
    // A placeholder takes at least one character, and as few as let the rest match.
    // It never takes a sentence boundary: sentences joined on a line are matched one by one.
    const size_t limit = std::min(text.find(". ", from), text.size());
    if (at + 1 == pieces.size()) {
        if (from >= text.size() || limit < text.size()) return false;
        parts[slot] = text.substr(from);
        return true;
    }
    const std::string& next = pieces[at + 1].Literal; // Split never puts two placeholders side by side
    for (size_t end = text.find(next, from + 1); end != std::string::npos && end <= limit;
         end = text.find(next, end + 1)) {
        parts[slot] = text.substr(from, end - from);
        if (Match(pieces, at + 1, text, end, parts)) return true;
    }
    return false;
}

size_t TextTemplates::Whole(const std::string& line, int depth, std::string& out) const
{
    // Of the templates that match, the one that explains the most of the line: its own fixed
    // text and that of the templates its nested parts match ("should be %1" around "%1 to %2
    // characters" explains more than "%1 to %2 characters" taking "should be 1" as a number).
    size_t bestScore = 0;
    const Entry* best = nullptr;
    std::vector<std::string> bestParts;
    for (const Entry& e : entries_) {
        std::vector<std::string> parts;
        if (!Match(e.English, 0, line, 0, parts)) continue;
        size_t score = e.Fixed;
        for (char digit : e.Nested) {
            const size_t slot = static_cast<size_t>(digit - '1');
            if (slot >= parts.size() || depth >= MaxDepth) continue;
            std::string inner;
            if (const size_t explained = Whole(parts[slot], depth + 1, inner)) {
                parts[slot] = std::move(inner);
                score += explained;
            }
        }
        if (score <= bestScore) continue;
        bestScore = score;
        best = &e;
        bestParts = std::move(parts);
    }
    if (!best) return 0;
    out.clear();
    const std::string& shown = best->Shown;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (!IsSlot(shown, i)) {
            out += shown[i];
            continue;
        }
        const size_t slot = static_cast<size_t>(shown[++i] - '1');
        if (slot < bestParts.size()) out += bestParts[slot];
    }
    return bestScore;
}

std::string TextTemplates::Line(const std::string& line, int depth) const
{
    if (line.empty() || line.size() > MaxLine) return line;
    // Where a sentence may end: before each ". " and at the end of the line.
    std::vector<size_t> ends;
    for (size_t at = line.find(". "); at != std::string::npos && ends.size() < MaxSentences;
         at = line.find(". ", at + 2))
        ends.push_back(at);
    if (ends.size() == MaxSentences) ends.clear(); // too many to try: the line as a whole only
    ends.push_back(line.size());
    // From the left, the most sentences that one template takes, else one sentence as it is.
    std::string out;
    size_t from = 0;
    bool any = false;
    for (size_t first = 0; first < ends.size();) {
        size_t taken = ends.size();
        std::string shown;
        bool withStop = false;
        for (size_t e = ends.size(); e-- > first && taken == ends.size();) {
            const size_t end = ends[e];
            // A template may end in its full stop: try the sentence with it first.
            if (end < line.size() && Whole(line.substr(from, end + 1 - from), depth, shown) > 0) {
                taken = e;
                withStop = true;
            } else if (end > from && Whole(line.substr(from, end - from), depth, shown) > 0) {
                taken = e;
            }
        }
        if (taken == ends.size()) {
            taken = first;
            shown = line.substr(from, ends[first] - from);
        } else {
            any = true;
        }
        out += shown;
        if (ends[taken] < line.size()) out += withStop ? " " : ". ";
        from = ends[taken] + 2;
        first = taken + 1;
    }
    return any ? out : line;
}

std::string TextTemplates::Translate(const std::string& text) const
{
    if (entries_.empty()) return text;
    std::string out;
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = text.find_first_of("\r\n", from);
        if (end == std::string::npos) {
            out += Line(text.substr(from), 0);
            break;
        }
        out += Line(text.substr(from, end - from), 0);
        out += text[end];
        from = end + 1;
    }
    return out;
}

void TextTemplates::AddCaption(const std::string& english, const std::string& shown)
{
    captions_[english] = Placeholders(shown) == Placeholders(english) ? shown : english;
}

std::string TextTemplates::Caption(const std::string& english) const
{
    const auto found = captions_.find(english);
    return found == captions_.end() ? english : found->second;
}
