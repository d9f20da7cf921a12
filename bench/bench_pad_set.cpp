// Figures of `quillpost-cli pad set` on a PAD file of nearly 1 MiB (the largest the program
// takes, less 1 KiB so that the fields the set puts in still fit): a release script's call
// (version, download link, sizes from a release file, date), run as a whole process under
// /usr/bin/time -v: wall time, CPU time, peak resident memory. Beside it, `pad show` of one
// field (one read of the file) and `cp` of the same file. The file: CR LF lines, the fields of
// the built-in rules, and the author's own elements making up the size. Each set must exit 0
// and keep the author's elements byte for byte (checked).
// Usage: bench_pad_set [runs]   (5 by default)

#include "BenchMeasure.h"

#include "support/PadFiles.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Figures {
    double wall = 0;
    int exitCode = -1;
    double user = 0, system = 0;
    long maxRssKiB = 0;
};

// One run of `args`: the CPU seconds and peak from /usr/bin/time -v when it is there, else
// the peak from wait4.
Figures Run(const std::vector<std::string>& args, const std::string& timeFile)
{
    const TimedRun run = RunTimed(args, timeFile);
    Figures f{run.wall, run.exitCode};
    f.maxRssKiB = run.usage.ru_maxrss;
    if (!run.timeOutput.empty()) {
        f.user = std::atof(TimeField(run.timeOutput, "User time (seconds)").c_str());
        f.system = std::atof(TimeField(run.timeOutput, "System time (seconds)").c_str());
        f.maxRssKiB = std::atol(TimeField(run.timeOutput, "Maximum resident set size (kbytes)").c_str());
    }
    return f;
}

// ValidPad's file with CR LF lines and, after Permissions, the author's own notes up to `size` bytes.
std::string LargePad(size_t size)
{
    std::string pad = ValidPad("http://tidy.example/pad.xml");
    std::string crlf;
    for (const char c : pad) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string end = "</XML_DIZ_INFO>\r\n";
    crlf.erase(crlf.rfind(end));
    crlf += "\r\n";
    for (int i = 0; crlf.size() + end.size() + 120 < size; ++i)
        crlf += "  <My_Note_" + std::to_string(i) +
                ">A note of the author's own, kept as it is: " + std::string(40, 'n') + "</My_Note_" +
                std::to_string(i) + ">\r\n";
    return crlf + end;
}

void Print(const char* label, const std::vector<Figures>& runs)
{
    std::vector<double> walls;
    double user = 0, system = 0;
    long rss = 0;
    bool ok = true;
    for (const Figures& f : runs) {
        walls.push_back(f.wall);
        user += f.user;
        system += f.system;
        rss = std::max(rss, f.maxRssKiB);
        ok = ok && f.exitCode == 0;
    }
    std::sort(walls.begin(), walls.end());
    std::printf("%-34s %s  wall median %.3f s (min %.3f, max %.3f), user %.3f s, system %.3f s a run, "
                "peak resident %ld KiB\n",
                label, ok ? "exit 0" : "FAILED", walls[walls.size() / 2], walls.front(), walls.back(),
                user / static_cast<double>(runs.size()), system / static_cast<double>(runs.size()), rss);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string cli = BinFolder() + "quillpost-cli";
    TempDir dir;
    dir.Write("data/categories.dat", "System Utilities::Text/Document Editors\r\n");
    // Room for what the set adds: a file over 1 MiB is refused.
    const std::string original = LargePad(1024 * 1024 - 1024);
    const std::string release = dir.Write("tidy-2.5.zip", std::string(3 * 1024 * 1024 + 12345, 'z'));
    const std::string timeFile = dir.File("time.txt");
    std::printf("pad set on a PAD file of %zu bytes (%zu CR LF lines), %d runs each\n", original.size(),
                static_cast<size_t>(std::count(original.begin(), original.end(), '\n')), runs);

    std::vector<Figures> set, show, copy;
    bool onlyChanged = true;
    for (int i = 0; i < runs; ++i) {
        const std::string file = dir.Write("pad.xml", original);
        set.push_back(Run({cli, "pad", "set", file, "Program_Info/Program_Version=2.5",
                           "Web_Info/Download_URLs/Primary_Download_URL=http://tidy.example/tidy-2.5.zip",
                           "--sizes-from", release, "--date", "2026-04-01"},
                          timeFile));
        const std::string after = dir.Read("pad.xml");
        // The author's notes after the changed fields are untouched, byte for byte.
        onlyChanged = onlyChanged && after.size() > original.size() &&
                      after.compare(after.size() - 900000, 900000, original, original.size() - 900000, 900000) == 0;
        show.push_back(Run({cli, "pad", "show", file, "Program_Info/Program_Version"}, timeFile));
        copy.push_back(Run({"/bin/cp", file, dir.File("copy.xml")}, timeFile));
    }
    Print("pad set (2 fields, sizes, date)", set);
    Print("pad show (1 field)", show);
    Print("cp of the same file", copy);
    std::printf("every byte after the changed fields kept: %s\n", onlyChanged ? "yes" : "NO");
    return onlyChanged ? 0 : 1;
}
