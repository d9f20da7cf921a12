#include "cli/HistoryCommand.h"

#include "cli/CliEnvironment.h"
#include "cli/CliHistory.h"
#include "cli/CliOptions.h"
#include "common/CsvText.h"
#include "common/FileLocations.h"
#include "common/FileReplace.h"
#include "common/StatusWords.h"
#include "common/TerminalText.h"
#include "history/HistoryFile.h"
#include "history/HistoryStore.h"
#include "submit/HistoryImport.h"
#include "submit/RunReport.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>

namespace {

constexpr const char* Name = "quillpost-cli history";

// Midnight UTC of "YYYY-MM-DD"; nothing for any other text or a day that does not exist.
std::optional<HistoryTime> ParseDay(const std::string& text)
{
    std::tm tm{};
    int used = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &used) != 3 || used != 10)
        return std::nullopt;
    const int year = tm.tm_year, month = tm.tm_mon, day = tm.tm_mday;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    const std::time_t t = ::timegm(&tm);
    // timegm carries a 31st of April over into May: such a day is refused.
    if (tm.tm_year + 1900 != year || tm.tm_mon + 1 != month || tm.tm_mday != day) return std::nullopt;
    return std::chrono::system_clock::from_time_t(t);
}

const char* KindWord(RunKind kind)
{
    switch (kind) {
    case RunKind::Submit: return "submit";
    case RunKind::Retry: return "retry";
    case RunKind::Test: return "test";
    case RunKind::Validate: return "validate";
    }
    return "";
}

const char* EndWord(RunEnd end)
{
    switch (end) {
    case RunEnd::Finished: return "finished";
    case RunEnd::Cancelled: return "cancelled";
    case RunEnd::Unfinished: return "unfinished";
    }
    return "";
}

// One line of fields: tab-separated (tabs and line breaks in them made spaces) or a CSV record
// of guarded cells; controls as escapes in both.
void WriteLine(std::ostream& out, CsvText::Record fields, bool csv)
{
    if (csv) {
        for (std::string& field : fields) field = TerminalText::Escaped(field, TerminalText::Breaks::Kept);
        out << CsvText::FormatCells(fields);
        return;
    }
    for (size_t i = 0; i < fields.size(); ++i) out << (i ? "\t" : "") << CliOptions::OneLine(fields[i]);
    out << '\n';
}

std::string Status(int status)
{
    return status ? std::to_string(status) : std::string();
}

} // namespace

const char* HistoryCommand::Usage()
{
    return "usage: quillpost-cli history [--product TITLE]... [--site TITLE]... [--outcome WORD]... "
           "[--since YYYY-MM-DD] [--runs] [--csv] [--import FILE]\n";
}

int HistoryCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return Run(args, out, err, CliEnvironment::Real());
}

int HistoryCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                        const CliEnvironment& env)
{
    CLI::App app{"Lists each product-site pair's latest outcome from the history: outcome, product, site, time "
                 "(UTC), HTTP status, reason, the product's version and the network layer's message, tab-separated. "
                 "--runs lists the runs instead.",
                 Name};
    app.footer("Exit codes: 0 done; 2 usage error, or a history or report that cannot be read.");
    std::vector<std::string> products, sites, outcomes;
    std::string since, importFile;
    bool runs = false, csv = false;
    CliOptions::AddTitles(app, "--product", products, "Only this product (repeat for more)");
    CliOptions::AddTitles(app, "--site", sites, "Only this site (repeat for more)");
    auto* outcome = app.add_option("--outcome", outcomes, "Only pairs whose latest outcome is this (repeat for more)")
                        ->type_name("WORD")
                        ->check(CLI::IsMember(
                            {StatusWords::Ok, StatusWords::NotAccepted, StatusWords::Failed, StatusWords::Invalid}));
    app.add_option("--since", since, "Only what came on or after this day (UTC)")->type_name("YYYY-MM-DD");
    auto* runsFlag = app.add_flag("--runs", runs, "List the runs: start, kind, Ok, X, Failed, Invalid, how it ended");
    app.add_flag("--csv", csv, "Write CSV with a header row instead of tab-separated lines");
    auto* import =
        app.add_option("--import", importFile, "Take a run report (CSV) into the history")->type_name("FILE");
    runsFlag->excludes(outcome)->excludes("--product")->excludes("--site");
    import->excludes(runsFlag)->excludes(outcome)->excludes("--product")->excludes("--site")->excludes("--since");
    if (const auto code = CliOptions::Parse(app, args, out, err)) return *code;
    if (import->count() > 0 && importFile.empty()) {
        err << Name << ": --import: no report file named\n";
        return UsageError;
    }
    std::optional<HistoryTime> from;
    if (!since.empty() && !(from = ParseDay(since))) {
        err << Name << ": --since: \"" << since << "\" is no day of the form YYYY-MM-DD\n";
        return UsageError;
    }

    const std::string path = env.ProgramFolder + FileLocations::HistoryFile;
    if (importFile.empty() && !FileReplace::Exists(path)) {
        if (csv) out << (runs ? RunHeader : OutcomeHeader) << "\r\n";
        return Done;
    }
    std::unique_ptr<HistoryStore> store;
    try {
        store = std::make_unique<HistoryStore>(path);
    } catch (const HistoryError& e) {
        err << Name << ": " << e.what() << '\n';
        return UsageError;
    }
    // A damaged history set aside is an error of the listing, told first; what the reports
    // hold is taken in and listed all the same.
    const bool setAside = !store->Notice().empty();
    if (setAside) err << Name << ": " << store->Notice() << '\n';

    try {
        if (!importFile.empty()) {
            const int taken = HistoryImport::Import(*store, importFile);
            if (taken == HistoryImport::AlreadyImported)
                out << "Already imported: " << importFile << '\n';
            else
                out << "Imported: " << taken << '\n';
        }
        // A new history (or one in place of a damaged one) takes in the reports there are,
        // as the program and the other commands do.
        if (store->Created()) CliHistory::TakeInReports(*store, env, err, Name);
        if (!importFile.empty()) {
            // Imported above.
        } else if (runs) {
            if (csv) out << RunHeader << "\r\n";
            for (const RunSummary& r : store->Runs(from))
                WriteLine(out,
                          {RunReport::IsoTime(r.Started), KindWord(r.Kind), std::to_string(r.Ok), std::to_string(r.X),
                           std::to_string(r.Failed), std::to_string(r.Invalid), EndWord(r.End)},
                          csv);
        } else {
            if (csv) out << OutcomeHeader << "\r\n";
            for (const OutcomeRecord& o : store->Latest({products, sites, outcomes, from, ""}))
                WriteLine(out,
                          {StatusWords::Word(o.Outcome), o.Product, o.Site, RunReport::IsoTime(o.Time),
                           Status(o.HttpStatus), o.Reason, o.Version, o.Detail},
                          csv);
        }
    } catch (const std::runtime_error& e) {
        out << std::flush;
        err << Name << ": " << e.what() << '\n';
        return UsageError;
    }
    out << std::flush;
    return setAside && importFile.empty() ? UsageError : Done;
}
