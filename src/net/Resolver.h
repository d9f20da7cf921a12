#pragma once

#include <netinet/in.h>
#include <poll.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Where name lookups look. The program uses the system's configuration; tests choose the
// hosts file alone or a name server of their own on 127.0.0.1, so that no query ever leaves
// the machine.
struct ResolverSettings {
    enum class Source {
        System,    // the system's resolver configuration (hosts file, then name servers)
        HostsFile, // the hosts file only; no query is sent anywhere
        NameServer // only the name server given below, e.g. "127.0.0.1:5353"
    };
    Source source = Source::System;
    std::string nameServer;
};

// One asynchronous IPv4 name lookup at a time, driven from the owner's poll() loop (c-ares).
class Resolver {
public:
    // Process-wide settings for every lookup started afterwards.
    static void SetSettings(const ResolverSettings& settings);
    static ResolverSettings Settings();

    // Library start-up and clean-up (counted by the caller: once per process at a time).
    static void LibraryInit();
    static void LibraryCleanup();
    // The c-ares version as text, e.g. "1.18.1".
    static std::string Version();

    Resolver();
    ~Resolver();
    Resolver(const Resolver&) = delete;
    Resolver& operator=(const Resolver&) = delete;

    // Starts a lookup of `name` (an earlier one is cancelled). Returns false when the lookup
    // could not even start; Status() then tells why and Done() is true.
    bool Start(const std::string& name);
    // Ends a lookup in progress; it then counts as not done.
    void Cancel();

    bool Busy() const { return busy_; }
    bool Done() const { return done_; }
    // The c-ares status of the finished lookup (0 = ARES_SUCCESS).
    int Status() const { return status_; }
    // The first IPv4 address of the answer, in network byte order (0 when none).
    std::uint32_t Address() const { return address_; }

    // Appends the descriptors that the lookup waits on.
    void AddPollFds(std::vector<pollfd>& fds) const;
    // How long poll() may sleep for the lookup's own time-outs (-1: no limit of its own).
    int WaitLimitMs() const;
    // Processes what poll() reported for the descriptors added by AddPollFds, and the
    // lookup's own time-outs.
    void Process(const pollfd* fds, std::size_t count);

private:
    struct Channel;
    static void Completed(void* arg, int status, int timeouts, struct hostent* host);

    std::unique_ptr<Channel> channel_;
    bool busy_ = false;
    bool done_ = false;
    int status_ = 0;
    std::uint32_t address_ = 0;
};
