#pragma once

#include "common/Phrase.h"
#include "pad/PadRule.h"
#include "pad/PadValidation.h"

#include <chrono>
#include <optional>
#include <string>

// One rule on one field, as the PAD editor checks each field while it is typed: what
// PadValidation::Check says of that field (the same words, from the same code in
// PadValidation.cpp), without the file-wide checks of the PAD link and the category list.
// A pure function; any thread.
class PadFieldCheck {
public:
    // Empty when the rule finds nothing. `text` is the field's text (nothing when the file
    // does not have it), `standIn` that of the rule's OrPath element.
    static Phrase Problem(const PadRule& rule, const std::optional<std::string>& text,
                          const std::optional<std::string>& standIn = std::nullopt,
                          std::chrono::milliseconds timeLimit = PadValidation::TimeLimit);
};
