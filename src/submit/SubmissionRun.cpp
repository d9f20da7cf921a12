#include "submit/SubmissionRun.h"

#include "common/PreparedSubmission.h"
#include "common/StatusWords.h"
#include "common/Synchronize.h"
#include "submit/RunTally.h"
#include "submit/RunView.h"
#include "submit/SubmissionQuery.h"

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
    : sites_(sites), factory_(std::move(factory)), sync_(sync), view_(view)
{}

SubmissionRun::~SubmissionRun()
{
    // No worker may outlive the run it reports to; give them as long as they need.
    while (!StopAll(std::chrono::seconds(1))) {
    }
}

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
    workers_.Reap();
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
        for (int row : siteRows_) pairs_.push_back(RunPair{p, row, {}, 0, 0, {}, {}});
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

    currentBatchSize_ = std::min(speed_, siteCount - siteCursor_);
    for (int k = 0; k < currentBatchSize_; ++k) {
        const int row = siteRows_[static_cast<size_t>(siteCursor_)];
        view_.SiteStatus(row, "");
        const SiteRecord& site = sites_.At(row);
        if (prepared_) *prepared_ = PreparedSubmission{site.ScriptUrl, site.LinkField, product.PadLink};
        view_.SiteLabel(Counted(siteCursor_ + 1, siteCount, site.Title));

        std::unique_ptr<TDownload> worker = factory_(*this);
        worker->Mode = TDownload::SubmitAuto;
        worker->RowIndex = row;
        worker->Slot = k;
        worker->SiteOrdinal = siteCursor_;
        worker->ProductOrdinal = productCursor_;
        worker->BatchSize = currentBatchSize_;
        worker->SiteTotal = siteCount;
        worker->InRun = true;
        worker->Active = true;
        worker->ProductTitle = product.Title;
        worker->SiteTitle = site.Title;
        worker->PadLink = product.PadLink;
        worker->Url = site.ScriptUrl;
        worker->Query = SubmissionQuery::Build(site, product.PadLink, product.Category, authorEmail_);
        worker->Method = site.Method;
        worker->SuccessMarker = site.SuccessMarker;
        ++outstanding_;
        workers_.Start(std::move(worker));
        ++siteCursor_;
    }
}

void SubmissionRun::OutcomeReport(const TDownload& worker)
{
    const int productCount = static_cast<int>(products_.size());
    const int siteCount = static_cast<int>(siteRows_.size());
    view_.CurrentBar(Share(siteCount, siteCursor_, siteCount));
    view_.TotalBar(Share(productCount * siteCount, productCursor_, productCount));
    if (worker.SiteOrdinal == worker.SiteTotal - 1) {
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
    if (worker.Slot == worker.BatchSize - 1) StartBatch();
}

void SubmissionRun::Cancel()
{
    workers_.TerminateAll();
    running_ = false;
    outstanding_ = 0;
}

void SubmissionRun::DownloadConnected(TDownload& worker)
{
    if (!worker.Terminated()) view_.SiteStatus(worker.RowIndex, StatusWords::Connected);
}

void SubmissionRun::DownloadInvalidHost(TDownload& worker)
{
    if (!worker.Terminated()) view_.SiteStatus(worker.RowIndex, StatusWords::Invalid);
}

void SubmissionRun::DownloadEnded(TDownload& worker, const std::string& word)
{
    workers_.Reap(&worker); // those that ended before; this one's thread is still in its last call
    if (worker.Terminated() || !worker.InRun) return;
    view_.SiteStatus(worker.RowIndex, word);
    if (word == StatusWords::Ok)
        ++successCount_;
    else
        ++failureCount_;
    --outstanding_;
    const size_t index =
        static_cast<size_t>(worker.ProductOrdinal) * siteRows_.size() + static_cast<size_t>(worker.SiteOrdinal);
    if (index < pairs_.size()) {
        RunPair& pair = pairs_[index];
        pair.Outcome = word;
        pair.HttpStatus = worker.ReplyCode;
        pair.Ms = worker.ElapsedMs;
        pair.Error = worker.ErrorText;
        pair.EndedAt = std::chrono::system_clock::now();
        view_.PairEnded(pair);
    }
    OutcomeReport(worker);
}

bool SubmissionRun::StopAll(std::chrono::milliseconds timeout)
{
    Cancel();
    return workers_.StopAll(sync_, timeout);
}
