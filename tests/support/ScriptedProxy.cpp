#include "support/ScriptedProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <stdexcept>

namespace {

// Length of the request that `in` starts with, or 0 while it is not whole: the head up to
// the blank line and the body its Content-Length announces.
std::size_t RequestLength(const std::string& in)
{
    const std::size_t headEnd = in.find("\r\n\r\n");
    if (headEnd == std::string::npos) return 0;
    std::string head = in.substr(0, headEnd + 2);
    for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t body = 0;
    const std::size_t at = head.find("\r\ncontent-length:");
    if (at != std::string::npos) body = std::strtoul(head.c_str() + at + 17, nullptr, 10);
    const std::size_t total = headEnd + 4 + body;
    return in.size() >= total ? total : 0;
}

void SendAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 1000);
        } else {
            return;
        }
    }
}

} // namespace

ScriptedProxy::ScriptedProxy(Rule rule, bool keepRequests) : rule_(std::move(rule)), keep_(keepRequests)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0) throw std::runtime_error("ScriptedProxy: socket failed");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listenFd_, 1024) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(listenFd_);
        throw std::runtime_error("ScriptedProxy: cannot listen on 127.0.0.1");
    }
    port_ = ntohs(a.sin_port);
    stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { Run(); });
}

ScriptedProxy::~ScriptedProxy()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(stopFd_, &one, sizeof one);
    thread_.join();
    ::close(listenFd_);
    ::close(stopFd_);
}

std::string ScriptedProxy::Address() const
{
    return "127.0.0.1:" + std::to_string(port_);
}

std::size_t ScriptedProxy::Count() const
{
    std::lock_guard lock(mutex_);
    return count_;
}

std::vector<std::string> ScriptedProxy::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> ScriptedProxy::RequestLines() const
{
    std::vector<std::string> lines = Requests();
    for (std::string& line : lines) line = line.substr(0, line.find("\r\n"));
    return lines;
}

bool ScriptedProxy::WaitCount(std::size_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return count_ >= count; });
}

void ScriptedProxy::Run()
{
    struct Connection {
        std::string in;
        bool held = false;
    };
    std::map<int, Connection> connections;
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign({{stopFd_, POLLIN, 0}, {listenFd_, POLLIN, 0}});
        for (const auto& [fd, c] : connections) fds.push_back({fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) break;
        if (fds[0].revents) break;
        if (fds[1].revents & POLLIN) {
            for (int fd; (fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;)
                connections[fd];
        }
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            const int fd = fds[i].fd;
            Connection& c = connections[fd];
            bool closed = false;
            char buf[8192];
            for (;;) {
                const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                if (n > 0) {
                    if (!c.held) c.in.append(buf, static_cast<std::size_t>(n));
                    continue;
                }
                closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
                break;
            }
            const std::size_t length = c.held ? 0 : RequestLength(c.in);
            if (length > 0) {
                const std::string request = c.in.substr(0, length);
                const Answer answer = rule_(request.substr(0, request.find("\r\n")));
                {
                    std::lock_guard lock(mutex_);
                    ++count_;
                    if (keep_) requests_.push_back(request);
                }
                changed_.notify_all();
                if (answer.kind == Answer::Kind::Hold) {
                    c.held = true;
                    c.in.clear();
                } else {
                    if (answer.kind == Answer::Kind::Reply) {
                        SendAll(fd, answer.text);
                    } else {
                        const linger hard{1, 0};
                        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
                    }
                    closed = true;
                }
            }
            if (closed) {
                ::close(fd);
                connections.erase(fd);
            }
        }
    }
    for (const auto& [fd, c] : connections) ::close(fd);
}
