#pragma once

// What the benchmarks measure themselves with: CPU seconds from getrusage and numbers of
// /proc/self/status, and a sampler of the peaks of the latter.

#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// A folder under the temporary folder named after `prefix`, removed with everything in it at
// the end.
class BenchFolder {
public:
    explicit BenchFolder(const std::string& prefix)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
        path_ = pattern;
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The folder of the running benchmark, ending in '/': the program and the command line are
// built beside it.
inline std::string BinFolder()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string exe = n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string("./x");
    return exe.substr(0, exe.find_last_of('/') + 1);
}

// A "Name: value" line of /usr/bin/time -v's output; empty when missing.
inline std::string TimeField(const std::string& text, const std::string& name)
{
    const size_t at = text.find(name + ": ");
    if (at == std::string::npos) return {};
    const size_t start = at + name.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

// One run of another program: its wall time, exit code, /usr/bin/time -v's report (empty
// when there is no /usr/bin/time) and its resource use as wait4 gives it.
struct TimedRun {
    double wall = 0;
    int exitCode = -1;
    std::string timeOutput;
    rusage usage{};
};

// Runs `args` with stdout and stderr to /dev/null, under /usr/bin/time -v when it is there
// (its report goes through `timeFile`).
inline TimedRun RunTimed(std::vector<std::string> args, const std::string& timeFile)
{
    const bool timed = ::access("/usr/bin/time", X_OK) == 0;
    if (timed) args.insert(args.begin(), {"/usr/bin/time", "-v", "-o", timeFile});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    TimedRun run;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::wait4(pid, &status, 0, &run.usage);
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (timed) {
        std::ifstream in(timeFile);
        std::stringstream text;
        text << in.rdbuf();
        run.timeOutput = text.str();
    }
    return run;
}

inline double Seconds(const timeval& tv)
{
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

// User and system seconds of `who` (RUSAGE_THREAD, RUSAGE_CHILDREN, RUSAGE_SELF).
inline double CpuSeconds(int who)
{
    rusage ru{};
    getrusage(who, &ru);
    return Seconds(ru.ru_utime) + Seconds(ru.ru_stime);
}

inline double ThreadCpu()
{
    return CpuSeconds(RUSAGE_THREAD);
}

inline double ChildrenCpu()
{
    return CpuSeconds(RUSAGE_CHILDREN);
}

// A number field of /proc/self/status, named with its colon ("Threads:", "VmRSS:" in KiB);
// -1 when missing.
inline long ProcStatus(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, n, field) == 0) return std::stol(line.substr(n));
    return -1;
}

inline double ClockSeconds(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Reads /proc/self/status every millisecond on a thread of its own: the peaks of "Threads:"
// (this thread included) and of "VmRSS:". Its own CPU time can be read while it runs.
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
    {
        pthread_getcpuclockid(thread_.native_handle(), &clock_);
    }
    ~Sampler() { Stop(); }

    double CpuSeconds() const { return ClockSeconds(clock_); }
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
    clockid_t clock_{};
    std::thread thread_;
};
