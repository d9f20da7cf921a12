#pragma once

#include "history/HistoryRecords.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class SqliteDb;
class SqliteStatement;

// The history of every run: what each product-site pair came to, each PAD test and each
// validation, in one SQLite file that the window and the command line may write at once.
//
// Owned by one thread (a run's owner thread: the windows' or the command line's), which
// makes every call; another thread that records opens a store of its own on the same file.
// A run records its outcomes one batch at a time, each batch one transaction: a killed
// process loses at most the batch it had not handed over. Recording and queries throw
// std::runtime_error (SqliteError) when the file fails them; a failed batch leaves nothing.
class HistoryStore {
public:
    // Beside the catalogue, in the data folder.
    static constexpr const char* FileName = "history.sqlite";
    // How many of each site's latest outcomes are kept for RecentBySite.
    static constexpr int RecentKept = 10;

    // Opens the file at `path`, creating it when missing and setting a damaged one aside
    // (see HistoryFile). Throws HistoryError when the file is refused or cannot be used.
    explicit HistoryStore(const std::string& path);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // The file was started by this open (new, or in place of a damaged one).
    bool Created() const { return created_; }
    // What the user is to be told of the open: a damaged file set aside. Empty otherwise.
    const std::string& Notice() const { return notice_; }
    // How long a write waits for another connection's lock (HistoryFile::BusyTimeoutMs at
    // first) before it throws a SqliteError that is Busy().
    void SetBusyTimeout(int ms);

    // --- recording ------------------------------------------------------------------------
    // A new run, unfinished until EndRun; returns its id.
    std::int64_t BeginRun(RunKind kind, int speed, HistoryTime started);
    // One batch of a run's outcomes, in one transaction; the run's counts follow.
    void RecordOutcomes(std::int64_t run, const std::vector<OutcomeRecord>& outcomes);
    void RecordPadTests(std::int64_t run, const std::vector<PadTestRecord>& tests);
    void RecordValidations(std::int64_t run, const std::vector<ValidationRecord>& validations);
    void EndRun(std::int64_t run, RunEnd end, HistoryTime ended);
    // A whole run read back from elsewhere (a CSV report) as one transaction, kept under
    // `digest` so that the same run is never taken twice. Returns false, recording nothing,
    // when that digest was imported before.
    bool ImportRun(std::uint64_t digest, const std::string& name, const RunSummary& run,
                   const std::vector<OutcomeRecord>& outcomes);

    // --- queries --------------------------------------------------------------------------
    // A title, link, word or reason whose row is missing from the file shows as "?".
    // Each pair's latest outcome other than "Cancelled", as the filter keeps them, sorted by
    // product title then site title (bytes).
    std::vector<OutcomeRecord> Latest(const HistoryFilter& filter = {});
    // The runs that started at or after `since` (all when none), oldest first.
    std::vector<RunSummary> Runs(std::optional<HistoryTime> since = std::nullopt);
    // Every attempt of one pair, oldest first.
    std::vector<OutcomeRecord> Attempts(const std::string& product, const std::string& site);
    // One run's outcomes in the order they were recorded.
    std::vector<OutcomeRecord> RunOutcomes(std::int64_t run);
    // How many products and how many sites a run named (its outcomes' pairs; for a test or a
    // validation run its products and no sites), counted by the database.
    std::pair<int, int> RunSpread(std::int64_t run);
    std::vector<PadTestRecord> RunPadTests(std::int64_t run);
    std::vector<ValidationRecord> RunValidations(std::int64_t run);
    // The newest validation of a PAD link, whoever made it; none when it was never validated.
    std::optional<ValidationRecord> LatestValidation(const std::string& padLink);
    // Each site's latest `count` (at most RecentKept) outcomes other than "Cancelled", newest
    // first as recorded (an outcome older than a site's newest is left out); sites by title.
    std::vector<SiteRecent> RecentBySite(int count);
    // The titles of the sites whose latest outcome for this PAD link is "Ok" (whatever the
    // product's title was then): the sites that took it.
    std::set<std::string> SitesThatTook(const std::string& padLink);
    // The latest run of kind Submit or Retry, by its start.
    std::optional<RunSummary> LatestSubmitRun();

private:
    enum class Names { Product, PadLink, Site, Word, Reason };
    std::int64_t Id(Names table, const std::string& text);
    std::int64_t ScriptId(const std::string& address, const std::string& method);
    const std::string& Name(Names table, std::int64_t id);
    // Every query starts with it: the names are read again at most once in a query, when an
    // id is not known (another writer's new title, say).
    void StartQuery() { namesRead_ = false; }
    void LoadNames();
    SqliteStatement& Statement(int which, const char* sql);
    void Count(std::int64_t run, const std::int64_t (&counts)[5], std::int64_t first, std::int64_t last);
    void AddRecent(std::int64_t site, std::int64_t word, std::int64_t time);
    void InsertOutcomes(std::int64_t run, const std::vector<OutcomeRecord>& outcomes);
    // A batch of PAD tests or validations in one transaction: run, product, PAD link, word and
    // time of each, then its last column as `bindLast` binds it; the run's counts follow.
    template <typename Record, typename BindLast>
    void RecordWords(std::int64_t run, const std::vector<Record>& records, int which, const char* sql,
                     BindLast bindLast);
    // The columns of an outcome query, in its order: run, product, pad_link, site, script, word,
    // time, http_status, ms, reason.
    using OutcomeIds = std::array<std::int64_t, 12>;
    std::vector<OutcomeIds> ReadIds(SqliteStatement& query);
    OutcomeRecord Make(const OutcomeIds& ids);
    std::vector<OutcomeRecord> Outcomes(SqliteStatement& query);
    void Forget();

    std::unique_ptr<SqliteDb> db_;
    bool created_ = false;
    std::string notice_;
    // Ids of names by table; only ever added to, but forgotten when a transaction that may
    // have made some of them rolls back.
    std::unordered_map<std::string, std::int64_t> ids_[5];
    std::unordered_map<std::string, std::int64_t> scripts_;
    // Names by id, for the queries.
    std::unordered_map<std::int64_t, std::string> names_[5];
    std::unordered_map<std::int64_t, std::pair<std::string, std::string>> scriptNames_;
    bool namesRead_ = false; // in this query
    std::vector<std::unique_ptr<SqliteStatement>> statements_;

    // The window's paged queries read the same connection, and runs as the store reads them.
    friend class HistoryPages;
    static const char* RunRowColumns();
    static RunSummary RunRow(const SqliteStatement& query);
};
