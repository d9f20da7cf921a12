#pragma once

#include "submit/RetryPlan.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

class ListRows;
class SiteTable;

// Leaves out of a run each pair whose site took that PAD link already (its latest outcome
// there was "Ok"), so that no site sees the same link twice: download sites treat a
// resubmission as spam. The pairs left are regrouped as a retry plan groups them (products
// whose sites are the same in one batch, in the products' order); a product with no site left
// drops out.
//
// Plain functions of their arguments; any thread.
struct SkipAccepted {
    // The titles of the sites that took a PAD link (HistoryStore::SitesThatTook).
    using TookFn = std::function<std::set<std::string>(const std::string& padLink)>;

    std::vector<RetryBatch> Batches;
    int Skipped = 0;

    static SkipAccepted Filter(const std::vector<RetryBatch>& batches, const ListRows& products, const SiteTable& sites,
                               const TookFn& took);
};
