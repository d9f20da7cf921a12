#pragma once

#include <string>

struct ssl_session_st;

// TLS sessions kept for the next connection to the same place within this process, so that it
// resumes the session instead of a full handshake. A session is kept under the key its
// connection names (the client context, the host name as typed and the port) and handed only
// to a connection with that very key: never to another host or port, nor to a connection that
// trusts other authorities. Any thread may call; one lock, held for a map look-up.
class TlsSessionCache {
public:
    // At most this many places are remembered; a new one then pushes out one of the others.
    static constexpr std::size_t Places = 256;

    // Keeps `session` for `key`, taking over the caller's reference; a session kept before for
    // that key goes.
    static void Keep(const std::string& key, ssl_session_st* session);
    // The session kept for `key` with a reference for the caller, or nullptr. A TLS 1.3 session
    // is handed out once (its server sends the next connection fresh ones).
    static ssl_session_st* Take(const std::string& key);
    // Forgets what is kept for `key`.
    static void Drop(const std::string& key);
};
