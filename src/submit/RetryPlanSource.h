#pragma once

#include "submit/RunReport.h"

#include <string>
#include <vector>

class HistoryStore;

// Which pairs Retry Failed sends again: those of the last run whose outcome was not "Ok",
// each once, in the run's order, and among them how many the run never sent.
//
// The last run is the one whose report this session wrote. After a restart it is the latest
// Submit All or Retry Failed: the history's latest such run, or a run that was killed. A run's
// report is written when the run starts, every pair in it without an outcome, and written
// over when the run ends; a report that still holds pairs without an outcome is a run that
// never ended. When it is at least as new as the history's latest run it is the last run,
// and the outcomes the history kept of it (an unfinished run) count; its other pairs were
// never sent, and they are sent again with those that failed.
//
// Plain functions of their arguments; the owner thread of `history`.
struct RetryPlanSource {
    bool Found = false; // there was a last run
    std::vector<ReportPair> Pairs;
    int Total = 0;   // the last run's pairs, each once
    int NotSent = 0; // of Pairs, those without an outcome

    // From a run's report rows.
    static RetryPlanSource FromRows(const std::vector<ReportRow>& rows);
    // As Retry Failed finds it: `sessionReport` (empty before this session's first run), the
    // history (null when there is none), and the reports/ of `filesFolder`. Throws FileError
    // when this session's report cannot be read, and what the history throws.
    static RetryPlanSource Find(const std::string& sessionReport, HistoryStore* history,
                                const std::string& filesFolder);
    // The newest run-*.csv of the reports/ of `filesFolder`; empty when there is none.
    static std::string NewestReport(const std::string& filesFolder);
};
