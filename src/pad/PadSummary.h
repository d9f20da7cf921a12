#pragma once

#include "pad/PadRule.h"
#include "pad/PadValidation.h"

#include <string>
#include <string_view>
#include <vector>

// What From PAD takes from a PAD file for a product: its title, Program_Name and
// Program_Version with a blank between, and its category, Program_Category_Class.
//
// Of is a pure function of the bytes, the category list and the rule table, like
// PadValidation::Check: the three fields must be present and pass their rules of the table
// in use (a field the table has no rule for must only be present), and the category must be
// one of the list, all within `timeLimit` (see PadValidation). Anything else gives the
// problems, in the words of Validate PADs, and an empty title and category. Any thread may
// call it.
struct PadSummary {
    std::string Title;
    std::string Category;
    std::vector<PadProblem> Problems; // empty: Title and Category are good to use

    bool Ok() const { return Problems.empty(); }

    static PadSummary Of(std::string_view bytes, const std::vector<std::string>& categories,
                         const std::vector<PadRule>& rules = PadRule::BuiltIn(),
                         std::chrono::milliseconds timeLimit = PadValidation::TimeLimit);
};
