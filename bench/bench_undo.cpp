// The undo history at the size of a large catalogue: a products file of 100,000 rows is
// loaded, 10,000 rows are deleted one command each, and every delete is undone again; then
// Delete All and Load of the whole list, each undone; then the words of a validation run set
// on 10,000 rows in one step, and undone. Prints the time of each phase, the history's kept
// bytes and the growth of the resident set.
#include "BenchMeasure.h"
#include "catalogue/CatalogueFile.h"
#include "catalogue/ListHistory.h"
#include "catalogue/ListRows.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

} // namespace

int main()
{
    constexpr int Rows = 100000;
    constexpr int Deletes = 10000;
    const std::string path = "/tmp/bench_undo_" + std::to_string(::getpid()) + ".dat";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < Rows; ++i)
            out << "Product number " << i << "|http://www.example.invalid/pad/product" << i
                << ".xml|Utilities::File & Disk Management|\r\n";
    }
    ListRows list(4);
    CatalogueFile::ReadList(list, path);
    ListHistory history(list);
    const long rssStart = ProcStatus("VmRSS:");

    std::mt19937 rng(7);
    auto t0 = Clock::now();
    for (int i = 0; i < Deletes; ++i) {
        ListHistory::Step step(history, "Delete");
        list.Delete(static_cast<int>(rng() % static_cast<unsigned>(list.Count())));
    }
    auto t1 = Clock::now();
    const long rssDeleted = ProcStatus("VmRSS:");
    std::printf("%d deletes of a %d-row list: %.0f ms; history keeps %zu bytes of row texts, RSS +%ld KiB\n", Deletes,
                Rows, Ms(t0, t1), history.KeptBytes(), rssDeleted - rssStart);
    t0 = Clock::now();
    while (history.CanUndo()) history.Undo();
    t1 = Clock::now();
    std::printf("%d undos: %.0f ms (rows back: %d)\n", Deletes, Ms(t0, t1), list.Count());

    t0 = Clock::now();
    {
        ListHistory::Step step(history, "Delete All");
        list.Clear();
    }
    history.Undo();
    t1 = Clock::now();
    std::printf("Delete All of %d rows and its undo: %.0f ms\n", Rows, Ms(t0, t1));
    t0 = Clock::now();
    {
        ListHistory::Step step(history, "Load");
        CatalogueFile::ReadList(list, path);
    }
    history.Undo();
    history.Redo();
    t1 = Clock::now();
    std::printf("Load of %d rows, undo and redo: %.0f ms; RSS at the end +%ld KiB\n", Rows, Ms(t0, t1),
                ProcStatus("VmRSS:") - rssStart);

    // The words of one validation run, product by product, are one step: each change of it
    // is placed among the rows the step changed before.
    t0 = Clock::now();
    for (int i = 0; i < Deletes; ++i) {
        const ListRows::Step step(list, "Validate PADs", 7);
        list.SetText(i * (Rows / Deletes), 3, "Yes");
    }
    t1 = Clock::now();
    history.Undo();
    const auto t2 = Clock::now();
    std::printf("%d words of a validation run in one step: %.0f ms, its undo: %.0f ms\n", Deletes, Ms(t0, t1),
                Ms(t1, t2));
    ::unlink(path.c_str());
    return 0;
}
