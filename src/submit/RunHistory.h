#pragma once

#include "history/HistoryRecords.h"

#include <string>
#include <vector>

struct PadProblem;
struct ReportRow;
struct RunPair;
struct RunProduct;
struct SiteRecord;
struct WorkResult;

// A run's pair as the history keeps it: the product's title and PAD link, the site's title,
// script address and method, and what became of the request. The run's owner thread
// gathers these as outcomes come and hands each batch to HistoryStore::RecordOutcomes.
//
// Plain functions of their arguments; any thread.
class RunHistory {
public:
    // A pair with no outcome (never ended, or never started) is Cancelled at `stoppedAt`,
    // as the run's report has it.
    static OutcomeRecord Outcome(const RunProduct& product, const SiteRecord& site, const RunPair& pair,
                                 HistoryTime stoppedAt = {});
    // A recorded run's outcomes as its report's rows, in the run's order.
    static std::vector<ReportRow> Rows(const std::vector<OutcomeRecord>& outcomes);
    // A PAD test: Ok when the server answered, Invalid when its name has no address, Failed
    // otherwise; the reason in the user's words (WorkReason).
    static PadTestRecord Test(const std::string& product, const std::string& padLink, const WorkResult& result,
                              int timeoutMs);
    // A validation: "Yes" without problems, else "No" and its problems one a line.
    static ValidationRecord Validation(const std::string& product, const std::string& padLink,
                                       const std::vector<PadProblem>& problems);
};
