#pragma once

#include "submit/RunPair.h"
#include "submit/SiteTable.h"
#include "submit/WorkerSet.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class RunRecorder;
class RunView;
class Synchronize;
struct PreparedSubmission;

// Submit All: every checked product to every checked site, one request each, in batches of
// `speed` workers. A batch never reaches into the next product; the next batch starts when
// the last-started worker of the current one reports, so more requests than the speed may
// be under way. Each report sets the bars, then moves the cursors.
//
// Owned by one thread (the windows' or the command line's), which makes every call; the
// workers' reports reach it through Synchronize. The run is over when every worker it
// started has reported, not before: then the view hears RunOver. Cancel breaks off every
// worker still under way and returns at once; none of them changes anything afterwards.
class SubmissionRun : public WorkerSet {
public:
    static constexpr const char* CheckProductsText = "Check products to submit !";
    static constexpr const char* CheckSitesText = "Check sites to submit !";
    static constexpr int MaxSpeed = 10;

    SubmissionRun(const SiteTable& sites, WorkerFactory factory, Synchronize& sync, RunView& view);

    // 1 to MaxSpeed; other values are brought into that range.
    void SetSpeed(int speed);
    int Speed() const { return speed_; }
    // Where each prepared request is recorded for the browser's form fill; may be null.
    void SetPrepared(PreparedSubmission* prepared) { prepared_ = prepared; }
    // Where each outcome is recorded as it comes, from the next outcome on; may be null.
    void SetRecorder(RunRecorder* recorder) { recorder_ = recorder; }
    RunRecorder* Recorder() const { return recorder_; }
    // The author's address, sent to the author's own sites that name an e-mail field.
    void SetAuthorEmail(std::string email) { authorEmail_ = std::move(email); }

    // Clears every site's Status, checks that something is to be sent (a message and false
    // when not), starts the first batch and sets the bars' maxima. `siteChecked` has one
    // flag per row of the site table's list.
    bool SubmitAll(std::vector<RunProduct> products, const std::vector<bool>& siteChecked);
    void Cancel() override;

    bool Running() const { return running_; }
    int SuccessCount() const { return successCount_; }
    int FailureCount() const { return failureCount_; }
    int ProductCursor() const { return productCursor_; }
    int SiteCursor() const { return siteCursor_; }
    // "Finished." CR "Success: n" LF "Failed: m".
    std::string Summary() const;
    // The last run's products and its pairs, product by product in site order: complete from
    // SubmitAll on, each pair's outcome filled in as it comes.
    const std::vector<RunProduct>& Products() const { return products_; }
    const std::vector<RunPair>& Pairs() const { return pairs_; }

    // The pair a worker of the run was started for.
    const RunPair& PairOf(const TDownload& worker) const { return pairs_[static_cast<size_t>(worker.Tag)]; }

private:
    void WorkConnected(TDownload& worker) override;
    void WorkInvalidHost(TDownload& worker) override;
    void WorkEnded(TDownload& worker, const WorkResult& result) override;
    void StartBatch();
    void OutcomeReport(std::size_t pairIndex);

    const SiteTable& sites_;
    RunView& view_;
    PreparedSubmission* prepared_ = nullptr;
    RunRecorder* recorder_ = nullptr;
    std::string authorEmail_;
    int speed_ = 1;

    std::vector<RunProduct> products_;
    std::vector<int> siteRows_;
    std::vector<RunPair> pairs_;
    int productCursor_ = 0;
    int siteCursor_ = 0;
    std::size_t lastOfBatch_ = 0; // the pair of the last worker the current batch started
    int successCount_ = 0;
    int failureCount_ = 0;
    int outstanding_ = 0; // workers of the current run that have not reported
    bool running_ = false;
};
