// Figures of Validate PADs: real workers, real sockets, and a server of its own on 127.0.0.1
// in a child process (so its work is not counted as ours) that answers every GET at once with
// a valid PAD file of about 4 KB naming the address it was asked for.
//   N products (1,000 by default) validated at speed 10, then at speed 1: wall time, products
//   per second, CPU time of this process, peak threads and peak resident memory, and how many
//   came out "Yes" (all should).
// Usage: bench_validate [products]

#include "BenchMeasure.h"
#include "BenchServer.h"
#include "catalogue/ListColumns.h"
#include "catalogue/ListRows.h"
#include "common/OwnerThreadQueue.h"
#include "common/StatusWords.h"
#include "submit/PadValidator.h"
#include "submit/TDownload.h"

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const char* const Category = "Utilities::File & Disk Management";

// --- what the server answers ----------------------------------------------------------------

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

// Answers a GET with the PAD file of the path asked for.
std::string PadReply(const std::string& request, int port)
{
    const size_t from = request.find(' ') + 1;
    return "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" +
           PadFile("http://127.0.0.1:" + std::to_string(port) + request.substr(from, request.find(' ', from) - from));
}

// --- measuring ------------------------------------------------------------------------------

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
    const ServerProcess server = StartServer(PadReply);
    std::printf("Validate PADs: %d products, each PAD file (%zu bytes) served at once by a local server\n", products,
                PadFile("http://127.0.0.1:" + std::to_string(server.port) + "/pad/bench_1.xml").size());
    for (int speed : {10, 1}) Validate(server, products, speed);
    StopServer(server);
    return 0;
}
