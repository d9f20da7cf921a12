#pragma once

// What the benchmarks measure themselves with: CPU seconds from getrusage and numbers of
// /proc/self/status.

#include <sys/resource.h>
#include <sys/time.h>

#include <cstring>
#include <fstream>
#include <string>

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
