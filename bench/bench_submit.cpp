// Figures of a whole Submit All run: real workers, real sockets, a server of its own on
// 127.0.0.1 in a child process (so its work is not counted as ours):
//   1. 3 products x 45 sites, every answer after 50 ms, at speeds 1, 5 and 10: wall time
//      beside the latency bound (products x ceil(sites / speed) x 50 ms), CPU time of this
//      process, peak threads and peak resident memory;
//   2. N products x 45 sites at speed 10, every answer at once: requests per second, and
//      resident memory at the start, middle and end of the run; then the same run recorded
//      into a history file, and again without, and what the recording cost.
// Usage: bench_submit [products]   (the product count of part 2, 500 by default)

#include "BenchMeasure.h"
#include "BenchServer.h"
#include "common/OwnerThreadQueue.h"
#include "common/StatusWords.h"
#include "history/HistoryStore.h"
#include "submit/RunRecorder.h"
#include "submit/RunView.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionRun.h"
#include "submit/TDownload.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int SiteCount = SiteTable::BuiltInCount;
constexpr auto NoLimit = std::chrono::minutes(30);

// The server's answer to every request.
std::string Submitted(const std::string&, int)
{
    return "HTTP/1.0 200 OK\r\n\r\nPAD submitted successfully";
}

// --- measuring ------------------------------------------------------------------------------

struct Cpu {
    double user = 0;
    double sys = 0;
    static Cpu Process()
    {
        rusage ru{};
        getrusage(RUSAGE_SELF, &ru);
        return {Seconds(ru.ru_utime), Seconds(ru.ru_stime)};
    }
};

// --- the run --------------------------------------------------------------------------------

// Counts the outcomes a run reports; everything else it shows is dropped.
class CountingView : public RunView {
public:
    void SiteStatus(int, const std::string& word) override
    {
        if (word == StatusWords::Ok)
            ++ok;
        else if (!word.empty() && word != StatusWords::Connected)
            ++failed;
    }
    void ProductLabel(const std::string&) override {}
    void SiteLabel(const std::string&) override {}
    void BarMaxima(int, int) override {}
    void CurrentBar(int) override {}
    void TotalBar(int) override {}
    void RunOver() override { over = true; }
    void Message(const std::string& text) override { messages += text + "\n"; }

    int Outcomes() const { return ok + failed; }

    int ok = 0;
    int failed = 0;
    bool over = false;
    std::string messages;
};

// The program's own 45 sites, GET and POST as they are, every host replaced by the server.
SiteTable LocalSites(int port)
{
    std::vector<SiteRecord> rows = SiteTable::BuiltIn().Rows();
    const std::string host = "127.0.0.1:" + std::to_string(port);
    for (SiteRecord& site : rows) {
        const size_t start = site.ScriptUrl.find("://") + 3;
        const size_t end = site.ScriptUrl.find('/', start);
        site.ScriptUrl.replace(start, end - start, host);
    }
    return SiteTable(std::move(rows));
}

std::vector<RunProduct> Products(int count)
{
    std::vector<RunProduct> products;
    for (int i = 1; i <= count; ++i)
        products.push_back({"Bench Product " + std::to_string(i),
                            "http://127.0.0.1/pad/bench_product_" + std::to_string(i) + ".xml",
                            "Utilities::File & Disk Management"});
    return products;
}

// A run on this thread, its workers reporting through the queue.
struct Harness {
    explicit Harness(const SiteTable& sites)
        : run(
              sites,
              [this](TDownloadOwner& owner) {
                  auto worker = std::make_unique<TDownload>(owner, queue);
                  worker->TimeOut = 10000;
                  return worker;
              },
              queue, view)
    {}

    // Serves the workers until `enough` holds or the run is over; notes the most workers
    // alive after any call.
    void ServeUntil(const std::function<bool()>& enough)
    {
        queue.ServeUntil(
            [&] {
                peakLiveWorkers = std::max(peakLiveWorkers, run.LiveWorkers());
                return !run.Running() || enough();
            },
            NoLimit);
    }

    OwnerThreadQueue queue; // declared first: the run's end still serves through it
    CountingView view;
    SubmissionRun run;
    int peakLiveWorkers = 0;
};

void DelayedServer(const ServerProcess& server, int delayMs)
{
    const SiteTable sites = LocalSites(server.port);
    const int products = 3;
    std::printf("1. %d products x %d sites, every answer after %d ms\n", products, SiteCount, delayMs);
    for (int speed : {1, 5, 10}) {
        const double bound = products * ((SiteCount + speed - 1) / speed) * delayMs / 1000.0;
        {
            std::ofstream("/proc/self/clear_refs") << "5";
        } // peak resident size from here on
        Sampler sampler;
        double wall = 0;
        Cpu cpu0{}, cpu1{};
        double sampler0 = 0, sampler1 = 0;
        int ok = 0, failed = 0, peakWorkers = 0;
        std::string messages;
        {
            Harness h(sites);
            h.run.SetSpeed(speed);
            cpu0 = Cpu::Process();
            sampler0 = sampler.CpuSeconds();
            const auto t0 = Clock::now();
            if (h.run.SubmitAll(Products(products), std::vector<bool>(SiteCount, true)))
                h.ServeUntil([] { return false; });
            wall = std::chrono::duration<double>(Clock::now() - t0).count();
            if (h.run.Running()) h.run.Cancel();
            ok = h.view.ok;
            failed = h.view.failed;
            peakWorkers = h.peakLiveWorkers;
            messages = h.view.messages;
        } // the run's end joins its last workers
        cpu1 = Cpu::Process();
        sampler1 = sampler.CpuSeconds();
        sampler.Stop();
        const long hwm = ProcStatus("VmHWM:");
        const double user = cpu1.user - cpu0.user, sys = cpu1.sys - cpu0.sys;
        const double samplerCpu = sampler1 - sampler0;
        std::printf("   speed %2d: %d ok, %d failed; wall %.3f s (bound %.3f s, %+.3f s)\n", speed, ok, failed, wall,
                    bound, wall - bound);
        std::printf("             CPU %.3f s (user %.3f + sys %.3f, less %.3f s of the sampler), %.2f ms per request\n",
                    user + sys - samplerCpu, user, sys, samplerCpu,
                    (user + sys - samplerCpu) * 1000.0 / (products * SiteCount));
        std::printf("             peak threads %ld (main and sampler included), peak live workers %d;"
                    " peak resident %ld KiB (VmHWM), %ld KiB (sampled VmRSS)\n",
                    sampler.PeakThreads(), peakWorkers, hwm, sampler.PeakRss());
        if (!messages.empty()) std::printf("             messages: %s", messages.c_str());
    }
}

struct RunCost {
    double wall = 0;
    double cpu = 0;
};

RunCost ImmediateServer(const ServerProcess& server, int products, HistoryStore* history)
{
    const SiteTable sites = LocalSites(server.port);
    const int total = products * SiteCount;
    std::printf("2. %d products x %d sites (%d requests) at speed 10, every answer at once%s\n", products, SiteCount,
                total, history ? ", recorded in the history" : "");
    Harness h(sites);
    h.run.SetSpeed(10);
    std::optional<RunRecorder> recorder;
    if (history) {
        recorder.emplace(history, RunKind::Submit, 10);
        h.run.SetRecorder(&*recorder);
    }
    const long before = ProcStatus("VmRSS:");
    const Cpu cpu0 = Cpu::Process();
    const auto t0 = Clock::now();
    if (!h.run.SubmitAll(Products(products), std::vector<bool>(SiteCount, true))) {
        std::printf("   the run did not start: %s", h.view.messages.c_str());
        return {};
    }
    h.ServeUntil([&] { return h.view.Outcomes() >= SiteCount; });
    const long start = ProcStatus("VmRSS:");
    const int startOutcomes = h.view.Outcomes();
    h.ServeUntil([&] { return h.view.Outcomes() >= total / 2; });
    const long middle = ProcStatus("VmRSS:");
    const int middleOutcomes = h.view.Outcomes();
    h.ServeUntil([] { return false; });
    if (recorder) recorder->End(RunEnd::Finished);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const long end = ProcStatus("VmRSS:");
    const Cpu cpu1 = Cpu::Process();
    const double cpu = (cpu1.user - cpu0.user) + (cpu1.sys - cpu0.sys);
    std::printf("   %d ok, %d failed of %d; wall %.3f s, %.0f requests/s, CPU %.3f s (%.3f ms per request),"
                " peak live workers %d\n",
                h.view.ok, h.view.failed, total, wall, h.view.Outcomes() / wall, cpu,
                cpu * 1000.0 / std::max(1, h.view.Outcomes()), h.peakLiveWorkers);
    std::printf("   VmRSS before the run %ld KiB; after %d outcomes %ld KiB; after %d outcomes %ld KiB;"
                " at the end (%d outcomes) %ld KiB\n",
                before, startOutcomes, start, middleOutcomes, middle, h.view.Outcomes(), end);
    if (recorder) {
        const double spent = std::chrono::duration<double>(recorder->Spent()).count();
        std::printf("   recording took %.3f s of CPU on the run's thread: %.1f%% of the run's CPU time (%.3f s), "
                    "%.1f%% of its wall time (%.3f s)\n",
                    spent, 100 * spent / cpu, cpu, 100 * spent / wall, wall);
        if (!recorder->Failure().empty()) std::printf("   %s\n", recorder->Failure().c_str());
    }
    if (h.run.Running()) {
        std::printf("   the run did not end\n");
        h.run.Cancel();
    }
    return {wall, cpu};
}

} // namespace

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    const int products = argc > 1 ? std::atoi(argv[1]) : 500;
    // Both servers are forked first, while this process is still single-threaded.
    const ServerProcess slow = StartServer(Submitted, std::chrono::milliseconds(50));
    const ServerProcess quick = StartServer(Submitted);
    DelayedServer(slow, 50);
    const int count = products > 0 ? products : 500;
    const RunCost first = ImmediateServer(quick, count, nullptr);
    // Recorded, then plain again: the cost is the recorded run against the mean of the two plain ones.
    char folder[] = "/tmp/bench_submit_XXXXXX";
    if (mkdtemp(folder)) {
        RunCost recorded;
        {
            HistoryStore history(std::string(folder) + "/history.sqlite");
            recorded = ImmediateServer(quick, count, &history);
        }
        const RunCost plain = ImmediateServer(quick, count, nullptr);
        const double wall = (plain.wall + first.wall) / 2, cpu = (plain.cpu + first.cpu) / 2;
        std::printf("   recording cost: wall %+.3f s (%+.1f%%), CPU %+.3f s (%+.1f%%) against the plain runs' mean\n",
                    recorded.wall - wall, 100 * (recorded.wall - wall) / wall, recorded.cpu - cpu,
                    100 * (recorded.cpu - cpu) / cpu);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    StopServer(slow);
    StopServer(quick);
    return 0;
}
