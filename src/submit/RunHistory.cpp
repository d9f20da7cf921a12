#include "submit/RunHistory.h"

#include "pad/PadValidation.h"
#include "submit/RunPair.h"
#include "submit/RunReport.h"
#include "submit/SiteTable.h"
#include "submit/Work.h"
#include "submit/WorkReason.h"

#include <utility>

OutcomeRecord RunHistory::Outcome(const RunProduct& product, const SiteRecord& site, const RunPair& pair,
                                  HistoryTime stoppedAt)
{
    const bool ended = pair.Ended();
    return OutcomeRecord{ended ? pair.EndedAt : stoppedAt,
                         product.Title,
                         product.PadLink,
                         site.Title,
                         site.ScriptUrl,
                         site.Method,
                         ended ? pair.Outcome : ::Outcome::Cancelled,
                         ended ? pair.HttpStatus : 0,
                         ended ? pair.Ms : -1,
                         ended ? pair.Why : std::string(),
                         0,
                         ended ? pair.Error : std::string(),
                         product.Version};
}

std::vector<ReportRow> RunHistory::Rows(const std::vector<OutcomeRecord>& outcomes)
{
    std::vector<ReportRow> rows;
    rows.reserve(outcomes.size());
    for (const OutcomeRecord& o : outcomes)
        rows.push_back(ReportRow{o.Time, o.Product, o.PadLink, o.Site, o.ScriptUrl, o.Method, o.Outcome, o.HttpStatus,
                                 o.Ms, o.Reason, o.Detail});
    return rows;
}

PadTestRecord RunHistory::Test(const std::string& product, const std::string& padLink, const WorkResult& result,
                               int timeoutMs)
{
    const bool ok = result.Outcome == ::Outcome::Ok;
    const bool noName = result.ErrorKind == NetError::LookupFailed || result.ErrorKind == NetError::NoAddress;
    return PadTestRecord{std::chrono::system_clock::now(),
                         product,
                         padLink,
                         ok       ? ::Outcome::Ok
                         : noName ? ::Outcome::Invalid
                                  : ::Outcome::Failed,
                         WorkReason::Words(result, timeoutMs),
                         WorkReason::Detail(result),
                         {}};
}

ValidationRecord RunHistory::Validation(const std::string& product, const std::string& padLink,
                                        const std::vector<PadProblem>& problems)
{
    std::string lines;
    for (const PadProblem& p : problems) lines += (lines.empty() ? "" : "\n") + PadValidation::Line(p);
    return ValidationRecord{std::chrono::system_clock::now(), product, padLink, problems.empty(), lines, {}};
}
