#include "net/Resolver.h"

#include <ares.h>
#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>
#include <mutex>

namespace {
std::mutex settingsMutex;
ResolverSettings settings;
} // namespace

struct Resolver::Channel {
    ares_channel channel = nullptr;
    ~Channel()
    {
        if (channel) ares_destroy(channel);
    }
};

void Resolver::SetSettings(const ResolverSettings& s)
{
    std::lock_guard lock(settingsMutex);
    settings = s;
}

ResolverSettings Resolver::Settings()
{
    std::lock_guard lock(settingsMutex);
    return settings;
}

void Resolver::LibraryInit()
{
    ares_library_init(ARES_LIB_INIT_ALL);
}

void Resolver::LibraryCleanup()
{
    ares_library_cleanup();
}

std::string Resolver::Version()
{
    return ares_version(nullptr);
}

Resolver::Resolver() = default;

Resolver::~Resolver()
{
    Cancel();
}

bool Resolver::Start(const std::string& name)
{
    Cancel();
    done_ = false;
    status_ = ARES_SUCCESS;
    address_ = 0;

    const ResolverSettings s = Settings();
    ares_options options{};
    int mask = 0;
    char hostsOnly[] = "f";
    char serversOnly[] = "b";
    switch (s.source) {
    case ResolverSettings::Source::System: break;
    case ResolverSettings::Source::HostsFile:
        options.lookups = hostsOnly;
        mask |= ARES_OPT_LOOKUPS;
        break;
    case ResolverSettings::Source::NameServer:
        options.lookups = serversOnly;
        options.flags = ARES_FLAG_NOSEARCH;
        mask |= ARES_OPT_LOOKUPS | ARES_OPT_FLAGS;
        break;
    }

    auto channel = std::make_unique<Channel>();
    int rc = ares_init_options(&channel->channel, &options, mask);
    if (rc == ARES_SUCCESS && s.source == ResolverSettings::Source::NameServer) {
        rc = ares_set_servers_ports_csv(channel->channel, s.nameServer.c_str());
    }
    if (rc != ARES_SUCCESS) {
        done_ = true;
        status_ = rc;
        return false;
    }
    channel_ = std::move(channel);
    busy_ = true;
    // The answer may come at once (hosts file, or a name that cannot be asked for).
    ares_gethostbyname(channel_->channel, name.c_str(), AF_INET, &Resolver::Completed, this);
    return true;
}

void Resolver::Completed(void* arg, int status, int /*timeouts*/, struct hostent* host)
{
    auto* self = static_cast<Resolver*>(arg);
    if (!self->busy_) return; // cancelled or destroyed: nobody waits for it
    self->busy_ = false;
    self->done_ = true;
    self->status_ = status;
    if (status == ARES_SUCCESS && host && host->h_addrtype == AF_INET && host->h_addr_list && host->h_addr_list[0]) {
        std::uint32_t a = 0;
        std::memcpy(&a, host->h_addr_list[0], sizeof a);
        self->address_ = a;
    } else if (status == ARES_SUCCESS) {
        self->status_ = ARES_ENODATA;
    }
}

void Resolver::Cancel()
{
    busy_ = false; // Completed() ignores what ares_destroy reports
    channel_.reset();
}

void Resolver::AddPollFds(std::vector<pollfd>& fds) const
{
    if (!busy_ || !channel_) return;
    ares_socket_t socks[ARES_GETSOCK_MAXNUM];
    const int bits = ares_getsock(channel_->channel, socks, ARES_GETSOCK_MAXNUM);
    for (int i = 0; i < ARES_GETSOCK_MAXNUM; ++i) {
        short events = 0;
        if (ARES_GETSOCK_READABLE(bits, i)) events |= POLLIN;
        if (ARES_GETSOCK_WRITABLE(bits, i)) events |= POLLOUT;
        if (events) fds.push_back(pollfd{socks[i], events, 0});
    }
}

int Resolver::WaitLimitMs() const
{
    if (!busy_ || !channel_) return -1;
    timeval tv{};
    if (!ares_timeout(channel_->channel, nullptr, &tv)) return -1;
    return static_cast<int>(tv.tv_sec * 1000 + (tv.tv_usec + 999) / 1000);
}

void Resolver::Process(const pollfd* fds, std::size_t count)
{
    if (!busy_ || !channel_) return;
    for (std::size_t i = 0; i < count && busy_; ++i) {
        const short r = fds[i].revents;
        if (!r) continue;
        const ares_socket_t readFd = (r & (POLLIN | POLLERR | POLLHUP)) ? fds[i].fd : ARES_SOCKET_BAD;
        const ares_socket_t writeFd = (r & (POLLOUT | POLLERR | POLLHUP)) ? fds[i].fd : ARES_SOCKET_BAD;
        ares_process_fd(channel_->channel, readFd, writeFd);
    }
    // Time-outs and retries of the resolver itself.
    if (busy_ && channel_) ares_process_fd(channel_->channel, ARES_SOCKET_BAD, ARES_SOCKET_BAD);
}
