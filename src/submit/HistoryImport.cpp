#include "submit/HistoryImport.h"

#include "common/FileReplace.h"
#include "history/HistoryStore.h"
#include "submit/RunReport.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

std::uint64_t HistoryImport::Digest(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

int HistoryImport::Import(HistoryStore& store, const std::string& path)
{
    return ImportBytes(store, FileReplace::ReadLimited(path, 64 * 1024 * 1024), path);
}

int HistoryImport::ImportBytes(HistoryStore& store, std::string_view bytes, const std::string& name)
{
    const std::vector<ReportRow> rows = RunReport::Parse(bytes, name);
    if (rows.empty()) return 0; // a run with no pair tells nothing
    RunSummary run;
    run.Kind = RunKind::Submit;
    run.End = RunEnd::Finished;
    std::vector<OutcomeRecord> outcomes;
    outcomes.reserve(rows.size());
    run.Started = run.Ended = rows.front().Time;
    for (const ReportRow& row : rows) {
        run.Started = std::min(run.Started, row.Time);
        run.Ended = std::max(run.Ended, row.Time);
        if (row.Outcome == Outcome::Cancelled && run.End == RunEnd::Finished) run.End = RunEnd::Cancelled;
        // The report of a run that was killed: its pairs without an outcome never happened.
        if (row.Outcome == Outcome::None) {
            run.End = RunEnd::Unfinished;
            continue;
        }
        outcomes.push_back(OutcomeRecord{row.Time,
                                         row.Product,
                                         row.PadLink,
                                         row.Site,
                                         row.ScriptUrl,
                                         row.Method,
                                         row.Outcome,
                                         row.HttpStatus,
                                         row.Ms,
                                         row.Error,
                                         0,
                                         row.Detail,
                                         {}});
    }
    if (outcomes.empty()) return 0;
    if (run.End == RunEnd::Unfinished) run.Ended = {};
    const std::string base = fs::path(name).filename().string();
    return store.ImportRun(Digest(bytes), base, run, outcomes) ? static_cast<int>(outcomes.size()) : AlreadyImported;
}

std::string HistoryImport::ImportFolder(HistoryStore& store, const std::string& programFolder)
{
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    folder += RunReport::Folder;
    std::vector<std::string> reports;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with("run-") && name.ends_with(".csv")) reports.push_back(it->path().string());
    }
    std::sort(reports.begin(), reports.end());
    std::string failures;
    for (const std::string& path : reports) {
        try {
            Import(store, path);
        } catch (const std::exception& e) {
            failures += e.what() + std::string("\n");
        }
    }
    return failures;
}
