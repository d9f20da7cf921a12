// Figures of https in the HTTP client against a TLS server of the tests' own on 127.0.0.1
// (a certificate authority and a certificate made at start):
//   1. sequential https GET exchanges (1,000 by default): exchanges per second and the
//      client's CPU seconds per 1,000, beside curl --cacert fetching the same URLs in one
//      process, in the same run (the server's own CPU is counted for neither);
//   2. heap memory of the client per open TLS connection (100 connections held open);
//   3. one-request processes (300 by default): `quillpost-cli request GET https://...` with the
//      authority given by --cacert, and again with the system's store (SSL_CERT_DIR pointing at
//      a hashed folder that holds the authority), beside as many `curl --http1.0` processes
//      with --cacert and with --capath, taking turns: the whole time of each series.
// Usage: bench_https [exchanges] [processes] [quillpost-cli to measure]

#include "BenchMeasure.h"
#include "net/THttpClient.h"
#include "support/TempDir.h"
#include "support/TlsServer.h"

#include <openssl/pem.h>
#include <openssl/x509.h>

#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A hashed folder of authorities (as c_rehash makes it) holding ours: HASH.0.
void HashedFolder(const std::string& folder, const std::string& caPem)
{
    BIO* bio = BIO_new_mem_buf(caPem.data(), static_cast<int>(caPem.size()));
    X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    char name[16];
    std::snprintf(name, sizeof name, "%08lx.0", X509_subject_name_hash(cert));
    X509_free(cert);
    BIO_free(bio);
    std::FILE* f = std::fopen((folder + "/" + name).c_str(), "w");
    std::fwrite(caPem.data(), 1, caPem.size(), f);
    std::fclose(f);
}

// One program to run: its words and its whole environment.
struct Command {
    std::vector<std::string> words;
    std::vector<std::string> env;
};

// Runs every command `count` times, taking turns (so that a change in the machine's load falls
// on all of them alike), the output thrown away; the wall seconds each spent, or -1 for one
// whose run failed.
std::vector<double> Turns(std::vector<Command> commands, int count)
{
    std::vector<std::vector<char*>> argv(commands.size()), envp(commands.size());
    for (std::size_t c = 0; c < commands.size(); ++c) {
        for (std::string& w : commands[c].words) argv[c].push_back(w.data());
        for (std::string& e : commands[c].env) envp[c].push_back(e.data());
        argv[c].push_back(nullptr);
        envp[c].push_back(nullptr);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<double> wall(commands.size(), 0.0);
    for (int i = 0; i < count; ++i) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            if (wall[c] < 0) continue;
            const auto t0 = Clock::now();
            pid_t pid = 0;
            int status = 0;
            const bool ok = posix_spawnp(&pid, argv[c][0], &actions, nullptr, argv[c].data(), envp[c].data()) == 0 &&
                            waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
            wall[c] = ok ? wall[c] + std::chrono::duration<double>(Clock::now() - t0).count() : -1;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return wall;
}

void Processes(const TestCertificates& certificates, const TempDir& dir, const std::string& caFile, int count,
               const std::string& cli)
{
    TlsServer::Options options{certificates.MakeLeaf("DNS:localhost,IP:127.0.0.1")};
    options.Reply = "HTTP/1.0 200 OK\r\nContent-Length: 12\r\n\r\nhello world\n";
    TlsServer server(options);
    const std::string url = server.Url() + "/pad.xml";
    const std::string folder = dir.File("certs");
    ::mkdir(folder.c_str(), 0700);
    HashedFolder(folder, certificates.CaPem());
    // Only what the programs need: no SSL_CERT_FILE of the caller's decides what is trusted.
    const std::vector<std::string> plain = {"PATH=" + std::string(std::getenv("PATH") ? std::getenv("PATH") : ""),
                                            "HOME=" + dir.Path()};
    std::vector<std::string> store = plain;
    store.push_back("SSL_CERT_DIR=" + folder);

    auto show = [&](const char* what, double wall, double base) {
        if (wall < 0) {
            std::printf("   %-48s failed\n", what);
            return;
        }
        std::printf("   %-48s %.3f s, %.1f ms each", what, wall, wall * 1000.0 / count);
        if (base > 0) std::printf(", %.2fx curl", wall / base);
        std::printf("\n");
    };
    std::printf("3. %d one-request https processes, taking turns (%s)\n", count, cli.c_str());
    const std::vector<double> wall =
        Turns({{{"curl", "--http1.0", "--silent", "--show-error", "--cacert", caFile, url}, plain},
               {{"curl", "--http1.0", "--silent", "--show-error", "--capath", folder, url}, plain},
               {{cli, "request", "GET", url, "--cacert", caFile}, plain},
               {{cli, "request", "GET", url}, store}},
              count);
    const double curlFile = wall[0], curlDir = wall[1], ownFile = wall[2], ownStore = wall[3];
    show("curl --http1.0 --cacert", curlFile, 0);
    show("curl --http1.0 --capath (hashed folder)", curlDir, 0);
    show("quillpost-cli request GET --cacert", ownFile, curlFile);
    show("quillpost-cli request GET, SSL_CERT_DIR (hashed)", ownStore, curlFile);
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int processes = argc > 2 ? std::atoi(argv[2]) : 300;
    const std::string cli = argc > 3 ? argv[3] : BinFolder() + "quillpost-cli";
    const TestCertificates certificates;
    TempDir dir;
    const std::string caFile = dir.Write("ca.pem", certificates.CaPem());
    if (count > 0) Exchanges(certificates, caFile, count);
    if (count > 0) OpenConnections(certificates, caFile);
    if (processes > 0) Processes(certificates, dir, caFile, processes, cli);
    return 0;
}
