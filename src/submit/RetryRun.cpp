#include "submit/RetryRun.h"

#include "submit/RunHistory.h"
#include "submit/RunRecorder.h"
#include "submit/RunReport.h"
#include "submit/SendableProducts.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionRun.h"

#include <chrono>

RetryRun::RetryRun(const ListRows& products, const SiteTable& sites, SubmissionRun& run, Host& host)
    : products_(products), sites_(sites), run_(run), host_(host)
{}

void RetryRun::Send(const std::vector<RetryBatch>& batches)
{
    size_t next = 0;
    while (next < batches.size() && !cancelled_) {
        const bool over = SendBatch(batches[next]);
        ++next;
        if (!over) cancelled_ = true;
    }
    // The batches a Cancel kept from starting are in the report too.
    for (; next < batches.size(); ++next) NeverStarted(batches[next]);
}

void RetryRun::Cancel()
{
    cancelled_ = true;
    if (sending_) run_.Cancel();
}

bool RetryRun::SendBatch(const RetryBatch& batch)
{
    host_.BatchStarting(batch);
    if (cancelled_) {
        NeverStarted(batch);
        return false;
    }
    std::vector<RunProduct> products;
    for (const int row : batch.ProductRows) products.push_back(ProductAt(row));
    std::vector<bool> siteChecked(static_cast<size_t>(sites_.Count()), false);
    for (const int row : batch.SiteRows)
        if (row >= 0 && row < sites_.Count()) siteChecked[static_cast<size_t>(row)] = true;
    if (!run_.SubmitAll(std::move(products), siteChecked)) {
        NeverStarted(batch);
        return false;
    }
    sending_ = true;
    host_.WaitForRun(run_);
    sending_ = false;
    const int cancelledBefore = tally_.Cancelled;
    Collect(run_.Products(), run_.Pairs());
    return tally_.Cancelled == cancelledBefore;
}

void RetryRun::PairsOf(const RetryBatch& batch, std::vector<RunProduct>& products, std::vector<RunPair>& pairs) const
{
    for (const int row : batch.ProductRows) {
        for (const int site : batch.SiteRows) {
            RunPair pair;
            pair.Product = static_cast<int>(products.size());
            pair.SiteRow = site;
            pairs.push_back(pair);
        }
        products.push_back(ProductAt(row));
    }
}

RunProduct RetryRun::ProductAt(int row) const
{
    RunProduct product = SendableProducts::Product(products_, row);
    if (const auto found = versions_.find(product.PadLink); found != versions_.end()) product.Version = found->second;
    return product;
}

void RetryRun::NeverStarted(const RetryBatch& batch)
{
    std::vector<RunProduct> products;
    std::vector<RunPair> pairs;
    PairsOf(batch, products, pairs);
    Collect(products, pairs);
}

std::string RetryRun::Planned(const std::vector<RetryBatch>& batches, std::chrono::system_clock::time_point now) const
{
    std::vector<RunProduct> products;
    std::vector<RunPair> pairs;
    for (const RetryBatch& batch : batches) PairsOf(batch, products, pairs);
    return RunReport::Records(products, pairs, sites_, now, Outcome::None);
}

void RetryRun::Collect(const std::vector<RunProduct>& products, const std::vector<RunPair>& pairs)
{
    tally_.Add(pairs);
    const auto now = std::chrono::system_clock::now();
    for (const RunPair& pair : pairs) {
        if (pair.Ended()) continue;
        const RunProduct& product = products[static_cast<size_t>(pair.Product)];
        host_.PairCancelled(product.Title, sites_.At(pair.SiteRow).Title);
        if (RunRecorder* recorder = run_.Recorder())
            recorder->Outcome(RunHistory::Outcome(product, sites_.At(pair.SiteRow), pair, now));
    }
    records_ += RunReport::Records(products, pairs, sites_, now);
}
