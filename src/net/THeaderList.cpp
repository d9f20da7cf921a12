#include "net/THeaderList.h"

#include <algorithm>
#include <cctype>

namespace {

int CompareNoCase(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// The name of a header line; false when it has no colon.
bool LineName(const std::string& line, std::string& name)
{
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    name = line.substr(0, colon);
    return true;
}

// The key a sorted list orders by: the name (the whole line when it has no colon).
std::string SortKey(const std::string& line)
{
    return line.substr(0, line.find(':'));
}

// Sorted order: by name, then by the whole line, both without regard to case.
bool SortsBefore(const std::string& a, const std::string& b)
{
    const int byName = CompareNoCase(SortKey(a), SortKey(b));
    return byName != 0 ? byName < 0 : CompareNoCase(a, b) < 0;
}

} // namespace

size_t THeaderList::Add(const std::string& line)
{
    if (!Sorted) {
        lines_.push_back(line);
        return lines_.size() - 1;
    }
    const auto at = std::upper_bound(lines_.begin(), lines_.end(), line, SortsBefore);
    return static_cast<size_t>(lines_.insert(at, line) - lines_.begin());
}

int THeaderList::IndexOfName(const std::string& name) const
{
    std::string lineName;
    if (!Sorted) {
        for (size_t i = 0; i < lines_.size(); ++i)
            if (LineName(lines_[i], lineName) && CompareNoCase(lineName, name) == 0) return static_cast<int>(i);
        return -1;
    }
    // Sorted by name: halve to the first line whose name is not below the one sought.
    size_t lo = 0;
    size_t hi = lines_.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (CompareNoCase(SortKey(lines_[mid]), name) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (; lo < lines_.size() && CompareNoCase(SortKey(lines_[lo]), name) == 0; ++lo)
        if (LineName(lines_[lo], lineName)) return static_cast<int>(lo);
    return -1;
}

std::string THeaderList::GetValue(const std::string& name) const
{
    const int index = IndexOfName(name);
    if (index < 0) return {};
    const std::string& line = lines_[static_cast<size_t>(index)];
    std::string value = line.substr(line.find(':') + 1);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    return value;
}

void THeaderList::SetValue(const std::string& name, const std::string& value)
{
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0) Delete(static_cast<size_t>(index));
        return;
    }
    const std::string line = name + ": " + value;
    if (index < 0) {
        Add(line);
    } else if (Sorted) {
        Delete(static_cast<size_t>(index));
        Add(line);
    } else {
        lines_[static_cast<size_t>(index)] = line;
    }
}
