#pragma once

#include <array>
#include <string>

// One built-in download site that takes a PAD submission through one HTTP request.
struct SiteRecord {
    std::string Title;
    std::string ScriptUrl;
    std::string Method;        // "GET" or "POST"
    std::string LinkField;     // field that carries the PAD link
    std::string CategoryField; // field that carries the category
    std::string EmailField;
    std::string SuccessMarker; // a reply body holding this text counts as accepted
};

// The fixed table of built-in sites, in ascending title order. Row i of the Auto Submit
// list is entry i of this table.
class SiteTable {
public:
    static constexpr int Count = 45;
    static const std::array<SiteRecord, Count>& Rows();
    // Entry `index` (0-based); throws std::out_of_range for an index outside the table.
    static const SiteRecord& At(int index);
};
