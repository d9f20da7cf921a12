#pragma once

#include "common/Phrase.h"

#include <string>
#include <vector>

class ListRows;
class SiteTable;
struct ReportPair;

// One run of a retry: every product of ProductRows goes to every site of SiteRows.
struct RetryBatch {
    std::vector<int> ProductRows; // rows of the products list, top to bottom
    std::vector<int> SiteRows;    // rows of the site table, in table order
};

// How to resend exactly the pairs a report names (those that were not "Ok"): a run sends
// every checked product to every checked site, so the products whose sites to resend are the
// same go into one run, and the runs together hold each named pair once and nothing more.
// Products are found by title in the products list (every row of that title), sites by title
// in the site table; a pair whose product or site is gone is skipped, with a warning for
// each title not found. Products without a PAD link are never sent: one warning counts them.
struct RetryPlan {
    std::vector<RetryBatch> Batches;
    std::vector<Phrase> Warnings;

    static RetryPlan Make(const std::vector<ReportPair>& pairs, const ListRows& products, const SiteTable& sites);
    int PairCount() const;
};
