#pragma once

#include <ostream>
#include <string>
#include <vector>

struct CliEnvironment;

// `quillpost-cli history`: what the history (data/history.sqlite, where the catalogue lies)
// holds. Without --runs, one line per product-site pair with its latest outcome,
// tab-separated: outcome, product, site, time (ISO 8601, UTC), HTTP status (empty when no
// reply came), reason, the product's version as its PAD file named it then (empty when not
// known) and the network layer's own message, sorted by product then site; --product, --site
// and --outcome (each repeatable) and --since narrow it. With --runs, one line per run, oldest first:
// start time, kind, the Ok, X, Failed and Invalid counts, and how it ended. --csv writes the
// same as CSV with a header row. --import FILE takes a run report (CSV) in.
//
// Listing never creates the history: with none, nothing is listed. A damaged history is set
// aside (a new one started, as the program does) and told on stderr.
class HistoryCommand {
public:
    static constexpr int Done = 0;
    static constexpr int UsageError = 2; // bad option, unreadable history or report

    static constexpr const char* OutcomeHeader = "outcome,product,site,time,http_status,reason,version,detail";
    static constexpr const char* RunHeader = "time,kind,ok,x,failed,invalid,ended";

    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CliEnvironment& env);

    static const char* Usage();
};
