#pragma once

#include "submit/RetryPlan.h"
#include "submit/RunTally.h"

#include <chrono>
#include <map>
#include <string>
#include <vector>

class ListRows;
class SiteTable;
class SubmissionRun;
struct RunPair;
struct RunProduct;

// Sends batches of products and sites one after another through one SubmissionRun: the
// batches of a retry plan in their order, or the command line's single batch. Each batch
// sends exactly its products (rows of the products list) to exactly its sites (rows of the
// site table). A Cancel stops the whole of it: the batch under way is broken off, and no
// further batch starts. Every pair of every batch ends up in one report's records, in batch
// order; a pair that never got an outcome (cancelled under way, or its batch never started)
// is "Cancelled", and so it is recorded in the run's recorder (SubmissionRun::Recorder), if
// one is set. The tally counts all batches together.
//
// Owned by the run's owner thread, which makes every call; the host's calls come on it too.
class RetryRun {
public:
    // What the window or the command line does around each batch.
    class Host {
    public:
        virtual ~Host() = default;
        // Before a batch starts (the window checks exactly its rows; the command line
        // serves a Ctrl+C that came meanwhile, which may Cancel).
        virtual void BatchStarting(const RetryBatch& batch) { (void)batch; }
        // The run has started on a batch: returns when it is over or was cancelled.
        virtual void WaitForRun(SubmissionRun& run) = 0;
        // A pair that got no outcome, once its batch is over or was never started.
        virtual void PairCancelled(const std::string& product, const std::string& site)
        {
            (void)product;
            (void)site;
        }
    };

    RetryRun(const ListRows& products, const SiteTable& sites, SubmissionRun& run, Host& host);

    // Pairs left out before the run (SkipAccepted), for the tally.
    void SetSkipped(int count) { tally_.Skipped = count; }
    // The version each PAD link's file named at the start of the run (PadVersions): the
    // history records it with each outcome. A link not in it goes with its version unknown.
    void SetVersions(std::map<std::string, std::string> versions) { versions_ = std::move(versions); }
    // Runs `batches` in order, until the last is over or one is cancelled.
    void Send(const std::vector<RetryBatch>& batches);
    // The batch under way is broken off and no further one starts.
    void Cancel();

    // Some pair was cancelled, or a batch never started.
    bool Cancelled() const { return cancelled_; }
    const RunTally& Tally() const { return tally_; }
    // The report's records of every batch, without the header.
    const std::string& Records() const { return records_; }
    // The records of every pair of `batches` as a report written at the start has them: no
    // outcome (Outcome::None, an empty cell) at `now`.
    std::string Planned(const std::vector<RetryBatch>& batches, std::chrono::system_clock::time_point now) const;

private:
    // False when the batch did not end by itself (cancelled, or never started).
    bool SendBatch(const RetryBatch& batch);
    void NeverStarted(const RetryBatch& batch);
    // Every pair of `batch`, none with an outcome.
    void PairsOf(const RetryBatch& batch, std::vector<RunProduct>& products, std::vector<RunPair>& pairs) const;
    void Collect(const std::vector<RunProduct>& products, const std::vector<RunPair>& pairs);
    // The product of `row` as the run sends it, with its version.
    RunProduct ProductAt(int row) const;

    const ListRows& products_;
    const SiteTable& sites_;
    SubmissionRun& run_;
    Host& host_;
    bool cancelled_ = false;
    bool sending_ = false;
    RunTally tally_;
    std::string records_;
    std::map<std::string, std::string> versions_;
};
