#pragma once

#include "history/HistoryRecords.h"

struct RunPair;
struct RunProduct;
struct SiteRecord;

// A run's pair as the history keeps it: the product's title and PAD link, the site's title,
// script address and method, and what became of the request. The run's owner thread
// gathers these as outcomes come and hands each batch to HistoryStore::RecordOutcomes.
//
// Plain functions of their arguments; any thread.
class RunHistory {
public:
    // A pair with no outcome (never ended, or never started) is "Cancelled" at `stoppedAt`,
    // as the run's report has it.
    static OutcomeRecord Outcome(const RunProduct& product, const SiteRecord& site, const RunPair& pair,
                                 HistoryTime stoppedAt = {});
};
