// Figures of the history file:
//   1. a generated history of N outcomes (500 products x 100 sites x N / 50,000 runs):
//      how long it takes to write, its size per outcome (and per table), how long opening it
//      takes (the whole-file check among it);
//   2. on it: the grid of each pair's latest outcome, the runs list, one pair's attempts, each
//      site's last ten outcomes and the sites that took one PAD link (the median of 5);
//   3. recording a run of 22,500 outcomes (500 products x 45 sites) into it, in batches of
//      10 (a run at speed 10), 45 (one product) and 250 (a fortieth of a second of a fast run),
//      one transaction each.
// Usage: bench_history [outcomes] [path [products]]   (1,000,000 outcomes, 500 products by default)
// With a path, only the history is generated, there, and kept: a file to time the command
// line on (`quillpost-cli history --runs` with its data/ folder).

#include "common/StatusWords.h"
#include "history/HistoryStore.h"
#include "history/SqliteDb.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <time.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Sites = 100;
int Products = 500;
const char* const Words[] = {"Ok", "Ok", "Ok", "Ok", "Ok", "Ok", "X", "X", "Failed", "Invalid"};
const char* const Reasons[] = {"", "no answer in 10 s", "connection refused", "server answered 404", "reply cut short"};

// This thread's CPU seconds, to the nanosecond.
double ThreadCpu()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// "W ms (C ms CPU)": the medians of 5 of the wall time and of this thread's CPU time. On a
// machine that others share, the CPU time is the figure to compare.
std::string Median(const std::function<void()>& work)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        const double cpuStart = ThreadCpu();
        work();
        wall.push_back(Ms(Clock::now() - start));
        cpu.push_back((ThreadCpu() - cpuStart) * 1000);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    char text[64];
    std::snprintf(text, sizeof text, "%.2f ms (%.2f ms CPU)", wall[2], cpu[2]);
    return text;
}

std::string Product(int p)
{
    return "Product " + std::to_string(p);
}

std::string Site(int s)
{
    return "Download Site " + std::to_string(s);
}

OutcomeRecord Sent(int run, int p, int s, unsigned& seed)
{
    seed = seed * 1103515245u + 12345u;
    const unsigned pick = (seed >> 16) % 10;
    const char* word = Words[pick];
    const int reason = pick < 8 ? 0 : static_cast<int>(1 + (seed >> 8) % 4);
    const HistoryTime at(std::chrono::seconds(1'600'000'000LL + run * 86'400LL + (p * Sites + s) / 10));
    return OutcomeRecord{at,
                         Product(p),
                         "https://www.example-software-" + std::to_string(p) + ".com/pad/product.xml",
                         Site(s),
                         "http://www.download-site-" + std::to_string(s) + ".example/submit.php",
                         s % 3 ? "GET" : "POST",
                         StatusWords::ToOutcome(word),
                         pick < 8 ? 200 : 0,
                         static_cast<std::int64_t>(50 + (seed >> 4) % 900),
                         Reasons[reason],
                         0,
                         ""};
}

} // namespace

int main(int argc, char** argv)
{
    const long total = argc > 1 ? std::atol(argv[1]) : 1'000'000;
    const bool keep = argc > 2;
    if (argc > 3) Products = std::max(1, std::atoi(argv[3]));
    const int runs = static_cast<int>(std::max(1L, total / (Products * Sites)));
    char folder[] = "/tmp/quillpost-bench-XXXXXX";
    if (!keep && !mkdtemp(folder)) return 1;
    const std::string path = keep ? std::string(argv[2]) : std::string(folder) + "/history.sqlite";

    // 1. The generated history.
    unsigned seed = 1;
    auto start = Clock::now();
    const double generating = ThreadCpu();
    {
        HistoryStore store(path);
        std::vector<OutcomeRecord> batch;
        for (int r = 0; r < runs; ++r) {
            const std::int64_t run =
                store.BeginRun(RunKind::Submit, 10, HistoryTime(std::chrono::seconds(1'600'000'000LL + r * 86'400LL)));
            for (int p = 0; p < Products; ++p) {
                for (int s = 0; s < Sites; ++s) batch.push_back(Sent(r, p, s, seed));
                if (batch.size() >= 5000) {
                    store.RecordOutcomes(run, batch);
                    batch.clear();
                }
            }
            store.RecordOutcomes(run, batch);
            batch.clear();
            store.EndRun(run, RunEnd::Finished,
                         HistoryTime(std::chrono::seconds(1'600'000'000LL + r * 86'400LL + 5000)));
        }
    }
    const long outcomes = static_cast<long>(runs) * Products * Sites;
    std::printf("generated %ld outcomes (%d runs of %d products x %d sites) in %.0f ms (%.0f ms CPU), batches of "
                "5000\n",
                outcomes, runs, Products, Sites, Ms(Clock::now() - start), (ThreadCpu() - generating) * 1000);
    {
        SqliteDb db(path, 1000);
        db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        const auto bytes = std::filesystem::file_size(path);
        std::printf("file: %ju bytes, %.1f bytes per outcome\n", static_cast<std::uintmax_t>(bytes),
                    static_cast<double>(bytes) / static_cast<double>(outcomes));
        try {
            SqliteStatement tables(db, "SELECT name, sum(pgsize) FROM dbstat GROUP BY name ORDER BY 2 DESC");
            while (tables.Step())
                std::printf("  %-20s %10lld bytes, %.1f per outcome\n", tables.Text(0).c_str(),
                            static_cast<long long>(tables.Integer(1)),
                            static_cast<double>(tables.Integer(1)) / static_cast<double>(outcomes));
        } catch (const SqliteError&) {
            std::printf("  (no dbstat in this SQLite: sizes per table not shown)\n");
        }
    }
    if (keep) return 0;

    // 2. Queries.
    std::printf("open (no whole-file check after a clean close): %s\n",
                Median([&] { HistoryStore opened(path); }).c_str());
    HistoryStore store(path);
    size_t rows = 0;
    std::printf("grid, latest of %d x %d pairs: %s", Products, Sites,
                Median([&] { rows = store.Latest().size(); }).c_str());
    std::printf(" (%zu pairs)\n", rows);
    HistoryFilter oneProduct;
    oneProduct.Products = {Product(7)};
    oneProduct.Outcomes = {"Failed", "Invalid"};
    std::printf("grid filtered to one product and two words: %s\n",
                Median([&] { rows = store.Latest(oneProduct).size(); }).c_str());
    std::printf("runs list: %s", Median([&] { rows = store.Runs().size(); }).c_str());
    std::printf(" (%zu runs)\n", rows);
    std::printf("one pair's attempts: %s\n",
                Median([&] { rows = store.Attempts(Product(42), Site(17)).size(); }).c_str());
    std::printf("each site's last 10: %s\n", Median([&] { rows = store.RecentBySite(10).size(); }).c_str());
    std::printf("sites that took one PAD link: %s\n",
                Median([&] {
                    rows = store.SitesThatTook("https://www.example-software-42.com/pad/product.xml").size();
                }).c_str());
    std::printf("latest submit run: %s\n", Median([&] { rows = store.LatestSubmitRun() ? 1 : 0; }).c_str());

    // 3. Recording a run of 22,500 outcomes.
    for (const int batchSize : {10, 45, 250}) {
        std::vector<OutcomeRecord> run;
        for (int p = 0; p < Products; ++p)
            for (int s = 0; s < 45; ++s) run.push_back(Sent(runs + batchSize, p, s, seed));
        start = Clock::now();
        const double cpuStart = ThreadCpu();
        const std::int64_t id = store.BeginRun(RunKind::Submit, 10, run.front().Time);
        for (size_t at = 0; at < run.size(); at += static_cast<size_t>(batchSize))
            store.RecordOutcomes(id,
                                 std::vector<OutcomeRecord>(run.begin() + static_cast<std::ptrdiff_t>(at),
                                                            run.begin() + static_cast<std::ptrdiff_t>(
                                                                              std::min(run.size(), at + batchSize))));
        store.EndRun(id, RunEnd::Finished, run.back().Time);
        const double ms = Ms(Clock::now() - start), cpu = (ThreadCpu() - cpuStart) * 1000;
        std::printf("recording 22,500 outcomes in batches of %d: %.0f ms (%.0f ms CPU; %.1f us CPU per outcome, "
                    "%.2f ms CPU per batch)\n",
                    batchSize, ms, cpu, cpu * 1000 / 22500, cpu / (22500.0 / batchSize));
    }

    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return 0;
}
