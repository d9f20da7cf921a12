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
    std::string EmailField;    // built-in sites never get it; the author's own sites do when it is named
    std::string SuccessMarker; // a reply body holding this text counts as accepted
    bool Own = false;          // one of the author's own sites (data/autosites.dat), not a built-in one
};

// A table of sites, row i standing for row i of the Auto Submit list. BuiltIn() is the
// program's own 45 sites in ascending title order, made once and never changed; a run takes
// whichever table it is given (tests pass one that points at local servers). Combined()
// puts the author's own sites after a table's rows, so every row of that table keeps its
// index.
class SiteTable {
public:
    static constexpr int BuiltInCount = 45;

    SiteTable() = default;
    explicit SiteTable(std::vector<SiteRecord> rows) : rows_(std::move(rows)) {}

    static const SiteTable& BuiltIn();
    // `base`'s rows in their order, then `own` (already in the order to show), each marked Own.
    static SiteTable Combined(const SiteTable& base, const std::vector<SiteRecord>& own);

    int Count() const { return static_cast<int>(rows_.size()); }
    const std::vector<SiteRecord>& Rows() const { return rows_; }
    // Row `index` (0-based); throws std::out_of_range for an index outside the table.
    const SiteRecord& At(int index) const;
    // The row of the site titled exactly `title`, or -1.
    int Find(const std::string& title) const;

private:
    std::vector<SiteRecord> rows_;
};
