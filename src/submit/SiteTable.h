#pragma once

#include <string>
#include <vector>

// One download site that takes a PAD submission through one HTTP request.
struct SiteRecord {
    std::string Title;
    std::string ScriptUrl;
    std::string Method;        // "GET" or "POST"
    std::string LinkField;     // field that carries the PAD link
    std::string CategoryField; // field that carries the category
    std::string EmailField;
    std::string SuccessMarker; // a reply body holding this text counts as accepted
};

// A table of sites, row i standing for row i of the Auto Submit list. BuiltIn() is the
// program's own 45 sites in ascending title order, made once and never changed; a run takes
// whichever table it is given (tests pass one that points at local servers).
class SiteTable {
public:
    static constexpr int BuiltInCount = 45;

    SiteTable() = default;
    explicit SiteTable(std::vector<SiteRecord> rows) : rows_(std::move(rows)) {}

    static const SiteTable& BuiltIn();

    int Count() const { return static_cast<int>(rows_.size()); }
    const std::vector<SiteRecord>& Rows() const { return rows_; }
    // Row `index` (0-based); throws std::out_of_range for an index outside the table.
    const SiteRecord& At(int index) const;

private:
    std::vector<SiteRecord> rows_;
};
