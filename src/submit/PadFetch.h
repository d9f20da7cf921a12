#pragma once

#include "pad/PadRule.h"
#include "pad/PadSpecFile.h"
#include "pad/PadSummary.h"
#include "submit/WorkerSet.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Synchronize;

// From PAD: one GET of a PAD link on a worker thread (a download as Validate PADs makes, so
// the same client, proxy and size limit), read into a PadSummary on that thread. A reply that is not
// a whole 200 gives that one problem, named as Validate PADs names it. The rules are those
// Validate PADs uses: the program folder's pad_spec.xml when it can be used, read at each Start.
//
// Owned by one thread; `done` is called there, through Synchronize, at most once per Start.
// Start while a fetch is under way breaks the older one off first. Cancel breaks off at once
// and no `done` follows; StopAll and the destructor also wait for the worker (see WorkerSet),
// so nothing runs for a fetch whose owner is gone.
class PadFetch : public WorkerSet {
public:
    using DoneHandler = std::function<void(const PadSummary&)>;
    // The file itself, for the PAD editor: its bytes when a whole 200 reply came, else
    // nothing and the reason in the words of Validate PADs.
    using FileHandler = std::function<void(std::optional<std::string> bytes, const std::string& why)>;

    PadFetch(WorkerFactory factory, Synchronize& sync);

    // The program folder whose pad_spec.xml replaces the built-in rules (see PadSpecFile::RulesIn).
    // Unset: the built-in rules.
    void SetRulesFolder(std::string programFolder) { rulesFolder_ = std::move(programFolder); }

    void Start(const std::string& link, std::vector<std::string> categories, DoneHandler done);
    // Downloads the file at `link` unchecked; otherwise as Start.
    void StartFile(const std::string& link, FileHandler done);
    bool Busy() const { return busy_; }
    void Cancel() override;

private:
    void WorkEnded(TDownload& worker, const WorkResult& result) override;

    bool busy_ = false; // a fetch's end is awaited; broken-off ones are cancelled, never awaited
    std::string rulesFolder_;
    DoneHandler done_;
    FileHandler fileDone_;
    std::string fileLink_;
};
