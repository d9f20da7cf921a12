// Figures of the HTTP client against servers of its own on 127.0.0.1:
//   1. 2,000 sequential GET exchanges: exchanges per second and CPU seconds per 1,000, beside
//      curl --http1.0 fetching the same URLs in one process, in the same run;
//   2. CPU seconds used while one call waits 5 s on a silent server;
//   3. peak memory of a call that receives a 100 MB body in text mode.
// Usage: bench_http [exchanges]

#include "net/THttpClient.h"

#include "BenchMeasure.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A server on 127.0.0.1 that serves one connection at a time on its own thread: `serve`
// gets the accepted socket and the request head it read.
class LocalServer {
public:
    using Serve = std::function<void(int fd, const std::string& request)>;

    explicit LocalServer(Serve serve) : serve_(std::move(serve))
    {
        listen_ = socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listen_, 128) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        socklen_t len = sizeof addr;
        getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Loop(); });
    }

    ~LocalServer()
    {
        stop_ = true;
        shutdown(listen_, SHUT_RDWR);
        close(listen_);
        thread_.join();
    }

    int Port() const { return port_; }
    // Set to end a serve function that waits.
    std::atomic<bool> stop_{false};

private:
    void Loop()
    {
        while (!stop_) {
            const int fd = accept(listen_, nullptr, nullptr);
            if (fd < 0) break;
            std::string request;
            char buf[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = recv(fd, buf, sizeof buf, 0);
                if (n <= 0) break;
                request.append(buf, static_cast<size_t>(n));
            }
            serve_(fd, request);
            close(fd);
        }
    }

    Serve serve_;
    int listen_ = -1;
    int port_ = 0;
    std::thread thread_;
};

void SendAll(int fd, const std::string& bytes)
{
    size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n <= 0) return;
        at += static_cast<size_t>(n);
    }
}

std::string Url(int port, int i)
{
    return "http://127.0.0.1:" + std::to_string(port) + "/submit.php?padurl=x&n=" + std::to_string(i);
}

void SequentialGets(int count)
{
    const std::string page = "<html><body>Your program was added successfully.</body></html>\n";
    const std::string reply =
        "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(page.size()) + "\r\n\r\n" +
        page;
    LocalServer server([&](int fd, const std::string&) { SendAll(fd, reply); });

    int ok = 0;
    const double cpu0 = ThreadCpu();
    const auto t0 = Clock::now();
    for (int i = 0; i < count; ++i) {
        THttpClient client;
        client.TimeOut = 10000;
        client.OnSuccess = [&](THttpClient*, CmdType) { ++ok; };
        client.Get(Url(server.Port(), i));
    }
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = ThreadCpu() - cpu0;
    std::printf("1. %d sequential GET exchanges\n", count);
    std::printf("   THttpClient: %d ok, %.3f s, %.0f exchanges/s, %.3f CPU s per 1,000\n", ok, wall, count / wall,
                cpu * 1000.0 / count);

    // curl, one process for all URLs, its output thrown away.
    std::vector<std::string> words = {"curl", "--http1.0", "--silent", "--show-error"};
    for (int i = 0; i < count; ++i) words.push_back(Url(server.Port(), i));
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const double ccpu0 = ChildrenCpu();
    const auto c0 = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "curl", &actions, nullptr, argv.data(), environ) != 0) {
        std::printf("   curl: not found\n");
        posix_spawn_file_actions_destroy(&actions);
        return;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double cwall = std::chrono::duration<double>(Clock::now() - c0).count();
    const double ccpu = ChildrenCpu() - ccpu0;
    posix_spawn_file_actions_destroy(&actions);
    std::printf("   curl --http1.0: exit %d, %.3f s, %.0f exchanges/s, %.3f CPU s per 1,000\n",
                WIFEXITED(status) ? WEXITSTATUS(status) : -1, cwall, count / cwall, ccpu * 1000.0 / count);
}

void SilentServer()
{
    LocalServer server([&](int, const std::string&) {
        while (!server.stop_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    THttpClient client;
    client.TimeOut = 5000;
    std::string error;
    const double cpu0 = ThreadCpu();
    const auto t0 = Clock::now();
    try {
        client.Get("http://127.0.0.1:" + std::to_string(server.Port()) + "/");
    } catch (const std::exception& e) {
        error = e.what();
    }
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = ThreadCpu() - cpu0;
    server.stop_ = true;
    std::printf("2. one call waiting on a silent server, TimeOut 5000\n");
    std::printf("   %.3f s wall, %.4f CPU s, ended with \"%s\"\n", wall, cpu, error.c_str());
}

void HugeBody()
{
    const size_t total = 100u * 1000u * 1000u;
    LocalServer server([&](int fd, const std::string&) {
        SendAll(fd, "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(total) + "\r\n\r\n");
        const std::string chunk(1 << 20, 'x');
        for (size_t sent = 0; sent < total && !server.stop_; sent += chunk.size()) {
            if (send(fd, chunk.data(), std::min(chunk.size(), total - sent), MSG_NOSIGNAL) <= 0) break;
        }
    });
    // Peak resident size from here on.
    {
        std::ofstream("/proc/self/clear_refs") << "5";
    }
    const long before = ProcStatus("VmHWM:");
    THttpClient client;
    client.TimeOut = 30000;
    std::string error;
    try {
        client.Get("http://127.0.0.1:" + std::to_string(server.Port()) + "/big");
    } catch (const std::exception& e) {
        error = e.what();
    }
    const long peak = ProcStatus("VmHWM:");
    const size_t kept = client.Body.size();
    server.stop_ = true;
    std::printf("3. a call receiving a 100 MB body (text mode)\n");
    std::printf("   peak resident %ld KiB (%ld KiB before the call, %+ld KiB), body kept %zu bytes,"
                " ended with \"%s\"\n",
                peak, before, peak - before, kept, error.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    SequentialGets(count > 0 ? count : 2000);
    SilentServer();
    HugeBody();
    return 0;
}
