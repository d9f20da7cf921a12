#pragma once

// The benchmarks' HTTP server on 127.0.0.1, in a child process so that its work is not counted
// as theirs. One thread and epoll serve any number of connections at once: each request is read
// whole (its head and the body its Content-Length announces), answered and closed; a connection
// closed before its request is whole is closed without an answer. StartServer forks, so it is
// called while the benchmark still has no other thread; the server dies with the benchmark.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <unordered_map>

// The reply to one whole request; `port` is the server's own, for replies that name its address.
using ServerAnswer = std::function<std::string(const std::string& request, int port)>;

// Length of the request whose bytes `in` starts with, or 0 while it is incomplete: the head up
// to the blank line plus the body its Content-Length announces.
inline size_t RequestLength(const std::string& in)
{
    const size_t headEnd = in.find("\r\n\r\n");
    if (headEnd == std::string::npos) return 0;
    size_t body = 0;
    static const std::string name = "\r\ncontent-length:";
    for (size_t at = 0; at + name.size() <= headEnd + 2; ++at) {
        bool match = true;
        for (size_t i = 0; i < name.size() && match; ++i)
            match = std::tolower(static_cast<unsigned char>(in[at + i])) == name[i];
        if (match) {
            body = std::strtoul(in.c_str() + at + name.size(), nullptr, 10);
            break;
        }
    }
    const size_t total = headEnd + 4 + body;
    return in.size() >= total ? total : 0;
}

// Sends all of `reply` on the non-blocking `fd`: at once when the socket buffer takes it (replies
// of a few KB), otherwise the rest blocking. A client gone away gets nothing more.
inline void SendWhole(int fd, const std::string& reply)
{
    size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n > 0)
            sent += static_cast<size_t>(n);
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        else
            return;
    }
}

// Serves `listenFd` (bound to `port`) until killed: answers each whole request with `answer`,
// `delay` after it came whole (at once for 0), and closes. Delayed answers go out in the order
// their requests came: one delay for all.
[[noreturn]] inline void ServeForever(int listenFd, int port, const ServerAnswer& answer,
                                      std::chrono::milliseconds delay)
{
    using Clock = std::chrono::steady_clock;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    fcntl(listenFd, F_SETFL, fcntl(listenFd, F_GETFL) | O_NONBLOCK);
    const int ep = epoll_create1(0);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = listenFd;
    epoll_ctl(ep, EPOLL_CTL_ADD, listenFd, &ev);

    struct Due {
        Clock::time_point at;
        int fd;
        std::string reply;
    };
    std::unordered_map<int, std::string> reading; // connections whose request is not whole yet
    std::deque<Due> due;                          // answered in this order
    auto reply = [](int fd, const std::string& bytes) {
        SendWhole(fd, bytes);
        close(fd);
    };

    epoll_event events[64];
    for (;;) {
        int wait = -1;
        if (!due.empty()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(due.front().at - Clock::now());
            wait = static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
        }
        const int n = epoll_wait(ep, events, 64, wait);
        for (int e = 0; e < n; ++e) {
            const int fd = events[e].data.fd;
            if (fd == listenFd) {
                for (int c; (c = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;) {
                    epoll_event cev{};
                    cev.events = EPOLLIN;
                    cev.data.fd = c;
                    epoll_ctl(ep, EPOLL_CTL_ADD, c, &cev);
                    reading[c];
                }
                continue;
            }
            std::string& in = reading[fd];
            char buf[8192];
            bool closed = false;
            for (;;) {
                const ssize_t got = recv(fd, buf, sizeof buf, 0);
                if (got > 0) {
                    in.append(buf, static_cast<size_t>(got));
                    continue;
                }
                closed = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
                break;
            }
            const bool whole = RequestLength(in) > 0;
            if (!whole && !closed) continue;
            // Read no further: from here the descriptor is closed only by its answer (or now).
            epoll_ctl(ep, EPOLL_CTL_DEL, fd, nullptr);
            std::string bytes = whole ? answer(in, port) : std::string();
            reading.erase(fd);
            if (!whole)
                close(fd);
            else if (delay.count() == 0)
                reply(fd, bytes);
            else
                due.push_back({Clock::now() + delay, fd, std::move(bytes)});
        }
        const auto now = Clock::now();
        while (!due.empty() && due.front().at <= now) {
            reply(due.front().fd, due.front().reply);
            due.pop_front();
        }
    }
}

struct ServerProcess {
    pid_t pid = -1;
    int port = 0;
};

// Forks a server on a free port of 127.0.0.1 (see ServeForever).
inline ServerProcess StartServer(const ServerAnswer& answer, std::chrono::milliseconds delay = {})
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4096) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ServerProcess server;
    server.port = ntohs(addr.sin_port);
    std::fflush(stdout);
    server.pid = fork();
    if (server.pid < 0) throw std::runtime_error("cannot fork the server");
    if (server.pid == 0) ServeForever(fd, server.port, answer, delay);
    close(fd); // the listening socket lives on in the child, which accepts from it
    return server;
}

inline void StopServer(const ServerProcess& server)
{
    kill(server.pid, SIGKILL);
    waitpid(server.pid, nullptr, 0);
}
