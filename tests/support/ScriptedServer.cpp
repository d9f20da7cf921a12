#include "support/ScriptedServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

std::uint16_t BoundPort(int fd)
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

int BoundSocket(int type)
{
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("ScriptedServer: socket failed");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        throw std::runtime_error("ScriptedServer: bind failed");
    }
    return fd;
}

} // namespace

ScriptedServer::ScriptedServer(Script script) : ScriptedServer(std::vector<Script>{std::move(script)})
{}

ScriptedServer::ScriptedServer(std::vector<Script> scripts) : scripts_(std::move(scripts))
{
    if (scripts_.empty()) scripts_.push_back({});
    listenFd_ = BoundSocket(SOCK_STREAM);
    if (::listen(listenFd_, 16) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("ScriptedServer: listen failed");
    }
    port_ = BoundPort(listenFd_);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { Run(); });
}

ScriptedServer::~ScriptedServer()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(stopFd_, &one, sizeof one);
    thread_.join();
    ::close(listenFd_);
    ::close(stopFd_);
}

std::string ScriptedServer::Address() const
{
    return "127.0.0.1:" + std::to_string(port_);
}

std::size_t ScriptedServer::Connections() const
{
    std::lock_guard lock(mutex_);
    return records_.size();
}

std::string ScriptedServer::Received(std::size_t index, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, limit, [&] { return records_.size() > index && records_[index].finished; });
    return records_.size() > index ? records_[index].received : std::string();
}

bool ScriptedServer::WaitFinished(std::size_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] {
        if (records_.size() < count) return false;
        for (std::size_t i = 0; i < count; ++i) {
            if (!records_[i].finished) return false;
        }
        return true;
    });
}

std::uint16_t ScriptedServer::RefusingPort()
{
    // Bound but never listening: the kernel answers every connection attempt with a reset.
    static const int fd = BoundSocket(SOCK_STREAM);
    return BoundPort(fd);
}

std::uint16_t ScriptedServer::UnansweredPort()
{
    // A listener that never accepts, with room for one waiting connection, which a filler
    // takes: the kernel then drops every further connection request unanswered.
    static const std::uint16_t port = [] {
        const int listener = BoundSocket(SOCK_STREAM);
        ::listen(listener, 0);
        const std::uint16_t p = BoundPort(listener);
        const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(p);
        ::connect(filler, reinterpret_cast<sockaddr*>(&a), sizeof a);
        return p;
    }();
    return port;
}

std::uint16_t ScriptedServer::SilentUdpPort()
{
    static const int fd = BoundSocket(SOCK_DGRAM);
    return BoundPort(fd);
}

void ScriptedServer::Run()
{
    for (;;) {
        pollfd fds[2] = {{stopFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents) return;
        if (!(fds[1].revents & POLLIN)) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::size_t index;
        {
            std::lock_guard lock(mutex_);
            index = records_.size();
            records_.emplace_back();
        }
        changed_.notify_all();
        const Script& script = scripts_[std::min(index, scripts_.size() - 1)];
        Play(fd, script, index);
        {
            std::lock_guard lock(mutex_);
            records_[index].finished = true;
        }
        changed_.notify_all();
    }
}

void ScriptedServer::Append(std::size_t index, const char* data, std::size_t n)
{
    {
        std::lock_guard lock(mutex_);
        records_[index].received.append(data, n);
    }
    changed_.notify_all();
}

// Waits for the socket to be readable: 1 ready, 0 time-out, -1 the server stops.
int ScriptedServer::Readable(int fd, int timeoutMs)
{
    pollfd fds[2] = {{stopFd_, POLLIN, 0}, {fd, POLLIN, 0}};
    for (;;) {
        const int r = ::poll(fds, 2, timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || fds[0].revents) return -1;
        return r > 0 ? 1 : 0;
    }
}

bool ScriptedServer::Pause(int ms)
{
    pollfd p{stopFd_, POLLIN, 0};
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0) return true;
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r > 0) return false;
    }
}

void ScriptedServer::Play(int fd, const Script& script, std::size_t index)
{
    std::string data;     // everything received on this connection
    std::size_t used = 0; // what the read steps have taken of it
    bool peerClosed = false;
    bool stopping = false;

    // Reads what is there (waiting for it first); false when the client closed or we stop.
    auto readMore = [&]() -> bool {
        if (peerClosed) return false;
        if (Readable(fd, -1) < 0) {
            stopping = true;
            return false;
        }
        char buf[65536];
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n > 0) {
            data.append(buf, static_cast<std::size_t>(n));
            Append(index, buf, static_cast<std::size_t>(n));
            return true;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
        peerClosed = true;
        return false;
    };

    auto sendAll = [&](const char* p, std::size_t n) -> bool {
        while (n > 0) {
            const ssize_t s = ::send(fd, p, n, MSG_NOSIGNAL);
            if (s > 0) {
                p += s;
                n -= static_cast<std::size_t>(s);
                continue;
            }
            if (s < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd fds[2] = {{stopFd_, POLLIN, 0}, {fd, POLLOUT, 0}};
                ::poll(fds, 2, -1);
                if (fds[0].revents) {
                    stopping = true;
                    return false;
                }
                continue;
            }
            return false; // the client is gone
        }
        return true;
    };

    auto drain = [&] {
        char buf[65536];
        for (;;) {
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            data.append(buf, static_cast<std::size_t>(n));
            Append(index, buf, static_cast<std::size_t>(n));
        }
    };

    auto closeGently = [&] {
        // Bytes left unread would turn the close into a reset: take them first, then FIN.
        drain();
        ::shutdown(fd, SHUT_WR);
        drain();
        ::close(fd);
    };

    bool ok = true;
    for (const Step& step : script) {
        if (!ok || stopping) break;
        switch (step.kind) {
        case Step::Kind::ReadUntil: {
            std::size_t at;
            while ((at = data.find(step.text, used)) == std::string::npos) {
                if (!readMore()) {
                    ok = false;
                    break;
                }
            }
            if (ok) used = at + step.text.size();
            break;
        }
        case Step::Kind::ReadBytes:
            while (data.size() - used < step.count) {
                if (!readMore()) {
                    ok = false;
                    break;
                }
            }
            if (ok) used += step.count;
            break;
        case Step::Kind::ReadToClose:
        case Step::Kind::Hold:
            while (readMore()) {
            }
            used = data.size();
            break;
        case Step::Kind::Send: ok = sendAll(step.text.data(), step.text.size()); break;
        case Step::Kind::SendSlowly: {
            const std::size_t piece = step.count ? step.count : 1;
            for (std::size_t off = 0; ok && off < step.text.size(); off += piece) {
                if (off > 0 && !Pause(step.ms)) {
                    stopping = true;
                    break;
                }
                ok = sendAll(step.text.data() + off, std::min(piece, step.text.size() - off));
            }
            break;
        }
        case Step::Kind::Repeat:
            for (std::size_t i = 0; ok && i < step.count; ++i) ok = sendAll(step.text.data(), step.text.size());
            break;
        case Step::Kind::Wait:
            if (!Pause(step.ms)) stopping = true;
            break;
        case Step::Kind::Close: closeGently(); return;
        case Step::Kind::Reset: {
            linger l{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
            ::close(fd);
            return;
        }
        }
    }
    if (stopping) {
        ::close(fd);
        return;
    }
    closeGently();
}
