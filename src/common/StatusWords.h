#pragma once

// The words the Status columns hold, compared exactly and case-sensitively wherever they are
// read (colours, counts, reports).
namespace StatusWords {

// Auto Submit list: what became of one site's request.
inline constexpr const char* Connected = "->";    // the connection is open, the request under way
inline constexpr const char* Ok = "Ok";           // the reply holds the success marker
inline constexpr const char* NotAccepted = "X";   // the reply came without it
inline constexpr const char* Failed = "Failed";   // no connection, or an error reply
inline constexpr const char* Invalid = "Invalid"; // the host name did not resolve

// Products list: a PAD test's "Ok" (the same word as above), and the PAD file's check.
inline constexpr const char* Added = "?"; // a product just added
inline constexpr const char* Valid = "Yes";
inline constexpr const char* NotValid = "No";

} // namespace StatusWords
