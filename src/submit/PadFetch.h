#pragma once

#include "pad/PadRule.h"
#include "pad/PadSpecFile.h"
#include "pad/PadSummary.h"
#include "submit/TDownload.h"
#include "submit/WorkerSet.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Synchronize;

// From PAD: one GET of a PAD link on a worker thread (a "Validate PAD" download, so the same
// client, proxy and size limit as Validate PADs), read into a PadSummary. A reply that is not
// a whole 200 gives that one problem, named as Validate PADs names it. The rules are those
// Validate PADs uses: the program folder's pad_spec.xml when it can be used, read at each Start.
//
// Owned by one thread; `done` is called there, through Synchronize, at most once per Start.
// Start while a fetch is under way breaks the older one off first. Cancel breaks off at once
// and no `done` follows; StopAll and the destructor also wait for the worker, so nothing runs
// for a fetch whose owner is gone.
class PadFetch : public TDownloadOwner {
public:
    using WorkerFactory = std::function<std::unique_ptr<TDownload>(TDownloadOwner&)>;
    using DoneHandler = std::function<void(const PadSummary&)>;

    PadFetch(WorkerFactory factory, Synchronize& sync);
    ~PadFetch() override;

    // The program folder whose pad_spec.xml replaces the built-in rules (see PadSpecFile::RulesIn).
    // Unset: the built-in rules.
    void SetRulesFolder(std::string programFolder) { rulesFolder_ = std::move(programFolder); }

    void Start(const std::string& link, std::vector<std::string> categories, DoneHandler done);
    bool Busy() const { return current_ != nullptr; }
    void Cancel();
    // Cancel, then waits for the worker, serving its calls, for at most `timeout`.
    bool StopAll(std::chrono::milliseconds timeout);

    void DownloadConnected(TDownload& worker) override;
    void DownloadInvalidHost(TDownload& worker) override;
    void DownloadEnded(TDownload& worker, const std::string& word) override;

private:
    WorkerFactory factory_;
    Synchronize& sync_;
    WorkerSet workers_;
    TDownload* current_ = nullptr;      // the fetch whose end is awaited; broken-off ones are not
    const TDownload* ending_ = nullptr; // the worker whose last call is running now
    std::vector<std::string> categories_;
    std::string rulesFolder_;
    std::vector<PadRule> rules_;
    DoneHandler done_;
};
