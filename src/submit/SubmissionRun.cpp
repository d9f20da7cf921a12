#include "submit/SubmissionRun.h"

#include "common/PreparedSubmission.h"
#include "common/StatusWords.h"
#include "common/Synchronize.h"
#include "submit/RunHistory.h"
#include "submit/RunRecorder.h"
#include "submit/RunTally.h"
#include "submit/RunView.h"
#include "submit/SubmissionQuery.h"
#include "submit/WorkReason.h"

#include <algorithm>
#include <cstdint>

namespace {

std::string Counted(int position, int count, const std::string& title)
{
    return "(" + std::to_string(position) + " of " + std::to_string(count) + ")  " + title;
}

int Share(int maximum, int part, int whole)
{
    return whole <= 0 ? 0 : static_cast<int>(static_cast<std::int64_t>(maximum) * part / whole);
}

} // namespace

SubmissionRun::SubmissionRun(const SiteTable& sites, WorkerFactory factory, Synchronize& sync, RunView& view)
    : WorkerSet(std::move(factory), sync), sites_(sites), view_(view)
{}

void SubmissionRun::SetSpeed(int speed)
{
    speed_ = std::clamp(speed, 1, MaxSpeed);
}

std::string SubmissionRun::Summary() const
{
    return RunTally{successCount_, failureCount_, 0}.Summary();
}

bool SubmissionRun::SubmitAll(std::vector<RunProduct> products, const std::vector<bool>& siteChecked)
{
    if (running_) return false;
    products_ = std::move(products);
    siteRows_.clear();
    for (int row = 0; row < static_cast<int>(siteChecked.size()); ++row) {
        view_.SiteStatus(row, "");
        if (siteChecked[static_cast<size_t>(row)] && row < sites_.Count()) siteRows_.push_back(row);
    }
    if (products_.empty()) {
        view_.Message(CheckProductsText);
        return false;
    }
    if (siteRows_.empty()) {
        view_.Message(CheckSitesText);
        return false;
    }
    pairs_.clear();
    pairs_.reserve(products_.size() * siteRows_.size());
    for (int p = 0; p < static_cast<int>(products_.size()); ++p)
        for (int row : siteRows_) pairs_.push_back(RunPair{p, row, Outcome::None, 0, 0, {}, {}, {}, false});
    productCursor_ = 0;
    siteCursor_ = 0;
    successCount_ = 0;
    failureCount_ = 0;
    outstanding_ = 0;
    running_ = true;
    StartBatch();
    const int siteCount = static_cast<int>(siteRows_.size());
    view_.BarMaxima(siteCount,
                    static_cast<int>(
                        std::min<std::int64_t>(static_cast<std::int64_t>(products_.size()) * siteCount, INT32_MAX)));
    return true;
}

void SubmissionRun::StartBatch()
{
    const int productCount = static_cast<int>(products_.size());
    const int siteCount = static_cast<int>(siteRows_.size());
    if (!running_ || productCursor_ >= productCount) return;
    const RunProduct& product = products_[static_cast<size_t>(productCursor_)];
    view_.ProductLabel(Counted(productCursor_ + 1, productCount, product.Title));
    if (siteCursor_ >= siteCount) return;

    const int batchSize = std::min(speed_, siteCount - siteCursor_);
    for (int k = 0; k < batchSize; ++k) {
        const int row = siteRows_[static_cast<size_t>(siteCursor_)];
        view_.SiteStatus(row, "");
        const SiteRecord& site = sites_.At(row);
        if (prepared_) *prepared_ = PreparedSubmission{site.ScriptUrl, site.LinkField, product.PadLink};
        view_.SiteLabel(Counted(siteCursor_ + 1, siteCount, site.Title));

        const std::size_t pair =
            static_cast<size_t>(productCursor_) * siteRows_.size() + static_cast<size_t>(siteCursor_);
        ++outstanding_;
        lastOfBatch_ = pair;
        pairs_[pair].Started = true;
        Start(SubmissionRequest{site.ScriptUrl,
                                SubmissionQuery::Build(site, product.PadLink, product.Category, authorEmail_),
                                SubmissionRequest::MethodOf(site.Method), site.SuccessMarker},
              pair);
        ++siteCursor_;
    }
}

void SubmissionRun::OutcomeReport(std::size_t pairIndex)
{
    const int productCount = static_cast<int>(products_.size());
    const int siteCount = static_cast<int>(siteRows_.size());
    view_.CurrentBar(Share(siteCount, siteCursor_, siteCount));
    view_.TotalBar(Share(productCount * siteCount, productCursor_, productCount));
    if (pairIndex % siteRows_.size() == siteRows_.size() - 1) { // the product's last site
        view_.CurrentBar(0);
        siteCursor_ = 0;
        ++productCursor_;
    }
    if (productCursor_ >= productCount && outstanding_ == 0) {
        view_.CurrentBar(0);
        view_.TotalBar(0);
        running_ = false;
        view_.RunOver();
        return;
    }
    if (pairIndex == lastOfBatch_) StartBatch();
}

void SubmissionRun::Cancel()
{
    WorkerSet::Cancel();
    running_ = false;
    outstanding_ = 0;
}

void SubmissionRun::WorkConnected(TDownload& worker)
{
    view_.SiteStatus(PairOf(worker).SiteRow, StatusWords::Connected);
}

void SubmissionRun::WorkInvalidHost(TDownload& worker)
{
    view_.SiteStatus(PairOf(worker).SiteRow, StatusWords::Invalid);
}

void SubmissionRun::WorkEnded(TDownload& worker, const WorkResult& result)
{
    RunPair& pair = pairs_[static_cast<size_t>(worker.Tag)];
    view_.SiteStatus(pair.SiteRow, StatusWord(worker.Request, result.Outcome));
    if (result.Outcome == Outcome::Ok)
        ++successCount_;
    else
        ++failureCount_;
    --outstanding_;
    pair.Outcome = result.Outcome;
    pair.HttpStatus = result.ReplyCode;
    pair.Ms = result.ElapsedMs;
    pair.Error = result.Reason;
    pair.EndedAt = std::chrono::system_clock::now();
    pair.Why = WorkReason::Words(result, worker.TimeOut);
    if (recorder_)
        recorder_->Outcome(
            RunHistory::Outcome(products_[static_cast<size_t>(pair.Product)], sites_.At(pair.SiteRow), pair));
    view_.PairEnded(pair);
    OutcomeReport(static_cast<size_t>(worker.Tag));
}
