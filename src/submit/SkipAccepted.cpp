#include "submit/SkipAccepted.h"

#include "submit/SendableProducts.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionRun.h"

#include <map>

SkipAccepted SkipAccepted::Filter(const std::vector<RetryBatch>& batches, const ListRows& products,
                                  const SiteTable& sites, const TookFn& took)
{
    SkipAccepted result;
    std::map<std::string, std::set<std::string>> tookByLink; // asked once per link
    std::map<std::vector<int>, size_t> batchOf;
    for (const RetryBatch& batch : batches) {
        for (const int productRow : batch.ProductRows) {
            const std::string link = SendableProducts::Product(products, productRow).PadLink;
            auto known = tookByLink.find(link);
            if (known == tookByLink.end()) known = tookByLink.emplace(link, took(link)).first;
            std::vector<int> siteRows;
            for (const int siteRow : batch.SiteRows) {
                const bool inTable = siteRow >= 0 && siteRow < sites.Count();
                if (inTable && known->second.count(sites.At(siteRow).Title))
                    ++result.Skipped;
                else
                    siteRows.push_back(siteRow);
            }
            if (siteRows.empty()) continue;
            const auto [it, added] = batchOf.emplace(siteRows, result.Batches.size());
            if (added) result.Batches.push_back(RetryBatch{{}, siteRows});
            result.Batches[it->second].ProductRows.push_back(productRow);
        }
    }
    return result;
}
