#pragma once

#include "common/Phrase.h"

#include <string>

// The words of our own reasons why a request did not go through, as the worker writes them
// (WorkReason) and the history keeps them, and the one reader that takes such words back as a
// phrase for the window. Only our exact words are read back; anything else (a site's answer,
// the network layer's message) is shown as it is.
namespace ReasonWords {

inline constexpr const char* Cancelled = "Cancelled";
inline constexpr const char* HttpsRefused = "https sites are not allowed (Settings > Allow https sites)";
inline constexpr const char* HostNotFound = "host name not found";
inline constexpr const char* NoAnswer = "no answer";
inline constexpr const char* Refused = "connection refused";
inline constexpr const char* CutShort = "reply cut short";
inline constexpr const char* SecureFailed = "secure connection failed";
inline constexpr const char* Certificate = "the server's certificate was refused";
inline constexpr const char* ProxyRefused = "the proxy refused the connection";
inline constexpr const char* TooLarge = "reply too large";
inline constexpr const char* AddressTooLong = "address too long";
inline constexpr const char* Reset = "connection reset by the server";
inline constexpr const char* NotTaken = "the reply did not say the link was taken";
inline constexpr const char* NoReply = "no reply";
// Templates: the seconds waited ("10", "2.5"), and the reply's status code and phrase.
inline constexpr const char* NoAnswerIn = "no answer in %1 s";
inline constexpr const char* ServerAnswered = "server answered %1";

// Reason words (kept in a run's pair, stored in the history) as a phrase for the window.
// `fromSite`: the reason of an "X", the site's own words, shown as they are (but for our own
// sentence for a reply that said nothing). Otherwise our own reasons are read back exactly
// (the fixed ones, "no answer in N s", "server answered " and the rest as it came); anything
// else is shown as it is.
Phrase Read(const std::string& words, bool fromSite);

} // namespace ReasonWords
