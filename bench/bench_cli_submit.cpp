// Figures of `quillpost-cli submit` as a whole process: N products x the 45 built-in sites at
// speed 10, every request through a local proxy on 127.0.0.1 that answers at once (the
// scripted proxy of the tests, on a thread of this process; nothing leaves the machine).
// The command runs under /usr/bin/time -v: wall time, requests per second, CPU time and peak
// resident memory, once with --quiet and once printing every outcome (to /dev/null), with
// the report's row count as a check that every pair was sent and answered.
// Usage: bench_cli_submit [products]   (500 by default)

#include "BenchMeasure.h"

#include "submit/RunReport.h"
#include "submit/SiteTable.h"
#include "support/ScriptedProxy.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const Reply = "HTTP/1.0 200 OK\r\n\r\nPAD submitted successfully";

void Measure(const std::string& label, const std::vector<std::string>& args, const std::string& report, int requests,
             const ScriptedProxy& proxy, const std::string& timeFile)
{
    const size_t before = proxy.Count();
    const TimedRun f = RunTimed(args, timeFile);
    const size_t answered = proxy.Count() - before;
    int rows = 0, ok = 0;
    try {
        for (const ReportRow& row : RunReport::Read(report)) {
            ++rows;
            ok += row.Outcome == Outcome::Ok;
        }
    } catch (const std::exception& e) {
        std::printf("   (report: %s)\n", e.what());
    }
    std::printf("%s: exit %d; %zu requests answered by the proxy, report %d rows (%d Ok) of %d\n", label.c_str(),
                f.exitCode, answered, rows, ok, requests);
    std::printf("   wall %.3f s, %.0f requests/s\n", f.wall, requests / f.wall);
    if (!f.timeOutput.empty()) {
        std::printf("   /usr/bin/time -v: elapsed %s, user %s s, system %s s, CPU %s, maximum resident set %s KiB\n",
                    TimeField(f.timeOutput, "Elapsed (wall clock) time (h:mm:ss or m:ss)").c_str(),
                    TimeField(f.timeOutput, "User time (seconds)").c_str(),
                    TimeField(f.timeOutput, "System time (seconds)").c_str(),
                    TimeField(f.timeOutput, "Percent of CPU this job got").c_str(),
                    TimeField(f.timeOutput, "Maximum resident set size (kbytes)").c_str());
    } else {
        std::printf("   (no /usr/bin/time) maximum resident set %ld KiB\n", f.usage.ru_maxrss);
    }
}

} // namespace

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    const int products = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 500;
    const int requests = products * SiteTable::BuiltInCount;
    TempDir dir;
    std::string catalogue;
    for (int i = 1; i <= products; ++i)
        catalogue += "Bench Product " + std::to_string(i) + "|http://127.0.0.1/pad/bench_product_" + std::to_string(i) +
                     ".xml|Utilities::File & Disk Management|\r\n";
    const std::string productsFile = dir.Write("products.dat", catalogue);
    ScriptedProxy proxy([](const std::string&) { return ScriptedProxy::Reply(Reply); }, false);

    std::printf("quillpost-cli submit: %d products x %d sites (%d requests) at speed 10 through a proxy on %s that "
                "answers at once\n",
                products, SiteTable::BuiltInCount, requests, proxy.Address().c_str());
    const std::string cli = BinFolder() + "quillpost-cli";
    const std::vector<std::string> common = {cli,       "submit", "--products", productsFile,
                                             "--speed", "10",     "--proxy",    proxy.Address()};
    std::vector<std::string> quiet = common;
    quiet.insert(quiet.end(), {"--quiet", "--report", dir.File("quiet.csv")});
    Measure("--quiet", quiet, dir.File("quiet.csv"), requests, proxy, dir.File("time-quiet.txt"));
    std::vector<std::string> printing = common;
    printing.insert(printing.end(), {"--report", dir.File("printing.csv")});
    Measure("every outcome printed (to /dev/null)", printing, dir.File("printing.csv"), requests, proxy,
            dir.File("time-printing.txt"));
    return 0;
}
