#pragma once

#include "common/Outcome.h"

#include <string_view>

// The words the Status columns, the reports and the history hold, compared exactly and
// case-sensitively wherever they are read (colours, counts, reports).
namespace StatusWords {

// Auto Submit list: what became of one site's request.
inline constexpr const char* Connected = "->";    // the connection is open, the request under way
inline constexpr const char* Ok = "Ok";           // the reply holds the success marker
inline constexpr const char* NotAccepted = "X";   // the reply came without it
inline constexpr const char* Failed = "Failed";   // no connection, or an error reply
inline constexpr const char* Invalid = "Invalid"; // the host name did not resolve
// Reports and the history: a pair that a Cancel stopped, or that never started.
inline constexpr const char* Cancelled = "Cancelled";
// Reports and the history: a word read back that names no outcome, or a word the history lost.
inline constexpr const char* Unknown = "?";

// Products list: a PAD test's "Ok" (the same word as above), and the PAD file's check.
inline constexpr const char* Added = "?"; // a product just added
inline constexpr const char* Valid = "Yes";
inline constexpr const char* NotValid = "No";

// An outcome's word as reports and the history keep it: "" for None.
const char* Word(Outcome outcome);
// The outcome a word names, "" being None. A word that names none is Unknown: shown as "?",
// counted among the failed and sent again by a retry, as it was never known to go through.
Outcome ToOutcome(std::string_view word);

} // namespace StatusWords
