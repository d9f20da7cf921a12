#pragma once

#include <string>
#include <vector>

// A list of header lines, each a name, a colon, a blank and a value ("Host: example.com").
// The HTTP client keeps its request header in one, unsorted, in the order the lines go out.
class THeaderList {
public:
    // A sorted list keeps its lines in case-insensitive order and finds names by halving.
    bool Sorted = false;

    void Clear() { lines_.clear(); }
    // Appends the line (a sorted list inserts it at its place); returns its index.
    size_t Add(const std::string& line);
    void Delete(size_t index) { lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index)); }
    size_t Count() const { return lines_.size(); }
    const std::string& operator[](size_t index) const { return lines_[index]; }
    const std::vector<std::string>& Lines() const { return lines_; }

    // The index of the first line whose name (its text before the first ":") equals `name`
    // without regard to letter case, or -1. Lines without ":" never match.
    int IndexOfName(const std::string& name) const;
    // The value of that line (after the colon, one leading blank dropped), or empty.
    std::string GetValue(const std::string& name) const;
    // A non-empty value replaces the line in place or appends "name: value"; an empty value
    // deletes the line if there is one.
    void SetValue(const std::string& name, const std::string& value);

private:
    std::vector<std::string> lines_;
};
