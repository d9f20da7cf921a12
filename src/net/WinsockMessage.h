#pragma once

#include <cstdint>
#include <string>

// The Winsock error codes the connection layer reports, their texts, and the mapping from
// POSIX errno values to them, so that every error text reads the same on every platform.
namespace Winsock {

constexpr std::uint16_t WSAEWOULDBLOCK = 10035;
constexpr std::uint16_t WSAEINPROGRESS = 10036;
constexpr std::uint16_t WSAECONNRESET = 10054;
constexpr std::uint16_t WSAENOTCONN = 10057;
constexpr std::uint16_t WSAETIMEDOUT = 10060;
constexpr std::uint16_t WSAECONNREFUSED = 10061;
constexpr std::uint16_t WSAHOST_NOT_FOUND = 11001;
constexpr std::uint16_t WSATRY_AGAIN = 11002;
constexpr std::uint16_t WSANO_RECOVERY = 11003;
constexpr std::uint16_t WSANO_DATA = 11004;

struct MessageRow {
    std::uint32_t Code;
    const char* Text;
};

// The table of known codes, in order; the last row (code 0) is never matched.
extern const MessageRow WinsockMessage[51];

// The table's text for a code, or nullptr when the code is not in the table (0 never is).
const char* MessageText(std::uint16_t code);

// The Winsock code for a POSIX errno value (EWOULDBLOCK 10035, ECONNREFUSED 10061, ...).
// An errno without a counterpart maps to 20000 + errno, which has no text of its own.
std::uint16_t FromErrno(int err);

// The Winsock code for a c-ares status (ARES_ENOTFOUND 11001, ...).
std::uint16_t FromAresStatus(int status);

// The calling thread's last socket error, as WSAGetLastError / WSASetLastError keep it.
std::uint16_t GetLastError();
void SetLastError(std::uint16_t code);

} // namespace Winsock
