// Loads, sorts and saves a products file of 100,000 rows, and sorts the same file with
// GNU sort in the same locale, each in a child process of its own so that every figure
// (time, peak memory) belongs to that one job.
#include "catalogue/CaptionCollator.h"
#include "catalogue/CatalogueFile.h"
#include "catalogue/ListRows.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

std::string MakeProducts(int rows)
{
    std::mt19937 rng(1234);
    const char* words[] = {"Audio",
                           "audio",
                           "Backup",
                           "backup",
                           "Cleaner",
                           "Disk",
                           "disk",
                           "Editor",
                           "\xC3\x89"
                           "diteur",
                           "File",
                           "Graph",
                           "Image",
                           "Mail",
                           "Notes",
                           "Office",
                           "Photo",
                           "Quick",
                           "Report",
                           "Sync",
                           "Tool",
                           "Utility",
                           "Video",
                           "Web",
                           "Zip",
                           "zebra",
                           "\xD0\x90\xD1\x80\xD1\x85\xD0\xB8\xD0\xB2"};
    std::uniform_int_distribution<size_t> w(0, std::size(words) - 1);
    std::uniform_int_distribution<int> n(1, 99999);
    std::string out;
    for (int i = 0; i < rows; ++i) {
        std::string title = std::string(words[w(rng)]) + " " + words[w(rng)] + " " + std::to_string(n(rng));
        out += title + "|http://www.vendor" + std::to_string(i % 977) + ".example/pad/" + std::to_string(i) +
               ".xml|Utilities::File & Disk Management|\r\n";
    }
    return out;
}

struct Result {
    double wallMs = 0;
    double cpuMs = 0;
    long peakKiB = 0;
    int status = 0;
};

template <typename F>
Result InChild(F job)
{
    auto t0 = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        _exit(job());
    }
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    Result r;
    r.wallMs = Ms(t0, Clock::now());
    r.cpuMs =
        ru.ru_utime.tv_sec * 1e3 + ru.ru_utime.tv_usec / 1e3 + ru.ru_stime.tv_sec * 1e3 + ru.ru_stime.tv_usec / 1e3;
    r.peakKiB = ru.ru_maxrss;
    r.status = status;
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const char* envLocale = std::getenv("LC_ALL");
    if (!envLocale || !*envLocale) envLocale = std::getenv("LANG");
    std::string locale = envLocale && *envLocale ? envLocale : "C.UTF-8";

    char folder[] = "/tmp/quillpost-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    std::string in = std::string(folder) + "/products.dat";
    std::string out = std::string(folder) + "/saved.dat";
    std::string sorted = std::string(folder) + "/gnu-sorted.dat";
    {
        std::ofstream f(in, std::ios::binary);
        f << MakeProducts(rows);
    }
    std::printf("products file: %d rows, locale %s\n", rows, locale.c_str());

    double loadMs = 0, saveMs = 0;
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return 1;
    Result ours = InChild([&] {
        CaptionCollator collator(locale);
        ListRows list(4, true, &collator);
        auto t0 = Clock::now();
        CatalogueFile::ReadList(list, in); // read, cut and sort
        auto t1 = Clock::now();
        CatalogueFile::WriteList(list, out, CatalogueFile::ProductFields);
        auto t2 = Clock::now();
        double times[2] = {Ms(t0, t1), Ms(t1, t2)};
        if (write(pipeFd[1], times, sizeof times) != sizeof times) return 1;
        return list.Count() == rows ? 0 : 1;
    });
    double times[2] = {0, 0};
    if (read(pipeFd[0], times, sizeof times) == sizeof times) {
        loadMs = times[0];
        saveMs = times[1];
    }

    Result gnu = InChild([&] {
        setenv("LC_ALL", locale.c_str(), 1);
        execlp("sort", "sort", "-s", "-t", "|", "-k1,1", "-o", sorted.c_str(), in.c_str(), static_cast<char*>(nullptr));
        return 127;
    });

    std::printf("%-34s %10s %10s %12s\n", "job", "wall ms", "cpu ms", "peak KiB");
    std::printf("%-34s %10.1f %10.1f %12ld%s\n", "quillpost load+sort+save", ours.wallMs, ours.cpuMs, ours.peakKiB,
                ours.status == 0 ? "" : "  (FAILED)");
    std::printf("%-34s %10.1f\n", "  of which load+sort", loadMs);
    std::printf("%-34s %10.1f\n", "  of which save (atomic, fsync)", saveMs);
    std::printf("%-34s %10.1f %10.1f %12ld%s\n", "GNU sort -s -t'|' -k1,1", gnu.wallMs, gnu.cpuMs, gnu.peakKiB,
                gnu.status == 0 ? "" : "  (FAILED)");
    std::string cleanup = std::string("rm -rf ") + folder;
    return std::system(cleanup.c_str()) == 0 && ours.status == 0 ? 0 : 1;
}
