#pragma once

#include "common/Phrase.h"

#include <string>
#include <vector>

// One field of a PAD file as we check it: where it is, whether download sites need it, the
// Perl-style pattern its text must match (the PAD field list writes its rules in that dialect,
// evaluated with PCRE2 on the UTF-8 text, so lengths count characters) and what to tell the
// author when it does not. A required rule with an OrPath is satisfied by either element.
struct PadRule {
    std::string Path; // from the root: "XML_DIZ_INFO/Program_Info/Program_Name"
    bool Required = false;
    std::string Pattern; // empty: any text
    std::string Message; // what the text should be, e.g. "1 to 45 characters"
    std::string OrPath;  // another element that stands in for this one when this one is missing
    // Message for the window: our words with their numbers apart, so they can be shown in the
    // user's language. Empty for a rule of the user's own table, whose words are shown as written.
    Phrase Said{};

    // Our table, written from the public PAD field list: the fields download sites need.
    static const std::vector<PadRule>& BuiltIn();
};
