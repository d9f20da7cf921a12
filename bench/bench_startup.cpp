// Start-up of the program as a whole process: from the moment it is started to its main
// window shown, and its peak resident memory, with the shipped data and with a products
// file of 10,000 rows. The built program is copied with its browser module and its data/,
// language/ and help/ folders into a temporary program folder and run with
// QUILLPOST_STARTUP_TIMING=1, which makes it print a line and quit once the window is shown
// (saving nothing). It runs on the offscreen platform, and under an Xvfb server of its own
// when /usr/bin/Xvfb is there.
//
// Time is this process's clock from just before the start to the program's line; the
// program's own figure since main is printed beside it (the rest is loading libraries).
// Memory is the program's peak resident set (wait4), and apart from it the peaks of any
// helper processes it started (the web engine's), collected as orphans of this process.
// Usage: bench_startup [RUNS]   (7 by default; each figure is the median, with the best)

#include "BenchMeasure.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double GoalMs = 120;
constexpr double GoalMiB = 70;

// Rows as the program stores them, in no order, so that the start sorts them.
std::string MakeProducts(int rows)
{
    std::mt19937 rng(42);
    const char* words[] = {"Audio",
                           "backup",
                           "Cleaner",
                           "Disk",
                           "\xC3\x89"
                           "diteur",
                           "File",
                           "Graph",
                           "Image",
                           "Notes",
                           "Photo",
                           "Quick",
                           "Sync",
                           "Tool",
                           "Video",
                           "Zip"};
    std::uniform_int_distribution<size_t> w(0, std::size(words) - 1);
    std::uniform_int_distribution<int> n(1, 99999);
    std::string out;
    for (int i = 0; i < rows; ++i)
        out += std::string(words[w(rng)]) + " " + words[w(rng)] + " " + std::to_string(n(rng)) + "|http://www.vendor" +
               std::to_string(i % 977) + ".example/pad/" + std::to_string(i) +
               ".xml|Utilities::File & Disk Management|\r\n";
    return out;
}

struct Run {
    bool shown = false;
    double shownMs = 0;     // this process's clock, start to the program's line
    double sinceMainMs = 0; // the program's own figure
    double programMiB = 0;  // the program's peak resident set
    double helpersMiB = 0;  // the sum of its helper processes' peaks
    int helpers = 0;
};

// A program folder under the temporary folder, removed with everything in it at the end.
class ProgramFolder : public BenchFolder {
public:
    ProgramFolder() : BenchFolder("quillpost-start") {}
};

double MiB(long kib)
{
    return static_cast<double>(kib) / 1024.0;
}

// Waits for the orphans that the program left (reparented to this process, a subreaper)
// and adds up their peaks; what is still there after a few seconds is ended.
void CollectHelpers(Run& run, pid_t keep)
{
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    for (;;) {
        int status = 0;
        rusage ru{};
        const pid_t pid = ::wait4(-1, &status, WNOHANG, &ru);
        if (pid > 0) {
            ++run.helpers;
            run.helpersMiB += MiB(ru.ru_maxrss);
            continue;
        }
        std::vector<pid_t> left;
        std::ifstream children("/proc/self/task/" + std::to_string(::getpid()) + "/children");
        for (pid_t child; children >> child;)
            if (child != keep) left.push_back(child);
        if (left.empty()) return;
        if (Clock::now() > deadline)
            for (pid_t child : left) ::kill(child, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

Run StartOnce(const std::string& program, const std::vector<std::string>& env, pid_t xvfb)
{
    int out[2];
    Run run;
    if (::pipe(out) != 0) return run;
    const auto t0 = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buffer[512];
    // A program that never shows its window is ended after half a minute.
    pollfd wait{out[0], POLLIN, 0};
    for (ssize_t n; ::poll(&wait, 1, 30000) > 0 && (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<size_t>(n));
        if (!run.shown && text.find('\n') != std::string::npos) {
            run.shownMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            run.shown = text.find("window shown") != std::string::npos;
        }
    }
    ::close(out[0]);
    if (!run.shown) ::kill(pid, SIGKILL);
    int status = 0;
    rusage ru{};
    ::wait4(pid, &status, 0, &ru);
    run.programMiB = MiB(ru.ru_maxrss);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) run.shown = false;
    // "window shown: 85.2 ms since main, ..."
    if (const size_t at = text.find("window shown: "); at != std::string::npos)
        run.sinceMainMs = std::atof(text.c_str() + at + 14);
    CollectHelpers(run, xvfb);
    return run;
}

struct Summary {
    double median = 0;
    double best = 0;
};

Summary Of(std::vector<double> values)
{
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front()};
}

void Measure(const char* what, const std::string& program, const std::vector<std::string>& env, pid_t xvfb, int runs)
{
    StartOnce(program, env, xvfb); // warms the file cache and the font cache
    std::vector<double> shown, sinceMain, programMiB, helpersMiB;
    int helpers = 0, failed = 0;
    for (int i = 0; i < runs; ++i) {
        const Run r = StartOnce(program, env, xvfb);
        if (!r.shown) {
            ++failed;
            continue;
        }
        shown.push_back(r.shownMs);
        sinceMain.push_back(r.sinceMainMs);
        programMiB.push_back(r.programMiB);
        helpersMiB.push_back(r.helpersMiB);
        helpers = std::max(helpers, r.helpers);
    }
    std::printf("%s:", what);
    if (shown.empty()) {
        std::printf(" the window was never shown (%d runs)\n", failed);
        return;
    }
    const Summary s = Of(shown), m = Of(sinceMain), p = Of(programMiB), h = Of(helpersMiB);
    std::printf("\n   start to window shown %6.1f ms (best %6.1f; %5.1f ms of it from main on)   goal <= %.0f ms\n",
                s.median, s.best, m.median, GoalMs);
    std::printf("   peak resident         %6.1f MiB (best %6.1f)                             goal <= %.0f MiB\n",
                p.median, p.best, GoalMiB);
    if (helpers > 0)
        std::printf("   and %d helper processes of the web engine: %.1f MiB of peaks together\n", helpers, h.median);
    if (failed > 0) std::printf("   (%d of %d runs did not show the window)\n", failed, runs);
}

// Starts an Xvfb server of this process's own on a free display; 0 when there is none.
pid_t StartXvfb(std::string& display)
{
    if (::access("/usr/bin/Xvfb", X_OK) != 0) return 0;
    int fd[2];
    if (::pipe(fd) != 0) return 0;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::close(fd[0]);
        const std::string displayFd = std::to_string(fd[1]);
        ::execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", displayFd.c_str(), "-nolisten", "tcp", "-screen", "0",
                "1280x1024x24", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fd[1]);
    std::string number;
    char c;
    while (::read(fd[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fd[0]);
    if (number.empty()) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        return 0;
    }
    display = ":" + number;
    return pid;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 7;
    signal(SIGPIPE, SIG_IGN);
    // The web engine's helpers outlive the program by a moment; as their subreaper this
    // process gets to wait for them and read their peaks.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);

    const std::string bin = BinFolder();
    ProgramFolder shipped, large;
    for (const ProgramFolder* dir : {&shipped, &large}) {
        fs::copy_file(bin + "quillpost", dir->File("quillpost"));
        // The browser module, loaded on first use (not at start); older builds have none.
        if (fs::exists(bin + "modules")) fs::copy(bin + "modules", dir->File("modules"), fs::copy_options::recursive);
        for (const char* sub : {"data", "language", "help"})
            fs::copy(bin + sub, dir->File(sub), fs::copy_options::recursive);
    }
    std::ofstream(large.File("data/products.dat"), std::ios::binary) << MakeProducts(10000);

    std::vector<std::string> common = {"QUILLPOST_STARTUP_TIMING=1"};
    // The web engine refuses to start as root inside its sandbox.
    const char* flags = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS");
    common.push_back(std::string("QTWEBENGINE_CHROMIUM_FLAGS=") +
                     (flags ? flags : (::geteuid() == 0 ? "--no-sandbox --disable-gpu" : "--disable-gpu")));

    std::printf("quillpost start-up, %d runs each after one to warm up (median, best)\n", runs);
    std::vector<std::string> offscreen = common;
    offscreen.push_back("QT_QPA_PLATFORM=offscreen");
    Measure("offscreen, shipped data", shipped.File("quillpost"), offscreen, 0, runs);
    Measure("offscreen, 10,000 products", large.File("quillpost"), offscreen, 0, runs);

    std::string display;
    const pid_t xvfb = StartXvfb(display);
    if (xvfb == 0) {
        std::printf("Xvfb: not available, only the offscreen platform measured\n");
        return 0;
    }
    std::vector<std::string> x11 = common;
    x11.push_back("QT_QPA_PLATFORM=xcb");
    x11.push_back("DISPLAY=" + display);
    Measure(("Xvfb " + display + ", shipped data").c_str(), shipped.File("quillpost"), x11, xvfb, runs);
    Measure(("Xvfb " + display + ", 10,000 products").c_str(), large.File("quillpost"), x11, xvfb, runs);
    ::kill(xvfb, SIGTERM);
    ::waitpid(xvfb, nullptr, 0);
    return 0;
}
