#include "net/TlsSessionCache.h"

#include <openssl/ssl.h>

#include <map>
#include <mutex>

namespace {

std::mutex cacheMutex;

// Never destroyed, like the client contexts the sessions belong to: a session freed at exit
// after its context would be a use after free.
std::map<std::string, SSL_SESSION*>& Sessions()
{
    static auto* sessions = new std::map<std::string, SSL_SESSION*>;
    return *sessions;
}

} // namespace

void TlsSessionCache::Keep(const std::string& key, SSL_SESSION* session)
{
    SSL_SESSION* old = nullptr;
    {
        std::lock_guard lock(cacheMutex);
        auto& sessions = Sessions();
        auto [it, added] = sessions.try_emplace(key, session);
        if (!added) {
            old = it->second;
            it->second = session;
        } else if (sessions.size() > Places) {
            auto victim = sessions.begin() == it ? std::next(it) : sessions.begin();
            old = victim->second;
            sessions.erase(victim);
        }
    }
    if (old) SSL_SESSION_free(old);
}

SSL_SESSION* TlsSessionCache::Take(const std::string& key)
{
    std::lock_guard lock(cacheMutex);
    auto& sessions = Sessions();
    auto it = sessions.find(key);
    if (it == sessions.end()) return nullptr;
    SSL_SESSION* session = it->second;
    if (SSL_SESSION_get_protocol_version(session) >= TLS1_3_VERSION)
        sessions.erase(it); // the caller takes over the cache's reference
    else
        SSL_SESSION_up_ref(session);
    return session;
}

void TlsSessionCache::Drop(const std::string& key)
{
    SSL_SESSION* old = nullptr;
    {
        std::lock_guard lock(cacheMutex);
        auto& sessions = Sessions();
        if (auto it = sessions.find(key); it != sessions.end()) {
            old = it->second;
            sessions.erase(it);
        }
    }
    if (old) SSL_SESSION_free(old);
}
