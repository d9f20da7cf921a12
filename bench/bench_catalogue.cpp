// Loads, sorts and saves a products file of 100,000 rows, and sorts the same file with
// GNU sort, in C.UTF-8 and in a real UTF-8 locale (en_US.UTF-8, made with localedef in a
// temporary folder when the system lacks it). Every job runs in a child process of its
// own, so that each figure (time, peak memory) belongs to that one job; each job runs
// three times and the fastest run is shown. Then the author's own sites (autosites.dat) of
// 20,000 to 100,000 lines: the load, and the same sites added one by one as the site dialog
// adds one (the way the load went before it took them in one go).
#include "catalogue/CaptionCollator.h"
#include "catalogue/CatalogueFile.h"
#include "catalogue/ListRows.h"
#include "submit/OwnSites.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Titles as download sites see them: two or three words, mixed case, accented Latin and
// Cyrillic letters, a version now and then.
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
                           "\xC3\x9C"
                           "bersetzer",
                           "M\xC3\xBCsik",
                           "Se\xC3\xB1"
                           "al",
                           "\xC3\x85rhus",
                           "c\xC3\xB4t\xC3\xA9",
                           "Stra\xC3\x9F"
                           "e",
                           "\xD0\x90\xD1\x80\xD1\x85\xD0\xB8\xD0\xB2",
                           "\xD0\xB0\xD1\x80\xD1\x85\xD0\xB8\xD0\xB2",
                           "\xD0\xA0\xD0\xB5\xD0\xB4\xD0\xB0\xD0\xBA\xD1\x82\xD0\xBE\xD1\x80"};
    const char* categories[] = {"Utilities::File & Disk Management", "Audio & Multimedia::Audio Encoders/Decoders",
                                "Business::Office Suites & Tools", "Graphic Apps::Editors",
                                "Internet::E-Mail::Mailing List Management"};
    std::uniform_int_distribution<size_t> w(0, std::size(words) - 1);
    std::uniform_int_distribution<size_t> c(0, std::size(categories) - 1);
    std::uniform_int_distribution<int> n(1, 99999);
    std::string out;
    for (int i = 0; i < rows; ++i) {
        // Appended piece by piece: each row is one line of the file.
        out.append(words[w(rng)]).append(" ").append(words[w(rng)]);
        if (i % 3 == 0) out.append(" ").append(words[w(rng)]);
        out.append(" ").append(std::to_string(n(rng)));
        if (i % 4 == 0) out.append(" v").append(std::to_string(i % 9)).append(".").append(std::to_string(i % 7));
        out.append("|http://www.vendor").append(std::to_string(i % 977)).append(".example/pad/");
        out.append(std::to_string(i)).append(".xml|").append(categories[c(rng)]).append("|");
        if (i % 5 == 0) out.append("Yes|");
        out.append("\r\n");
    }
    return out;
}

struct Result {
    double wallMs = 0; // the whole child process
    double cpuMs = 0;
    long peakKiB = 0;
    bool ok = false;
    double inner[2] = {0, 0}; // what the child timed itself
};

// Runs job() in a child; the job may send two figures back through `pipeFd`.
template <typename F>
Result InChild(F job)
{
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return {};
    auto t0 = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        close(pipeFd[0]);
        _exit(job(pipeFd[1]));
    }
    close(pipeFd[1]);
    Result r;
    if (read(pipeFd[0], r.inner, sizeof r.inner) != sizeof r.inner) r.inner[0] = r.inner[1] = 0;
    close(pipeFd[0]);
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    r.wallMs = Ms(t0, Clock::now());
    r.cpuMs =
        ru.ru_utime.tv_sec * 1e3 + ru.ru_utime.tv_usec / 1e3 + ru.ru_stime.tv_sec * 1e3 + ru.ru_stime.tv_usec / 1e3;
    r.peakKiB = ru.ru_maxrss;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

// The best of three runs: the least wall and CPU time, the largest peak.
template <typename F>
Result Best(F job)
{
    Result best = InChild(job);
    for (int i = 1; i < 3; ++i) {
        const Result r = InChild(job);
        if (r.wallMs < best.wallMs) {
            best.wallMs = r.wallMs;
            best.inner[0] = r.inner[0];
            best.inner[1] = r.inner[1];
        }
        best.cpuMs = std::min(best.cpuMs, r.cpuMs);
        best.peakKiB = std::max(best.peakKiB, r.peakKiB);
        best.ok = best.ok && r.ok;
    }
    return best;
}

void Send(int fd, double a, double b)
{
    double v[2] = {a, b};
    if (write(fd, v, sizeof v) != sizeof v) _exit(1);
}

void Line(const char* job, const Result& r)
{
    std::printf("  %-36s %9.1f %9.1f %10ld%s\n", job, r.wallMs, r.cpuMs, r.peakKiB, r.ok ? "" : "  (FAILED)");
}

// Where the system keeps en_US.UTF-8, or a folder made for it with localedef; empty
// when neither works. `locpath` is set when sort needs LOCPATH.
bool FindEnglishLocale(const std::string& folder, std::string& locpath)
{
    if (std::system("locale -a 2>/dev/null | grep -qix 'en_US.utf-\\?8'") == 0) return true;
    const std::string made = folder + "/locales";
    mkdir(made.c_str(), 0700);
    const std::string cmd = "localedef -i en_US -f UTF-8 " + made + "/en_US.UTF-8 >/dev/null 2>&1";
    if (std::system(cmd.c_str()) > 1) return false; // 1: made, with warnings
    struct stat st {};
    if (stat((made + "/en_US.UTF-8").c_str(), &st) != 0) return false;
    locpath = made;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;

    char folder[] = "/tmp/quillpost-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string in = std::string(folder) + "/products.dat";
    const std::string out = std::string(folder) + "/saved.dat";
    const std::string sorted = std::string(folder) + "/gnu-sorted.dat";
    const std::string saved = std::string(folder) + "/products.dat";
    size_t bytes = 0;
    {
        const std::string text = MakeProducts(rows);
        bytes = text.size();
        std::ofstream f(in, std::ios::binary);
        f << text;
    }
    std::printf("products file: %d rows, %.1f MB\n", rows, static_cast<double>(bytes) / 1e6);

    std::string locpath;
    std::vector<std::string> locales = {"C.UTF-8"};
    if (FindEnglishLocale(folder, locpath))
        locales.push_back("en_US.UTF-8");
    else
        std::printf("en_US.UTF-8: not on this system and localedef failed; C.UTF-8 only\n");
    if (!locpath.empty())
        std::printf("en_US.UTF-8 made with localedef in %s (sort runs with LOCPATH)\n", locpath.c_str());

    Result idle = InChild([](int fd) {
        Send(fd, 0, 0);
        return 0;
    });
    std::printf("an idle child of this benchmark peaks at %ld KiB\n\n", idle.peakKiB);

    bool allOk = true;
    for (const std::string& locale : locales) {
        // Load and sort alone: its peak is the figure beside sort's.
        Result load = Best([&](int fd) {
            CaptionCollator collator(locale);
            ListRows list(4, true, &collator);
            auto t0 = Clock::now();
            CatalogueFile::ReadList(list, in); // read, cut and sort
            Send(fd, Ms(t0, Clock::now()), 0);
            return list.Count() == rows ? 0 : 1;
        });
        Result save = Best([&](int fd) {
            CaptionCollator collator(locale);
            ListRows list(4, true, &collator);
            auto t0 = Clock::now();
            CatalogueFile::ReadList(list, in);
            auto t1 = Clock::now();
            CatalogueFile::WriteList(list, out, CatalogueFile::ProductFields);
            Send(fd, Ms(t0, t1), Ms(t1, Clock::now()));
            return list.Count() == rows ? 0 : 1;
        });
        // The user's Save over a file that differs: the old file is kept as a backup too.
        Result saveList = Best([&](int fd) {
            CaptionCollator collator(locale);
            ListRows list(4, true, &collator);
            CatalogueFile::ReadList(list, in);
            std::ofstream(saved, std::ios::binary) << "an older catalogue|http://example.com/pad.xml|Tools|\r\n";
            auto t0 = Clock::now();
            CatalogueFile::SaveList(list, saved, CatalogueFile::ProductFields);
            Send(fd, Ms(t0, Clock::now()), 0);
            return list.Count() == rows ? 0 : 1;
        });
        Result gnu = Best([&](int) {
            setenv("LC_ALL", locale.c_str(), 1);
            if (!locpath.empty() && locale != "C.UTF-8") setenv("LOCPATH", locpath.c_str(), 1);
            execlp("sort", "sort", "-s", "-t", "|", "-k1,1", "-o", sorted.c_str(), in.c_str(),
                   static_cast<char*>(nullptr));
            return 127;
        });

        std::printf("%s (collation %s)\n", locale.c_str(), CaptionCollator(locale).LocaleName().c_str());
        std::printf("  %-36s %9s %9s %10s\n", "job (process)", "wall ms", "cpu ms", "peak KiB");
        Line("quillpost load+sort", load);
        Line("quillpost load+sort+save", save);
        Line("quillpost load+sort+SaveList (backup)", saveList);
        Line("GNU sort -s -t'|' -k1,1 -o", gnu);
        std::printf("  quillpost in-process: load+sort %.1f ms, save (atomic, fsync) %.1f ms\n", load.inner[0],
                    save.inner[1]);
        std::printf("  a save adds to the peak: %ld KiB (WriteList), %ld KiB (SaveList, %.1f ms) (goal: <= 1024)\n",
                    save.peakKiB - load.peakKiB, saveList.peakKiB - load.peakKiB, saveList.inner[0]);
        std::printf("  beside sort: load+sort cpu %.2fx, peak %.2fx (goal: cpu <= 1x, peak <= 2x)\n\n",
                    gnu.cpuMs > 0 ? load.cpuMs / gnu.cpuMs : 0.0,
                    gnu.peakKiB > 0 ? static_cast<double>(load.peakKiB) / static_cast<double>(gnu.peakKiB) : 0.0);
        allOk = allOk && load.ok && save.ok && saveList.ok && gnu.ok;
    }
    // Own sites: unique titles in no order, and every tenth line repeats an earlier title.
    std::printf("own sites (%s)\n  %-36s %9s %9s %10s\n", OwnSites::FileName, "job (process)", "wall ms", "cpu ms",
                "peak KiB");
    for (const int lines : {20000, 50000, 100000}) {
        const std::string path = std::string(folder) + "/" + OwnSites::FileName;
        std::vector<SiteRecord> sites;
        std::string text;
        for (int i = 0; i < lines; ++i) {
            const unsigned n = static_cast<unsigned>(i % 10 == 9 ? i - 5 : i);
            const std::string scrambled = std::to_string(n * 2654435761u % 1000003u);
            sites.push_back(SiteRecord{"Site " + scrambled + "-" + std::to_string(n),
                                       "http://s" + std::to_string(n) + ".example/add.php", "GET", "padurl", "padcat",
                                       "", "successfully"});
            text += sites.back().Title + "|" + sites.back().ScriptUrl + "|GET|padurl|padcat||successfully|\r\n";
        }
        std::ofstream(path, std::ios::binary) << text;
        const std::string load = "load " + std::to_string(lines) + " lines";
        Line(load.c_str(), Best([&](int fd) {
                 OwnSites own;
                 own.Load(path);
                 Send(fd, 0, 0);
                 return own.Sites().size() == static_cast<size_t>(lines - lines / 10) ? 0 : 1;
             }));
        const std::string all = "import " + std::to_string(lines) + " (AddAll)";
        Line(all.c_str(), Best([&](int fd) {
                 OwnSites own;
                 const auto refusals = own.AddAll(sites);
                 Send(fd, 0, 0);
                 return own.Sites().size() == static_cast<size_t>(lines - lines / 10) ? 0 : 1;
             }));
        if (lines > 20000 && argc <= 2) continue; // one by one takes minutes beyond; "all" as 2nd argument
        const std::string one = "add " + std::to_string(lines) + " one by one";
        Line(one.c_str(), InChild([&](int fd) {
                 OwnSites own;
                 for (const SiteRecord& site : sites) own.Add(site);
                 Send(fd, 0, 0);
                 return own.Sites().size() == static_cast<size_t>(lines - lines / 10) ? 0 : 1;
             }));
    }

    const std::string cleanup = std::string("rm -rf ") + folder;
    return std::system(cleanup.c_str()) == 0 && allOk ? 0 : 1;
}
