// Figures of Validate PADs: real workers, real sockets, and a server of its own on 127.0.0.1
// in a child process (so its work is not counted as ours) that answers every GET at once with
// a valid PAD file of about 4 KB naming the address it was asked for.
//   N products (1,000 by default) validated at speed 10, then at speed 1: wall time, products
//   per second, CPU time of this process, peak threads and peak resident memory, and how many
//   came out "Yes" (all should).
// Usage: bench_validate [products]

#include "BenchMeasure.h"
#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/OwnerThreadQueue.h"
#include "common/StatusWords.h"
#include "submit/PadValidator.h"
#include "submit/TDownload.h"

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
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const char* const Category = "Utilities::File & Disk Management";

// --- the server (child process) -------------------------------------------------------------

// A complete PAD file as authors publish them, with descriptions of their usual lengths.
std::string PadFile(const std::string& link)
{
    const std::string words = "Keeps files in order, finds duplicates and tidies folders by rules you set. ";
    std::string d2000;
    while (d2000.size() + words.size() < 1900) d2000 += words;
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<XML_DIZ_INFO>\n"
           "<MASTER_PAD_VERSION_INFO><MASTER_PAD_VERSION>3.11</MASTER_PAD_VERSION>"
           "<MASTER_PAD_EDITOR>Bench</MASTER_PAD_EDITOR></MASTER_PAD_VERSION_INFO>\n"
           "<Company_Info><Company_Name>Bench Soft</Company_Name><Address_1>1 Main Street</Address_1>"
           "<City_Town>Springfield</City_Town><Country>USA</Country>"
           "<Company_WebSite_URL>http://bench.example/</Company_WebSite_URL></Company_Info>\n"
           "<Program_Info><Program_Name>Bench Tidy</Program_Name><Program_Version>4.2.1</Program_Version>"
           "<Program_Release_Month>11</Program_Release_Month><Program_Release_Day>30</Program_Release_Day>"
           "<Program_Release_Year>2026</Program_Release_Year><Program_Type>Shareware</Program_Type>"
           "<Program_OS_Support>Win10,Win11,Linux,Mac OS X</Program_OS_Support><Program_Category_Class>" +
           std::string(Category).replace(std::string(Category).find('&'), 1, "&amp;") +
           "</Program_Category_Class><File_Info><File_Size_Bytes>4718592</File_Size_Bytes>"
           "<File_Size_K>4608</File_Size_K></File_Info></Program_Info>\n"
           "<Program_Descriptions><English><Keywords>files, folders, duplicates, tidy, organizer</Keywords>"
           "<Char_Desc_45>Keeps your files and folders in order</Char_Desc_45>"
           "<Char_Desc_80>Keeps files in order, finds duplicates and tidies folders by rules</Char_Desc_80>"
           "<Char_Desc_250>" +
           words + words + "</Char_Desc_250><Char_Desc_450>" + words + words + words + words +
           "</Char_Desc_450><Char_Desc_2000>" + d2000 +
           "</Char_Desc_2000></English></Program_Descriptions>\n"
           "<Web_Info><Application_URLs><Application_Info_URL>http://bench.example/tidy/</Application_Info_URL>"
           "<Application_XML_File_URL>" +
           link +
           "</Application_XML_File_URL></Application_URLs><Download_URLs>"
           "<Primary_Download_URL>http://bench.example/tidy.zip</Primary_Download_URL></Download_URLs></Web_Info>\n"
           "</XML_DIZ_INFO>\n";
}

// Serves `listenFd` until killed: reads each request head, answers with the PAD file of the
// path asked for and closes. One thread, epoll, any number of connections at once.
[[noreturn]] void ServeForever(int listenFd, int port)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    fcntl(listenFd, F_SETFL, fcntl(listenFd, F_GETFL) | O_NONBLOCK);
    const int ep = epoll_create1(0);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = listenFd;
    epoll_ctl(ep, EPOLL_CTL_ADD, listenFd, &ev);
    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    std::unordered_map<int, std::string> reading;
    epoll_event events[64];
    for (;;) {
        const int n = epoll_wait(ep, events, 64, -1);
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
            const bool whole = in.find("\r\n\r\n") != std::string::npos;
            if (!whole && !closed) continue;
            epoll_ctl(ep, EPOLL_CTL_DEL, fd, nullptr);
            if (whole) {
                const size_t from = in.find(' ') + 1;
                const std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" +
                                          PadFile(base + in.substr(from, in.find(' ', from) - from));
                fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK); // a few KB: sent whole at once
                (void)!send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
            reading.erase(fd);
            close(fd);
        }
    }
}

struct ServerProcess {
    pid_t pid = -1;
    int port = 0;
};

// Forks the server; called while this process has no other thread.
ServerProcess StartServer()
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
    if (server.pid == 0) ServeForever(fd, server.port);
    close(fd);
    return server;
}

// --- measuring ------------------------------------------------------------------------------

// Reads /proc/self/status every millisecond on a thread of its own: the peaks of "Threads:"
// and "VmRSS:".
class Sampler {
public:
    Sampler()
        : thread_([this] {
              while (!stop_) {
                  peakThreads_ = std::max(peakThreads_, ProcStatus("Threads:"));
                  peakRss_ = std::max(peakRss_, ProcStatus("VmRSS:"));
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          })
    {}
    ~Sampler() { Stop(); }
    void Stop()
    {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // After Stop.
    long PeakThreads() const { return peakThreads_; }
    long PeakRss() const { return peakRss_; }

private:
    std::atomic<bool> stop_{false};
    long peakThreads_ = 0;
    long peakRss_ = 0;
    std::thread thread_;
};

void Validate(const ServerProcess& server, int count, int speed)
{
    ListRows products(4, true);
    for (int i = 1; i <= count; ++i) {
        ListRow row;
        row.Caption = "Bench Product " + std::to_string(i);
        row.SubItems = {"http://127.0.0.1:" + std::to_string(server.port) + "/pad/bench_" + std::to_string(i) + ".xml",
                        Category, ""};
        row.Checked = true;
        products.Add(std::move(row));
    }
    OwnerThreadQueue queue;
    PadValidator validator(
        products, {Category},
        [&](TDownloadOwner& owner) {
            auto worker = std::make_unique<TDownload>(owner, queue);
            worker->TimeOut = 10000;
            return worker;
        },
        queue);
    validator.SetSpeed(speed);

    {
        std::ofstream("/proc/self/clear_refs") << "5";
    } // peak resident size from here on
    const long rssBefore = ProcStatus("VmRSS:");
    Sampler sampler;
    const double cpu0 = CpuSeconds(RUSAGE_SELF);
    const auto t0 = Clock::now();
    validator.ValidateChecked();
    queue.ServeUntil([&] { return !validator.Busy(); }, std::chrono::minutes(30));
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
    sampler.Stop();
    const long hwm = ProcStatus("VmHWM:");

    int yes = 0;
    std::string firstProblem;
    for (const auto& r : validator.Results()) {
        if (r.Problems.empty())
            ++yes;
        else if (firstProblem.empty())
            firstProblem = PadValidation::Line(r.Problems.front());
    }
    std::printf("   speed %2d: %d of %d Yes; wall %.3f s, %.0f products/s; CPU %.3f s (%.3f ms per product,"
                " sampler included)\n",
                speed, yes, count, wall, validator.Finished() / wall, cpu, cpu * 1000.0 / std::max(1, count));
    std::printf("             peak threads %ld (main and sampler included); resident %ld KiB before, peak %ld KiB"
                " (VmHWM), %ld KiB (sampled VmRSS)\n",
                sampler.PeakThreads(), rssBefore, hwm, sampler.PeakRss());
    if (!firstProblem.empty()) std::printf("             first problem: %s\n", firstProblem.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    const int products = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 1000;
    // Forked first, while this process is still single-threaded.
    const ServerProcess server = StartServer();
    std::printf("Validate PADs: %d products, each PAD file (%zu bytes) served at once by a local server\n", products,
                PadFile("http://127.0.0.1:" + std::to_string(server.port) + "/pad/bench_1.xml").size());
    for (int speed : {10, 1}) Validate(server, products, speed);
    kill(server.pid, SIGKILL);
    waitpid(server.pid, nullptr, 0);
    return 0;
}
