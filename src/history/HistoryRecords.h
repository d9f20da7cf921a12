#pragma once

#include "common/Outcome.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The values the history keeps and gives back. Times are whole seconds of UTC; texts are the
// bytes the catalogue and the site table hold, unconverted.
using HistoryTime = std::chrono::system_clock::time_point;

// What started a run. The numbers are stored: never renumber them.
enum class RunKind { Submit = 1, Retry = 2, Test = 3, Validate = 4 };
// How a run ended. Unfinished: its end was never recorded (still under way elsewhere, or the
// process was killed); its outcomes up to its last batch are kept.
enum class RunEnd { Unfinished = 0, Finished = 1, Cancelled = 2 };

// One product sent to one site, and what became of it.
struct OutcomeRecord {
    HistoryTime Time{};
    std::string Product; // the product's title
    std::string PadLink;
    std::string Site; // the site's title
    std::string ScriptUrl;
    std::string Method;
    ::Outcome Outcome = ::Outcome::None; // stored as its word (StatusWords)
    int HttpStatus = 0;                  // 0: no reply came
    std::int64_t Ms = -1;                // the request's duration; -1 when it never ended
    std::string Reason;                  // why it did not go through, in the user's words (empty for "Ok")
    std::int64_t Run = 0;                // filled in by queries: the run it belongs to
    std::string Detail;                  // the network layer's own message, if one came
    std::string Version{};               // the product's version its PAD file named; empty: not known
};

// One PAD test: Ok when the PAD link's server answered, else Failed or Invalid and why.
struct PadTestRecord {
    HistoryTime Time{};
    std::string Product;
    std::string PadLink;
    ::Outcome Outcome = ::Outcome::None;
    std::string Reason;
    std::string Detail;    // the network layer's own message, if one came
    std::string Version{}; // the product's version its PAD file named; empty: not known
};

// One PAD file validation: valid or not (stored as "Yes" or "No"), and its problems one a line.
struct ValidationRecord {
    HistoryTime Time{};
    std::string Product;
    std::string PadLink;
    bool Valid = false;
    std::string Problems;
    std::string Version{}; // the version the file named; empty: not known
};

// A run as the runs list shows it. The counts are of its outcomes by word: a test run counts
// "Ok", "Failed" and "Invalid" in theirs, a validation "Yes" as Ok and "No" as Failed.
struct RunSummary {
    std::int64_t Id = 0;
    RunKind Kind = RunKind::Submit;
    HistoryTime Started{};
    HistoryTime Ended{}; // the epoch while unfinished
    int Speed = 0;       // 0 when not known (an imported report)
    RunEnd End = RunEnd::Unfinished;
    int Ok = 0;
    int X = 0;
    int Failed = 0;
    int Invalid = 0;
    int Cancelled = 0;
};

// Which pairs the latest-outcome grid shows. Empty lists take every product, site or word;
// titles and words match exactly, several of one kind are alternatives. Search keeps the
// pairs whose product or site title holds it, ASCII letters matched without regard to case.
struct HistoryFilter {
    std::vector<std::string> Products;
    std::vector<std::string> Sites;
    std::vector<std::string> Outcomes;
    std::optional<HistoryTime> Since; // the latest outcome came at or after it
    std::string Search;
};

// A site's latest outcomes, newest first.
struct SiteRecent {
    std::string Site;
    std::vector<Outcome> Outcomes;
};
