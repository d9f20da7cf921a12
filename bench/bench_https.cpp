// Figures of https in the HTTP client against a TLS server of the tests' own on 127.0.0.1
// (a certificate authority and a certificate made at start):
//   1. sequential https GET exchanges (1,000 by default): exchanges per second and the
//      client's CPU seconds per 1,000, beside curl --cacert fetching the same URLs in one
//      process, in the same run (the server's own CPU is counted for neither);
//   2. heap memory of the client per open TLS connection (100 connections held open).
// Usage: bench_https [exchanges]

#include "BenchMeasure.h"
#include "net/THttpClient.h"
#include "support/TempDir.h"
#include "support/TlsServer.h"

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

void Exchanges(const TestCertificates& certificates, const std::string& caFile, int count)
{
    TlsServer::Options options{certificates.MakeLeaf("DNS:localhost,IP:127.0.0.1")};
    options.Reply = "HTTP/1.0 200 OK\r\nContent-Length: 12\r\n\r\nhello world\n";
    TlsServer server(options);
    auto url = [&](int i) { return server.Url() + "/pad" + std::to_string(i) + ".xml"; };

    int ok = 0;
    const double cpu0 = ThreadCpu();
    const auto t0 = Clock::now();
    for (int i = 0; i < count; ++i) {
        THttpClient client;
        client.TimeOut = 10000;
        client.AllowHttps = true;
        client.CaFile = caFile;
        client.OnSuccess = [&](THttpClient*, CmdType) { ++ok; };
        try {
            client.Get(url(i));
        } catch (const std::exception& e) {
            std::printf("   error: %s\n", e.what());
            break;
        }
    }
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = ThreadCpu() - cpu0;
    std::printf("1. %d sequential https GET exchanges\n", count);
    std::printf("   THttpClient: %d ok, %.3f s, %.0f exchanges/s, %.3f CPU s per 1,000\n", ok, wall, count / wall,
                cpu * 1000.0 / count);

    std::vector<std::string> words = {"curl", "--http1.0", "--silent", "--show-error", "--cacert", caFile};
    for (int i = 0; i < count; ++i) words.push_back(url(i));
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
    std::printf("   curl --http1.0 --cacert: exit %d, %.3f s, %.0f exchanges/s, %.3f CPU s per 1,000\n",
                WIFEXITED(status) ? WEXITSTATUS(status) : -1, cwall, count / cwall, ccpu * 1000.0 / count);
}

void OpenConnections(const TestCertificates& certificates, const std::string& caFile)
{
    constexpr int count = 100;
    const TestCertificates::Leaf leaf = certificates.MakeLeaf("DNS:localhost,IP:127.0.0.1");
    // Heap in use by `count` open connections, TLS and plain, beyond a first one that loads the
    // context and the trust store. glibc's mallinfo2 counts the main arena: the client's
    // (this thread's), not the server thread's.
    for (const bool tls : {false, true}) {
        // Plain connections go to a server that never starts TLS, TLS ones to one that
        // completes the handshake; both keep every connection open.
        TlsServer::Options options{leaf};
        options.Behaviour = tls ? TlsServer::Mode::Hold : TlsServer::Mode::Stall;
        TlsServer server(options);
        auto warm = std::make_unique<TSockConnection>();
        warm->Host = "127.0.0.1";
        warm->Port = server.Port();
        warm->UseTls = tls;
        warm->CaFile = caFile;
        warm->TimeOut = 10000;
        warm->Connect();
        const auto before = mallinfo2().uordblks;
        std::vector<std::unique_ptr<TSockConnection>> open;
        for (int i = 0; i < count; ++i) {
            auto c = std::make_unique<TSockConnection>();
            c->Host = "127.0.0.1";
            c->Port = server.Port();
            c->TimeOut = 10000;
            c->UseTls = tls;
            c->CaFile = caFile;
            c->Connect();
            open.push_back(std::move(c));
        }
        const auto after = mallinfo2().uordblks;
        std::printf("2. %d open %s connections: %.1f KiB of client heap each\n", count, tls ? "TLS" : "plain",
                    static_cast<double>(after - before) / count / 1024.0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const TestCertificates certificates;
    TempDir dir;
    const std::string caFile = dir.Write("ca.pem", certificates.CaPem());
    Exchanges(certificates, caFile, count);
    OpenConnections(certificates, caFile);
    return 0;
}
