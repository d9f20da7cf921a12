#include "submit/RetryPlanSource.h"

#include "common/FileReplace.h"
#include "common/StatusWords.h"
#include "history/HistoryStore.h"
#include "submit/RunHistory.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <utility>

namespace fs = std::filesystem;

namespace {

using Pair = std::pair<std::string, std::string>;

bool Unsent(const ReportRow& row)
{
    return row.Outcome == Outcome::None;
}

// "run-20250102-030405-2.csv" -> ("20250102-030405", 2): the order in which they were written.
std::pair<std::string, int> Stamp(const std::string& name)
{
    const std::string stem = name.substr(4, name.size() - 8);
    const size_t dash = stem.find('-', 9);
    if (dash == std::string::npos) return {stem, 1};
    return {stem.substr(0, dash), std::atoi(stem.c_str() + dash + 1)};
}

} // namespace

RetryPlanSource RetryPlanSource::FromRows(const std::vector<ReportRow>& rows)
{
    RetryPlanSource source;
    source.Found = true;
    std::set<Pair> seen;
    for (const ReportRow& row : rows) {
        if (!seen.emplace(row.Product, row.Site).second) continue;
        ++source.Total;
        if (row.Outcome == Outcome::Ok) continue;
        source.Pairs.push_back(ReportPair{row.Product, row.Site});
        if (Unsent(row)) ++source.NotSent;
    }
    return source;
}

std::string RetryPlanSource::NewestReport(const std::string& filesFolder)
{
    std::string folder = filesFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    folder += RunReport::Folder;
    std::string newest;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() < 8 || !name.starts_with("run-") || !name.ends_with(".csv")) continue;
        if (newest.empty() || Stamp(fs::path(newest).filename().string()) < Stamp(name)) newest = it->path().string();
    }
    return newest;
}

RetryPlanSource RetryPlanSource::Find(const std::string& sessionReport, HistoryStore* history,
                                      const std::string& filesFolder)
{
    if (!sessionReport.empty()) return FromRows(RunReport::Read(sessionReport));
    RunSummary latest; // Id 0: the history holds no submit run (or there is none)
    if (history)
        if (const std::optional<RunSummary> found = history->LatestSubmitRun()) latest = *found;

    std::vector<ReportRow> killed;
    if (const std::string newest = NewestReport(filesFolder); !newest.empty()) {
        try {
            killed = RunReport::Read(newest);
        } catch (const FileError&) {
            killed.clear(); // a report that cannot be read names no run; the history still may
        }
    }
    const auto unsent = std::find_if(killed.begin(), killed.end(), Unsent);
    // A run's pairs without an outcome carry the time it started.
    if (unsent != killed.end() && (latest.Id == 0 || unsent->Time >= latest.Started)) {
        if (latest.Id != 0 && latest.End == RunEnd::Unfinished) {
            std::map<Pair, Outcome> kept;
            for (const OutcomeRecord& o : history->RunOutcomes(latest.Id))
                kept.emplace(Pair{o.Product, o.Site}, o.Outcome);
            for (ReportRow& row : killed)
                if (const auto it = kept.find({row.Product, row.Site}); Unsent(row) && it != kept.end())
                    row.Outcome = it->second;
        }
        return FromRows(killed);
    }
    if (latest.Id == 0) return {};
    return FromRows(RunHistory::Rows(history->RunOutcomes(latest.Id)));
}
