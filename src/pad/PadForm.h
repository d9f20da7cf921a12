#pragma once

#include "common/Phrase.h"
#include "pad/PadDocument.h"
#include "pad/PadRule.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the PAD editor shows of a PAD file: its fields in five tabs, each field with its label,
// the rule it is checked by and the character limit that rule sets, and the problem that rule
// finds in a document's text of it. No widgets: the window lays these out and asks here.
//
// The fields are those of the public field list and those the rules in use name (a user's
// pad_spec.xml may know more), each once, in the list's order. A value type; any thread.
struct PadFormField {
    std::string Path;  // relative to the root, as PadDocument takes it
    std::string Label; // the element's name, as Validate PADs names the field
    std::optional<PadRule> Rule;
    std::size_t Limit = 0;  // the most characters the rule lets through; 0: no such limit
    bool Counted = false;   // a description: the window shows its count beside it
    bool Multiline = false; // a text of several lines (the long description, the licence)
};

struct PadFormTab {
    std::string Name; // Company, Program, File, Descriptions or Web
    std::vector<PadFormField> Fields;
};

class PadForm {
public:
    static std::vector<PadFormTab> Tabs(const std::vector<PadRule>& rules);

    // The paths of the rules without the root, for PadDocument::AddKnownFields.
    static std::vector<std::string> RulePaths(const std::vector<PadRule>& rules);

    // What the field's rule finds wrong with its text in `document` (empty: nothing, or no rule).
    static Phrase Problem(const PadDocument& document, const PadFormField& field);

    // The upper bound of the pattern's last repeat count "{m,n}" (the length a rule of the
    // field list allows); 0 when it has none.
    static std::size_t Limit(const std::string& pattern);
    // The characters of the UTF-8 text as the rules count them: without the blanks around it.
    static std::size_t Characters(std::string_view text);

    // A new PAD file: the declaration, the root and every field `rules` require, empty.
    static std::string Template(const std::vector<PadRule>& rules);
};
