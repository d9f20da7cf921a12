#pragma once

#include "submit/WorkerSet.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The version that each product's PAD file names (Program_Info/Program_Version), read at the
// start of a run so that the history knows which version each site was sent. Each link is
// downloaded once, at most Speed at once, by the download of Validate PADs (its size limit, and
// the proxy and certificate rules of the workers the factory makes). A file that cannot be
// downloaded or read leaves its version unknown: empty.
//
// Owned by one thread, which makes every call; the workers report through Synchronize.
class PadVersions : public WorkerSet {
public:
    PadVersions(WorkerFactory factory, Synchronize& sync);

    // How many downloads run at once, 1 to 10.
    void SetSpeed(int speed);
    // Reads the links not read yet (a link given twice is read once); `done` is called on the
    // owner thread once every one of them has ended, at once when none is left to read.
    void Read(const std::vector<std::string>& links, std::function<void()> done);
    bool Busy() const { return running_ > 0 || !waiting_.empty(); }
    // Breaks off the reads; the links not read stay unknown, and `done` is not called.
    void Cancel() override;

    // The version of `link`: empty when unknown (not read, or not readable).
    std::string Of(const std::string& link) const;
    const std::map<std::string, std::string>& Versions() const { return versions_; }

    // The version a PAD file's bytes name, blanks around it dropped; empty when the file cannot
    // be read or names none.
    static std::string VersionIn(std::string_view bytes);

    // Reads `links` and waits for them, serving `queue` (the command line's way).
    static std::map<std::string, std::string> ReadAll(const std::vector<std::string>& links, WorkerFactory factory,
                                                      class OwnerThreadQueue& queue, int speed);

protected:
    void WorkEnded(TDownload& worker, const WorkResult& result) override;

private:
    void StartWaiting();
    void EndIfIdle();

    int speed_ = 1;
    int running_ = 0;
    std::deque<std::string> waiting_;
    std::map<std::uint64_t, std::string> underWay_; // worker tag -> link
    std::uint64_t lastTag_ = 0;
    std::map<std::string, std::string> versions_; // every link asked for, read or not
    std::function<void()> done_;
};
