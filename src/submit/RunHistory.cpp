#include "submit/RunHistory.h"

#include "common/StatusWords.h"
#include "pad/PadValidation.h"
#include "submit/RunReport.h"
#include "submit/SiteTable.h"
#include "submit/SubmissionRun.h"
#include "submit/Work.h"
#include "submit/WorkReason.h"

#include <utility>

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
                         ended ? pair.Why : std::string(),
                         0,
                         ended ? pair.Error : std::string()};
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
    const bool ok = result.Outcome == WorkOutcome::Ok;
    const bool noName = result.ErrorKind == NetError::LookupFailed || result.ErrorKind == NetError::NoAddress;
    return PadTestRecord{std::chrono::system_clock::now(),
                         product,
                         padLink,
                         ok       ? StatusWords::Ok
                         : noName ? StatusWords::Invalid
                                  : StatusWords::Failed,
                         WorkReason::Words(result, timeoutMs),
                         WorkReason::Detail(result)};
}

ValidationRecord RunHistory::Validation(const std::string& product, const std::string& padLink,
                                        const std::vector<PadProblem>& problems)
{
    std::string lines;
    for (const PadProblem& p : problems) lines += (lines.empty() ? "" : "\n") + PadValidation::Line(p);
    return ValidationRecord{std::chrono::system_clock::now(), product, padLink,
                            problems.empty() ? StatusWords::Valid : StatusWords::NotValid, lines};
}
