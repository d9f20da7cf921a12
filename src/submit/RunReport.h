#pragma once

#include "common/Outcome.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class SiteTable;
class SubmissionRun;
struct RunPair;
struct RunProduct;

// One product-site pair of a run as its report keeps it.
struct ReportRow {
    std::chrono::system_clock::time_point Time{}; // when the outcome came (or the run was stopped)
    std::string Product;                          // the product's title
    std::string PadLink;
    std::string Site; // the site's title
    std::string ScriptUrl;
    std::string Method;
    ::Outcome Outcome = ::Outcome::None; // read from its word (StatusWords::ToOutcome)
    int HttpStatus = 0;                  // 0: no reply came (an empty column)
    std::int64_t Ms = -1;                // the request's duration; -1 for a pair that never ended (an empty column)
    std::string Error;                   // why it did not go through, in the user's words (the "error" column)
    std::string Detail;                  // the network layer's own message, if one came
};

// A pair named by its product's and its site's titles, as a retry looks them up again.
struct ReportPair {
    std::string Product;
    std::string Site;
    bool operator==(const ReportPair&) const = default;
};

// The report of a run (Submit All, the command line's submit, a retry): a CSV file, RFC 4180
// quoting, a header row, one record per product-site pair of the run in the run's order
// (product by product, sites in table order), CR LF after each record. Texts are the bytes
// the catalogue holds, unconverted, save that a cell a spreadsheet would run as a formula is
// written after a "'" that reading takes off again (CsvText::AppendCell). A pair that a Cancel stopped, or that never
// started, is "Cancelled", so the report is complete however the run ended. The window writes
// a run's report first when the run starts, every pair with an empty outcome (None) at the
// start time, and over it when the run ends: a killed run leaves which pairs it held.
//
// Plain functions of their arguments; any thread.
class RunReport {
public:
    static constexpr const char* Header =
        "time,product,pad_link,site,script_url,method,outcome,http_status,ms,error,detail";
    // Beside data/ in the program folder.
    static constexpr const char* Folder = "reports/";

    // The records of a run's pairs, in the run's order, without the header. A pair without an
    // outcome is `unended` (Cancelled, or None at the start: an empty cell) at `stoppedAt`.
    static std::string Records(const std::vector<RunProduct>& products, const std::vector<RunPair>& pairs,
                               const SiteTable& sites, std::chrono::system_clock::time_point stoppedAt,
                               Outcome unended = Outcome::Cancelled);
    // The header, then the rows' records.
    static std::string Format(const std::vector<ReportRow>& rows);

    // Writes the header and `records` to `path` atomically (a temporary file renamed over it),
    // creating its folder when missing. Throws FileError.
    static void Write(const std::string& path, std::string records);
    // The report of a finished or cancelled run, its pairs that never ended "Cancelled" at
    // `stoppedAt`.
    static void Write(const std::string& path, const SubmissionRun& run, const SiteTable& sites,
                      std::chrono::system_clock::time_point stoppedAt);
    // Makes sure a report can be written to `path` before a run starts: creates its folder
    // when missing and tries a file there. Throws FileError naming the reason.
    static void Prepare(const std::string& path);

    // `programFolder`/reports/run-YYYYMMDD-HHMMSS.csv, the time in UTC. When that name is
    // taken (two runs within one second), "-2", "-3", ... go before ".csv".
    static std::string DefaultPath(const std::string& programFolder, std::chrono::system_clock::time_point when);
    // The same naming for every report of the program: `programFolder`/reports/`name`-
    // YYYYMMDD-HHMMSS`extension` (UTC), numbered on when taken.
    static std::string StampedPath(const std::string& programFolder, const std::string& name,
                                   const std::string& extension, std::chrono::system_clock::time_point when);

    // Reads a report back. Columns are found by their header names (their order and further
    // columns do not matter; product, site and outcome must be there). Throws FileError when
    // the file cannot be read or is no report (a quote left open, a record with another
    // number of fields than the header, a column missing).
    static std::vector<ReportRow> Read(const std::string& path);
    static std::vector<ReportRow> Parse(std::string_view bytes, const std::string& name);

    // The pairs whose outcome was not "Ok", in the report's order, each once.
    static std::vector<ReportPair> NotOk(const std::vector<ReportRow>& rows);

    // "2024-05-01T12:34:56Z"; and back (a text that is none, or a time before 1678 or after
    // 2261, gives the epoch).
    static std::string IsoTime(std::chrono::system_clock::time_point when);
    static std::chrono::system_clock::time_point ParseIsoTime(const std::string& text);
};
