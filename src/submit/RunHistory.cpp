#include "submit/RunHistory.h"

#include "submit/RunReport.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionRun.h"

OutcomeRecord RunHistory::Outcome(const RunProduct& product, const SiteRecord& site, const RunPair& pair,
                                  HistoryTime stoppedAt)
{
    const bool ended = !pair.Outcome.empty();
    return OutcomeRecord{ended ? pair.EndedAt : stoppedAt,
                         product.Title,
                         product.PadLink,
                         site.Title,
                         site.ScriptUrl,
                         site.Method,
                         ended ? pair.Outcome : std::string(RunReport::Cancelled),
                         ended ? pair.HttpStatus : 0,
                         ended ? pair.Ms : -1,
                         ended ? pair.Error : std::string(),
                         0};
}
