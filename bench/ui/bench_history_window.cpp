// Figures of the history window on a generated history of N outcomes (500 products x 100 sites
// x N / 50,000 runs, as bench_history makes it):
//   - opening: from the window's construction to its first paint with the grid filled
//     (the median of 5), and the lists it reads on the way;
//   - after it is up: counting each run's products and sites, and drawing the charts page.
// Usage: bench_history_window [outcomes] [--shots FOLDER]
//   --shots writes screenshots of the window's three pages over a small history of a few
//   products and sites instead (history-grid.png, history-runs.png, history-charts.png).
// Large histories, made straight in SQL and then opened in a process of their own (run the
// open under /usr/bin/time -v for the process's peak):
//   bench_history_window --make-pairs N FILE   N distinct products and N distinct sites, each
//                                              product tried at two sites (2N pairs)
//   bench_history_window --make-runs N FILE    N runs of three outcomes each
//   bench_history_window --open FILE [PNG]     the time from the window's construction to
//                                              its first paint, and the growth of the peak
//                                              (PNG: a picture of the window then)

#include "../BenchMeasure.h"
#include "common/StatusWords.h"
#include "history/HistoryStore.h"
#include "history/SqliteDb.h"
#include "history/ui/THistoryWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTabWidget>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int Products = 500, Sites = 100;
const char* const Words[] = {"Ok", "Ok", "Ok", "Ok", "Ok", "Ok", "X", "X", "Failed", "Invalid"};
const char* const Reasons[] = {"", "no answer in 10 s", "connection refused", "server answered 404", "reply cut short"};

OutcomeRecord Outcome(HistoryTime at, const std::string& product, const std::string& site, unsigned& seed,
                      unsigned deadBelow = 0)
{
    seed = seed * 1103515245u + 12345u;
    unsigned pick = (seed >> 16) % 10;
    if (deadBelow && pick < deadBelow) pick = 6 + pick % 4; // a site that seldom says "Ok"
    OutcomeRecord r;
    r.Time = at;
    r.Product = product;
    r.PadLink = "https://www.example-software.com/pad/" + product + ".xml";
    r.Site = site;
    r.ScriptUrl = "http://" + site + "/submit.php";
    r.Method = "GET";
    r.Outcome = StatusWords::ToOutcome(Words[pick]);
    r.HttpStatus = pick < 8 ? 200 : 0;
    r.Ms = 50 + static_cast<std::int64_t>((seed >> 4) % 900);
    r.Reason = Reasons[pick < 8 ? 0 : 1 + (seed >> 8) % 4];
    return r;
}

void Generate(const std::string& path, int runs, int products, int sites, bool deadSites)
{
    HistoryStore store(path);
    unsigned seed = 1;
    std::vector<OutcomeRecord> batch;
    for (int r = 0; r < runs; ++r) {
        const HistoryTime started(std::chrono::seconds(1'795'000'000LL + r * 86'400LL));
        const std::int64_t run = store.BeginRun(r % 4 == 3 ? RunKind::Retry : RunKind::Submit, 10, started);
        for (int p = 0; p < products; ++p) {
            for (int s = 0; s < sites; ++s) {
                const unsigned dead = deadSites ? (s == 2 ? 10 : s == 5 ? 8 : 0) : 0;
                batch.push_back(
                    Outcome(started + std::chrono::seconds(p * sites + s),
                            deadSites ? "Product " + std::string(1, char('A' + p)) : "Product " + std::to_string(p),
                            "download-site-" + std::to_string(s) + ".example", seed, dead));
            }
            if (batch.size() >= 5000) {
                store.RecordOutcomes(run, batch);
                batch.clear();
            }
        }
        store.RecordOutcomes(run, batch);
        batch.clear();
        store.EndRun(run, r == runs - 2 ? RunEnd::Cancelled : RunEnd::Finished, started + std::chrono::seconds(600));
    }
}

double Ms(QElapsedTimer& t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

int Shots(const std::string& folder, const std::string& path)
{
    Generate(path, 8, 6, 12, true);
    HistoryStore store(path);
    THistoryWindow window(store, {});
    window.resize(1100, 720);
    window.show();
    auto* grid = window.findChild<QTableView*>(QStringLiteral("HistoryGrid"));
    grid->setCurrentIndex(grid->model()->index(1, 2));
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("HistoryPages"));
    const char* names[] = {"history-grid.png", "history-runs.png", "history-charts.png"};
    for (int page = 0; page < 3; ++page) {
        pages->setCurrentIndex(page);
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
        window.grab().save(QString::fromStdString(folder + "/" + names[page]));
    }
    std::printf("screenshots written to %s\n", folder.c_str());
    return 0;
}

// The tables as the store writes them, filled by the database itself: the names, the runs,
// their outcomes, each pair's latest and the runs' counts.
void Fill(const std::string& path, long names, long runs, const std::string& outcomes)
{
    {
        HistoryStore create(path);
    }
    SqliteDb db(path, 5000);
    SqliteTransaction fill(db);
    const std::string n = std::to_string(names), r = std::to_string(runs);
    const std::string series = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ";
    db.Exec(series + n + ") INSERT INTO products(id, title) SELECT i, 'Product ' || i FROM n");
    db.Exec(series + n +
            ") INSERT INTO pad_links(id, url) SELECT i, "
            "'https://www.example-software.com/pad/product-' || i || '.xml' FROM n");
    db.Exec(series + n + ") INSERT INTO sites(id, title) SELECT i, 'download-site-' || i || '.example' FROM n");
    db.Exec(series + n +
            ") INSERT INTO scripts(id, address, method) SELECT i, "
            "'http://download-site-' || i || '.example/submit.php', 'GET' FROM n");
    db.Exec(series + r +
            ") INSERT INTO runs(id, kind, started, ended, speed, end_state) SELECT i, "
            "CASE WHEN i % 4 = 3 THEN 2 ELSE 1 END, 1600000000 + i * 3600, 1600000000 + i * 3600 + 600, "
            "10, 1 FROM n");
    db.Exec(outcomes);
    db.Exec("INSERT OR REPLACE INTO latest_pairs(product, site, outcome, run, pad_link, script, word, time, "
            "http_status, ms, reason) SELECT product, site, id, run, pad_link, script, word, time, http_status, ms, "
            "reason FROM outcomes ORDER BY id");
    db.Exec("UPDATE runs SET ok = c.ok, x = c.x, failed = c.failed, invalid = c.invalid, first_outcome = c.first, "
            "last_outcome = c.last FROM (SELECT run, SUM(word = 1) AS ok, SUM(word = 2) AS x, SUM(word = 3) AS failed, "
            "SUM(word = 4) AS invalid, MIN(id) AS first, MAX(id) AS last FROM outcomes GROUP BY run) AS c "
            "WHERE runs.id = c.run");
    fill.Commit();
}

// Product i at sites i and (7i mod N) + 1, all in one run.
void MakePairs(const std::string& path, long n)
{
    const std::string count = std::to_string(n);
    Fill(path, n, 1,
         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + count +
             "), k(j) AS (VALUES (0), (1)) INSERT INTO outcomes(run, product, pad_link, site, script, word, time, "
             "http_status, ms, reason) SELECT 1, i, i, CASE j WHEN 0 THEN i ELSE (7 * i) % " +
             count +
             " + 1 END, i, 1 + (i * 31 + j) % 4, 1600003600 + i, 200, 120 + i % 700, 0 FROM n, k "
             "ORDER BY i, j");
}

// Run i sends products i mod 500 and i mod 500 + 1 to sites of their own.
void MakeRuns(const std::string& path, long n)
{
    Fill(path, 501, n,
         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(n) +
             "), k(j) AS (VALUES (0), (1), (2)) INSERT INTO outcomes(run, product, pad_link, site, script, word, "
             "time, http_status, ms, reason) SELECT i, i % 500 + 1 + j / 2, i % 500 + 1, (i + j) % 100 + 1, 1, "
             "1 + (i + j) % 4, 1600000000 + i * 3600 + j, 200, 300, 0 FROM n, k ORDER BY i, j");
}

// Opens the window over the history at `path` and prints how long it took to its first paint
// and how much the process's peak grew meanwhile.
int Open(const std::string& path, const char* picture)
{
    HistoryStore store(path);
    const long before = ProcStatus("VmHWM:");
    QElapsedTimer timer;
    timer.start();
    THistoryWindow window(store, {});
    window.resize(1100, 720);
    window.show();
    window.repaint();
    const double ms = Ms(timer);
    if (picture) window.grab().save(QString::fromLocal8Bit(picture));
    std::printf("window open, construction to first paint: %.0f ms; peak %ld MB before, %ld MB after (+%ld MB)\n", ms,
                before / 1024, ProcStatus("VmHWM:") / 1024, (ProcStatus("VmHWM:") - before) / 1024);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--make-pairs") {
        MakePairs(argv[3], std::atol(argv[2]));
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--make-runs") {
        MakeRuns(argv[3], std::atol(argv[2]));
        return 0;
    }
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--open")
        return Open(argv[2], argc == 4 ? argv[3] : nullptr);
    long total = 1'000'000;
    std::string shots;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--shots" && i + 1 < argc)
            shots = argv[++i];
        else
            total = std::atol(argv[i]);
    }
    char folder[] = "/tmp/quillpost-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string path = std::string(folder) + "/history.sqlite";
    if (!shots.empty()) {
        const int rc = Shots(shots, path);
        std::filesystem::remove_all(folder);
        return rc;
    }

    const int runs = static_cast<int>(std::max(1L, total / (Products * Sites)));
    QElapsedTimer timer;
    timer.start();
    Generate(path, runs, Products, Sites, false);
    std::printf("generated %ld outcomes (%d runs of %d products x %d sites) in %.0f ms\n",
                static_cast<long>(runs) * Products * Sites, runs, Products, Sites, Ms(timer));

    HistoryStore store(path);
    std::vector<double> opens;
    for (int i = 0; i < 5; ++i) {
        timer.restart();
        THistoryWindow window(store, {});
        window.show();
        window.repaint(); // the first paint, grid included
        opens.push_back(Ms(timer));
        if (i == 4) {
            const auto cells = window.Grid().CellCount();
            timer.restart();
            // The runs page shown: its rows' products and sites counted, a run per event.
            auto* pages = window.findChild<QTabWidget*>(QStringLiteral("HistoryPages"));
            pages->setCurrentIndex(1);
            window.repaint();
            const QAbstractItemModel* runs = window.findChild<QTableView*>(QStringLiteral("RunsList"))->model();
            while (runs->index(0, 2).data().toString().isEmpty() && timer.elapsed() < 60'000)
                QApplication::processEvents();
            for (int i = 0; i < 100; ++i) QApplication::processEvents();
            std::printf("grid: %ld cells; runs page shown and its rows' products and sites counted: %.0f ms\n",
                        static_cast<long>(cells), Ms(timer));
            timer.restart();
            window.findChild<QTabWidget*>(QStringLiteral("HistoryPages"))->setCurrentIndex(2);
            window.repaint();
            std::printf("charts page drawn: %.0f ms\n", Ms(timer));
        }
    }
    std::sort(opens.begin(), opens.end());
    std::printf("window open, construction to first paint with the grid filled: median %.0f ms (min %.0f, max %.0f)"
                " of 5\n",
                opens[2], opens[0], opens[4]);
    std::filesystem::remove_all(folder);
    return 0;
}
