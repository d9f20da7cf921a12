#include "common/StatusWords.h"

#include <utility>

namespace {

constexpr std::pair<Outcome, const char*> Words[] = {
    {Outcome::None, ""},
    {Outcome::Ok, StatusWords::Ok},
    {Outcome::NotAccepted, StatusWords::NotAccepted},
    {Outcome::Failed, StatusWords::Failed},
    {Outcome::Invalid, StatusWords::Invalid},
    {Outcome::Cancelled, StatusWords::Cancelled},
    {Outcome::Unknown, StatusWords::Unknown},
};

} // namespace

const char* StatusWords::Word(Outcome outcome)
{
    for (const auto& [o, word] : Words)
        if (o == outcome) return word;
    return StatusWords::Unknown;
}

Outcome StatusWords::ToOutcome(std::string_view word)
{
    for (const auto& [o, w] : Words)
        if (word == w) return o;
    return Outcome::Unknown;
}
