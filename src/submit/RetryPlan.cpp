#include "submit/RetryPlan.h"

#include "catalogue/ListRows.h"
#include "submit/RunReport.h"
#include "submit/SendableProducts.h"
#include "submit/SiteTable.h"

#include <map>
#include <set>

RetryPlan RetryPlan::Make(const std::vector<ReportPair>& pairs, const ListRows& products, const SiteTable& sites)
{
    std::map<std::string, std::vector<int>> productRows;
    for (int row = 0; row < products.Count(); ++row) productRows[products.Caption(row)].push_back(row);
    std::map<std::string, int> siteRow;
    for (int row = sites.Count() - 1; row >= 0; --row) siteRow[sites.At(row).Title] = row; // the first of a title

    RetryPlan plan;
    std::set<std::string> missingProducts, missingSites;
    std::set<int> withoutLink;            // rows the pairs name that have no PAD link to send
    std::map<int, std::set<int>> sitesOf; // product row -> site rows to resend
    for (const ReportPair& pair : pairs) {
        const auto product = productRows.find(pair.Product);
        const auto site = siteRow.find(pair.Site);
        if (product == productRows.end() && missingProducts.insert(pair.Product).second)
            plan.Warnings.push_back(
                Phrase("product \"%1\" is no longer in the catalogue: skipped", {Phrase::Text(pair.Product)}));
        if (site == siteRow.end() && missingSites.insert(pair.Site).second)
            plan.Warnings.push_back(
                Phrase("site \"%1\" is no longer a built-in site: skipped", {Phrase::Text(pair.Site)}));
        if (product == productRows.end() || site == siteRow.end()) continue;
        for (const int row : product->second) {
            if (SendableProducts::HasLink(products, row))
                sitesOf[row].insert(site->second);
            else
                withoutLink.insert(row);
        }
    }
    if (!withoutLink.empty())
        plan.Warnings.push_back(SendableProducts::SkippedText(static_cast<int>(withoutLink.size())));

    // Products in list order; a batch for each set of sites, in the order the sets first come.
    std::map<std::set<int>, size_t> batchOf;
    for (const auto& [row, siteSet] : sitesOf) {
        const auto [it, added] = batchOf.emplace(siteSet, plan.Batches.size());
        if (added) plan.Batches.push_back(RetryBatch{{}, std::vector<int>(siteSet.begin(), siteSet.end())});
        plan.Batches[it->second].ProductRows.push_back(row);
    }
    return plan;
}

int RetryPlan::PairCount() const
{
    int count = 0;
    for (const RetryBatch& batch : Batches) count += static_cast<int>(batch.ProductRows.size() * batch.SiteRows.size());
    return count;
}
