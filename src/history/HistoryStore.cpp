#include "history/HistoryStore.h"

#include "common/StatusWords.h"
#include "history/HistoryFile.h"
#include "history/SqliteDb.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace {

using Seconds = std::chrono::seconds;

struct NameTable {
    const char* Table;
    const char* Column;
};
constexpr NameTable NameTables[] = {
    {"products", "title"}, {"pad_links", "url"}, {"sites", "title"}, {"words", "word"}, {"reasons", "text"}};

// The words the schema numbers itself; the counts of a run follow them.
constexpr std::int64_t OkWord = 1, XWord = 2, FailedWord = 3, InvalidWord = 4, CancelledWord = 5, YesWord = 6,
                       NoWord = 7;

// The prepared statements a store keeps, by slot.
enum Slot {
    InsertOutcome,
    UpsertLatestPair,
    UpsertLatestLink,
    AddCounts,
    InsertPadTest,
    InsertValidation,
    LookUpScript,
    InsertScript,
    LookUpRecent,
    SetRecent,
    SlotCount
};

// The outcome columns every outcome query selects, in the order Outcomes() reads them.
constexpr const char* OutcomeColumns =
    "run, product, pad_link, site, script, word, time, http_status, ms, reason, detail, version";

std::int64_t ToSeconds(HistoryTime time)
{
    return std::chrono::floor<Seconds>(time).time_since_epoch().count();
}

HistoryTime FromSeconds(std::int64_t seconds)
{
    return HistoryTime(Seconds(seconds));
}

// The word a PAD test's or a validation's record is stored as.
const char* WordOf(const PadTestRecord& test)
{
    return StatusWords::Word(test.Outcome);
}
const char* WordOf(const ValidationRecord& validation)
{
    return validation.Valid ? StatusWords::Valid : StatusWords::NotValid;
}

// Index into a run's counts: ok, x, failed, invalid, cancelled; -1 for a word counted nowhere.
int CountOf(std::int64_t word)
{
    switch (word) {
    case OkWord:
    case YesWord: return 0;
    case XWord: return 1;
    case FailedWord:
    case NoWord: return 2;
    case InvalidWord: return 3;
    case CancelledWord: return 4;
    default: return -1;
    }
}

bool HoldsIgnoringCase(const std::string& text, const std::string& part)
{
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

RunSummary ReadRun(const SqliteStatement& s)
{
    RunSummary run;
    run.Id = s.Integer(0);
    run.Kind = static_cast<RunKind>(s.Integer(1));
    run.Started = FromSeconds(s.Integer(2));
    run.Ended = FromSeconds(s.Integer(3));
    run.Speed = static_cast<int>(s.Integer(4));
    run.End = static_cast<RunEnd>(s.Integer(5));
    run.Ok = static_cast<int>(s.Integer(6));
    run.X = static_cast<int>(s.Integer(7));
    run.Failed = static_cast<int>(s.Integer(8));
    run.Invalid = static_cast<int>(s.Integer(9));
    run.Cancelled = static_cast<int>(s.Integer(10));
    return run;
}

constexpr const char* RunColumns = "id, kind, started, ended, speed, end_state, ok, x, failed, invalid, cancelled";

} // namespace

HistoryStore::HistoryStore(const std::string& path)
{
    HistoryFile::Opened opened = HistoryFile::Open(path);
    db_ = std::move(opened.Db);
    created_ = opened.Created;
    notice_ = std::move(opened.Notice);
    statements_.resize(SlotCount);
}

HistoryStore::~HistoryStore() = default;

void HistoryStore::SetBusyTimeout(int ms)
{
    db_->SetBusyTimeout(ms);
}

SqliteStatement& HistoryStore::Statement(int which, const char* sql)
{
    auto& s = statements_[static_cast<size_t>(which)];
    if (!s) s = std::make_unique<SqliteStatement>(*db_, sql);
    return *s;
}

void HistoryStore::Forget()
{
    for (auto& ids : ids_) ids.clear();
    scripts_.clear();
}

std::int64_t HistoryStore::Id(Names table, const std::string& text)
{
    auto& ids = ids_[static_cast<int>(table)];
    if (const auto it = ids.find(text); it != ids.end()) return it->second;
    const NameTable& t = NameTables[static_cast<int>(table)];
    const std::string where = std::string(t.Table) + " WHERE " + t.Column + "=?";
    SqliteStatement look(*db_, "SELECT id FROM " + where);
    look.Bind(1, text);
    std::int64_t id;
    if (look.Step()) {
        id = look.Integer(0);
    } else {
        SqliteStatement add(*db_, std::string("INSERT INTO ") + t.Table + "(" + t.Column + ") VALUES(?)");
        add.Bind(1, text).Run();
        id = db_->LastInsertId();
    }
    ids.emplace(text, id);
    return id;
}

std::int64_t HistoryStore::ScriptId(const std::string& address, const std::string& method)
{
    std::string key = address + '\n' + method;
    if (const auto it = scripts_.find(key); it != scripts_.end()) return it->second;
    SqliteStatement& look = Statement(LookUpScript, "SELECT id FROM scripts WHERE address=? AND method=?");
    look.Bind(1, address).Bind(2, method);
    std::int64_t id = 0;
    const bool found = look.Step();
    if (found) id = look.Integer(0);
    look.Reset();
    if (!found) {
        Statement(InsertScript, "INSERT INTO scripts(address, method) VALUES(?, ?)")
            .Bind(1, address)
            .Bind(2, method)
            .Run();
        id = db_->LastInsertId();
    }
    scripts_.emplace(std::move(key), id);
    return id;
}

void HistoryStore::LoadNames()
{
    for (int t = 0; t < 5; ++t) {
        SqliteStatement all(*db_, std::string("SELECT id, ") + NameTables[t].Column + " FROM " + NameTables[t].Table);
        while (all.Step()) names_[t][all.Integer(0)] = all.Text(1);
    }
    SqliteStatement all(*db_, "SELECT id, address, method FROM scripts");
    while (all.Step()) scriptNames_[all.Integer(0)] = {all.Text(1), all.Text(2)};
    namesRead_ = true;
}

const std::string& HistoryStore::Name(Names table, std::int64_t id)
{
    static const std::string unknown = "?";
    auto& names = names_[static_cast<int>(table)];
    auto it = names.find(id);
    if (it == names.end() && !namesRead_) {
        LoadNames();
        it = names.find(id);
    }
    return it == names.end() ? unknown : it->second;
}

std::int64_t HistoryStore::BeginRun(RunKind kind, int speed, HistoryTime started)
{
    SqliteStatement add(*db_, "INSERT INTO runs(kind, started, speed) VALUES(?, ?, ?)");
    add.Bind(1, static_cast<std::int64_t>(kind)).Bind(2, ToSeconds(started)).Bind(3, speed).Run();
    return db_->LastInsertId();
}

void HistoryStore::EndRun(std::int64_t run, RunEnd end, HistoryTime ended)
{
    SqliteStatement set(*db_, "UPDATE runs SET end_state=?, ended=? WHERE id=?");
    set.Bind(1, static_cast<std::int64_t>(end)).Bind(2, ToSeconds(ended)).Bind(3, run).Run();
}

void HistoryStore::InsertOutcomes(std::int64_t run, const std::vector<OutcomeRecord>& outcomes)
{
    SqliteStatement& insert =
        Statement(InsertOutcome,
                  "INSERT INTO outcomes(run, product, pad_link, site, script, "
                  "word, time, http_status, ms, reason, detail, version) VALUES(?,?,?,?,?,?,?,?,?,?,?,?)");
    SqliteStatement& pair = Statement(
        UpsertLatestPair,
        "INSERT INTO latest_pairs(product, site, outcome, run, pad_link, script, word, time, http_status, ms, reason, "
        "detail, version) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?) ON CONFLICT(product, site) DO UPDATE SET "
        "outcome=excluded.outcome, "
        "run=excluded.run, pad_link=excluded.pad_link, script=excluded.script, word=excluded.word, "
        "time=excluded.time, http_status=excluded.http_status, ms=excluded.ms, reason=excluded.reason, "
        "detail=excluded.detail, version=excluded.version "
        "WHERE excluded.time >= latest_pairs.time");
    SqliteStatement& link =
        Statement(UpsertLatestLink, "INSERT INTO latest_links(pad_link, site, word, time) VALUES(?,?,?,?) "
                                    "ON CONFLICT(pad_link, site) DO UPDATE SET word=excluded.word, "
                                    "time=excluded.time WHERE excluded.time >= latest_links.time");
    std::int64_t counts[5] = {}, first = 0, outcome = 0;
    for (const OutcomeRecord& o : outcomes) {
        const std::int64_t product = Id(Names::Product, o.Product), padLink = Id(Names::PadLink, o.PadLink),
                           site = Id(Names::Site, o.Site), script = ScriptId(o.ScriptUrl, o.Method),
                           word = Id(Names::Word, StatusWords::Word(o.Outcome)), reason = Id(Names::Reason, o.Reason),
                           detail = Id(Names::Reason, o.Detail), version = Id(Names::Reason, o.Version),
                           time = ToSeconds(o.Time);
        insert.Bind(1, run).Bind(2, product).Bind(3, padLink).Bind(4, site).Bind(5, script).Bind(6, word);
        insert.Bind(7, time).Bind(8, o.HttpStatus).Bind(9, o.Ms).Bind(10, reason).Bind(11, detail).Bind(12, version);
        insert.Run();
        outcome = db_->LastInsertId();
        if (!first) first = outcome;
        if (const int c = CountOf(word); c >= 0) ++counts[c];
        if (word == CancelledWord) continue;
        AddRecent(site, word, time);
        pair.Bind(1, product).Bind(2, site).Bind(3, outcome).Bind(4, run).Bind(5, padLink).Bind(6, script);
        pair.Bind(7, word).Bind(8, time).Bind(9, o.HttpStatus).Bind(10, o.Ms).Bind(11, reason).Bind(12, detail);
        pair.Bind(13, version).Run();
        link.Bind(1, padLink).Bind(2, site).Bind(3, word).Bind(4, time).Run();
    }
    Count(run, counts, first, outcome);
}

void HistoryStore::Count(std::int64_t run, const std::int64_t (&counts)[5], std::int64_t first, std::int64_t last)
{
    SqliteStatement& add =
        Statement(AddCounts,
                  "UPDATE runs SET ok=ok+?1, x=x+?2, failed=failed+?3, invalid=invalid+?4, "
                  "cancelled=cancelled+?5, first_outcome=CASE WHEN first_outcome=0 THEN ?7 ELSE "
                  "first_outcome END, last_outcome=CASE WHEN ?8=0 THEN last_outcome ELSE ?8 END WHERE id=?6");
    for (int c = 0; c < 5; ++c) add.Bind(c + 1, counts[c]);
    add.Bind(6, run).Bind(7, first).Bind(8, last).Run();
}

void HistoryStore::AddRecent(std::int64_t site, std::int64_t word, std::int64_t time)
{
    SqliteStatement& look = Statement(LookUpRecent, "SELECT recent, recent_time FROM sites WHERE id=?");
    look.Bind(1, site);
    std::string recent;
    std::int64_t newest = 0;
    if (look.Step()) {
        recent = look.Text(0);
        newest = look.Integer(1);
    }
    look.Reset();
    if (time < newest) return; // older than what the site shows (a report taken in late)
    recent.insert(0, std::to_string(word) + (recent.empty() ? "" : ","));
    size_t end = 0;
    for (int kept = 0; end != std::string::npos && kept < RecentKept; ++kept) end = recent.find(',', end + 1);
    if (end != std::string::npos) recent.erase(end);
    Statement(SetRecent, "UPDATE sites SET recent=?, recent_time=? WHERE id=?")
        .Bind(1, recent)
        .Bind(2, time)
        .Bind(3, site)
        .Run();
}

void HistoryStore::RecordOutcomes(std::int64_t run, const std::vector<OutcomeRecord>& outcomes)
{
    if (outcomes.empty()) return;
    try {
        SqliteTransaction batch(*db_);
        InsertOutcomes(run, outcomes);
        batch.Commit();
    } catch (...) {
        Forget();
        throw;
    }
}

template <typename Record, typename BindLast>
void HistoryStore::RecordWords(std::int64_t run, const std::vector<Record>& records, int which, const char* sql,
                               BindLast bindLast)
{
    if (records.empty()) return;
    try {
        SqliteTransaction batch(*db_);
        SqliteStatement& insert = Statement(which, sql);
        std::int64_t counts[5] = {};
        for (const Record& r : records) {
            const std::int64_t word = Id(Names::Word, WordOf(r));
            insert.Bind(1, run).Bind(2, Id(Names::Product, r.Product)).Bind(3, Id(Names::PadLink, r.PadLink));
            insert.Bind(4, word).Bind(5, ToSeconds(r.Time));
            bindLast(insert, r);
            insert.Run();
            if (const int c = CountOf(word); c >= 0) ++counts[c];
        }
        Count(run, counts, 0, 0);
        batch.Commit();
    } catch (...) {
        Forget();
        throw;
    }
}

void HistoryStore::RecordPadTests(std::int64_t run, const std::vector<PadTestRecord>& tests)
{
    RecordWords(
        run, tests, InsertPadTest,
        "INSERT INTO pad_tests(run, product, pad_link, word, time, reason, detail, version) VALUES(?,?,?,?,?,?,?,?)",
        [this](SqliteStatement& insert, const PadTestRecord& t) {
            insert.Bind(6, Id(Names::Reason, t.Reason)).Bind(7, Id(Names::Reason, t.Detail));
            insert.Bind(8, Id(Names::Reason, t.Version));
        });
}

void HistoryStore::RecordValidations(std::int64_t run, const std::vector<ValidationRecord>& validations)
{
    RecordWords(run, validations, InsertValidation,
                "INSERT INTO validations(run, product, pad_link, word, time, problems, version) VALUES(?,?,?,?,?,?,?)",
                [this](SqliteStatement& insert, const ValidationRecord& v) {
                    insert.Bind(6, v.Problems).Bind(7, Id(Names::Reason, v.Version));
                });
}

bool HistoryStore::ImportRun(std::uint64_t digest, const std::string& name, const RunSummary& run,
                             const std::vector<OutcomeRecord>& outcomes)
{
    try {
        SqliteTransaction import(*db_);
        SqliteStatement seen(*db_, "SELECT 1 FROM imports WHERE digest=?");
        if (seen.Bind(1, static_cast<std::int64_t>(digest)).Step()) return false;
        SqliteStatement add(*db_, "INSERT INTO runs(kind, started, ended, speed, end_state) VALUES(?, ?, ?, ?, ?)");
        add.Bind(1, static_cast<std::int64_t>(run.Kind)).Bind(2, ToSeconds(run.Started)).Bind(3, ToSeconds(run.Ended));
        add.Bind(4, run.Speed).Bind(5, static_cast<std::int64_t>(run.End)).Run();
        const std::int64_t id = db_->LastInsertId();
        InsertOutcomes(id, outcomes);
        SqliteStatement mark(*db_, "INSERT INTO imports(digest, name, run) VALUES(?, ?, ?)");
        mark.Bind(1, static_cast<std::int64_t>(digest)).Bind(2, name).Bind(3, id).Run();
        import.Commit();
        return true;
    } catch (...) {
        Forget();
        throw;
    }
}

std::vector<HistoryStore::OutcomeIds> HistoryStore::ReadIds(SqliteStatement& query)
{
    std::vector<OutcomeIds> rows;
    while (query.Step()) {
        OutcomeIds ids;
        for (int c = 0; c < static_cast<int>(ids.size()); ++c) ids[static_cast<size_t>(c)] = query.Integer(c);
        rows.push_back(ids);
    }
    return rows;
}

OutcomeRecord HistoryStore::Make(const OutcomeIds& ids)
{
    OutcomeRecord o;
    o.Run = ids[0];
    o.Product = Name(Names::Product, ids[1]);
    o.PadLink = Name(Names::PadLink, ids[2]);
    o.Site = Name(Names::Site, ids[3]);
    auto s = scriptNames_.find(ids[4]);
    if (s == scriptNames_.end() && !namesRead_) {
        LoadNames();
        s = scriptNames_.find(ids[4]);
    }
    o.ScriptUrl = s == scriptNames_.end() ? "?" : s->second.first;
    o.Method = s == scriptNames_.end() ? "?" : s->second.second;
    o.Outcome = StatusWords::ToOutcome(Name(Names::Word, ids[5]));
    o.Time = FromSeconds(ids[6]);
    o.HttpStatus = static_cast<int>(ids[7]);
    o.Ms = ids[8];
    o.Reason = Name(Names::Reason, ids[9]);
    o.Detail = Name(Names::Reason, ids[10]);
    o.Version = Name(Names::Reason, ids[11]);
    return o;
}

std::vector<OutcomeRecord> HistoryStore::Outcomes(SqliteStatement& query)
{
    std::vector<OutcomeRecord> rows;
    for (const OutcomeIds& ids : ReadIds(query)) rows.push_back(Make(ids));
    return rows;
}

std::vector<OutcomeRecord> HistoryStore::Latest(const HistoryFilter& filter)
{
    StartQuery();
    // The ids of the titles and words asked for; a title never recorded matches nothing.
    std::string where;
    auto among = [&](const char* column, Names table, const std::vector<std::string>& texts) {
        if (texts.empty()) return true;
        const NameTable& t = NameTables[static_cast<int>(table)];
        SqliteStatement look(*db_, std::string("SELECT id FROM ") + t.Table + " WHERE " + t.Column + "=?");
        std::string ids;
        for (const std::string& text : texts) {
            if (look.Bind(1, text).Step()) ids += (ids.empty() ? "" : ",") + std::to_string(look.Integer(0));
            look.Reset();
        }
        if (ids.empty()) return false;
        where += std::string(where.empty() ? " WHERE " : " AND ") + column + " IN (" + ids + ")";
        return true;
    };
    if (!among("product", Names::Product, filter.Products) || !among("site", Names::Site, filter.Sites) ||
        !among("word", Names::Word, filter.Outcomes))
        return {};
    if (filter.Since) where += std::string(where.empty() ? " WHERE " : " AND ") + "time >= ?";
    SqliteStatement query(*db_, std::string("SELECT ") + OutcomeColumns + " FROM latest_pairs" + where);
    if (filter.Since) query.Bind(1, ToSeconds(*filter.Since));
    std::vector<OutcomeIds> found = ReadIds(query);
    if (!filter.Search.empty())
        std::erase_if(found, [&](const OutcomeIds& o) {
            return !HoldsIgnoringCase(Name(Names::Product, o[1]), filter.Search) &&
                   !HoldsIgnoringCase(Name(Names::Site, o[3]), filter.Search);
        });
    // Sorted by the titles' ranks: a grid is tens of thousands of pairs over a few hundred titles.
    auto ranks = [&](Names table, size_t column) {
        std::vector<std::int64_t> ids;
        for (const OutcomeIds& o : found) ids.push_back(o[column]);
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        std::sort(ids.begin(), ids.end(),
                  [&](std::int64_t a, std::int64_t b) { return Name(table, a) < Name(table, b); });
        std::unordered_map<std::int64_t, size_t> rank;
        for (size_t i = 0; i < ids.size(); ++i) rank[ids[i]] = i;
        return rank;
    };
    const auto productRank = ranks(Names::Product, 1), siteRank = ranks(Names::Site, 3);
    std::sort(found.begin(), found.end(), [&](const OutcomeIds& a, const OutcomeIds& b) {
        const size_t pa = productRank.at(a[1]), pb = productRank.at(b[1]);
        return pa != pb ? pa < pb : siteRank.at(a[3]) < siteRank.at(b[3]);
    });
    std::vector<OutcomeRecord> rows;
    rows.reserve(found.size());
    for (const OutcomeIds& ids : found) rows.push_back(Make(ids));
    return rows;
}

std::vector<RunSummary> HistoryStore::Runs(std::optional<HistoryTime> since)
{
    SqliteStatement query(*db_,
                          std::string("SELECT ") + RunColumns + " FROM runs WHERE started >= ? ORDER BY started, id");
    query.Bind(1, since ? ToSeconds(*since) : std::numeric_limits<std::int64_t>::min());
    std::vector<RunSummary> runs;
    while (query.Step()) runs.push_back(ReadRun(query));
    return runs;
}

std::optional<RunSummary> HistoryStore::LatestSubmitRun()
{
    SqliteStatement query(*db_, std::string("SELECT ") + RunColumns +
                                    " FROM runs WHERE kind IN (1, 2) ORDER BY started DESC, id DESC LIMIT 1");
    if (!query.Step()) return std::nullopt;
    return ReadRun(query);
}

std::vector<OutcomeRecord> HistoryStore::Attempts(const std::string& product, const std::string& site)
{
    StartQuery();
    SqliteStatement query(*db_, std::string("SELECT ") + OutcomeColumns +
                                    " FROM outcomes WHERE product=(SELECT id FROM products WHERE title=?) AND "
                                    "site=(SELECT id FROM sites WHERE title=?) ORDER BY time, id");
    query.Bind(1, product).Bind(2, site);
    return Outcomes(query);
}

std::vector<OutcomeRecord> HistoryStore::RunOutcomes(std::int64_t run)
{
    StartQuery();
    SqliteStatement query(*db_, std::string("SELECT ") + OutcomeColumns +
                                    " FROM outcomes WHERE id BETWEEN (SELECT first_outcome FROM runs WHERE id=?1) AND "
                                    "(SELECT last_outcome FROM runs WHERE id=?1) AND run=?1 ORDER BY id");
    query.Bind(1, run);
    return Outcomes(query);
}

std::pair<int, int> HistoryStore::RunSpread(std::int64_t run)
{
    SqliteStatement query(*db_, "SELECT COUNT(DISTINCT product), COUNT(DISTINCT site) FROM outcomes WHERE id BETWEEN "
                                "(SELECT first_outcome FROM runs WHERE id=?1) AND (SELECT last_outcome FROM runs "
                                "WHERE id=?1) AND run=?1 "
                                "UNION ALL SELECT COUNT(DISTINCT product), 0 FROM pad_tests WHERE run=?1 "
                                "UNION ALL SELECT COUNT(DISTINCT product), 0 FROM validations WHERE run=?1");
    query.Bind(1, run);
    std::pair<int, int> spread{0, 0};
    while (query.Step()) {
        spread.first += static_cast<int>(query.Integer(0));
        spread.second += static_cast<int>(query.Integer(1));
    }
    return spread;
}

std::vector<PadTestRecord> HistoryStore::RunPadTests(std::int64_t run)
{
    StartQuery();
    SqliteStatement query(
        *db_, "SELECT product, pad_link, word, time, reason, detail, version FROM pad_tests WHERE run=? ORDER BY id");
    query.Bind(1, run);
    std::vector<PadTestRecord> tests;
    while (query.Step())
        tests.push_back(PadTestRecord{FromSeconds(query.Integer(3)), Name(Names::Product, query.Integer(0)),
                                      Name(Names::PadLink, query.Integer(1)),
                                      StatusWords::ToOutcome(Name(Names::Word, query.Integer(2))),
                                      Name(Names::Reason, query.Integer(4)), Name(Names::Reason, query.Integer(5)),
                                      Name(Names::Reason, query.Integer(6))});
    return tests;
}

std::vector<ValidationRecord> HistoryStore::RunValidations(std::int64_t run)
{
    StartQuery();
    SqliteStatement query(
        *db_, "SELECT product, pad_link, word, time, problems, version FROM validations WHERE run=? ORDER BY id");
    query.Bind(1, run);
    std::vector<ValidationRecord> validations;
    while (query.Step())
        validations.push_back(ValidationRecord{FromSeconds(query.Integer(3)), Name(Names::Product, query.Integer(0)),
                                               Name(Names::PadLink, query.Integer(1)),
                                               Name(Names::Word, query.Integer(2)) == StatusWords::Valid, query.Text(4),
                                               Name(Names::Reason, query.Integer(5))});
    return validations;
}

std::optional<ValidationRecord> HistoryStore::LatestValidation(const std::string& padLink)
{
    SqliteStatement query(*db_, "SELECT product, word, time, problems, version FROM validations WHERE "
                                "pad_link=(SELECT id FROM pad_links WHERE url=?) ORDER BY time DESC, id DESC LIMIT 1");
    query.Bind(1, padLink);
    if (!query.Step()) return std::nullopt;
    return ValidationRecord{FromSeconds(query.Integer(2)),
                            Name(Names::Product, query.Integer(0)),
                            padLink,
                            Name(Names::Word, query.Integer(1)) == StatusWords::Valid,
                            query.Text(3),
                            Name(Names::Reason, query.Integer(4))};
}

std::vector<SiteRecent> HistoryStore::RecentBySite(int count)
{
    StartQuery();
    SqliteStatement sites(*db_, "SELECT title, recent FROM sites WHERE recent<>'' ORDER BY title");
    std::vector<SiteRecent> result;
    while (sites.Step()) {
        SiteRecent site{sites.Text(0), {}};
        const std::string recent = sites.Text(1);
        for (size_t at = 0; at < recent.size() && static_cast<int>(site.Outcomes.size()) < count;) {
            size_t comma = recent.find(',', at);
            if (comma == std::string::npos) comma = recent.size();
            site.Outcomes.push_back(
                StatusWords::ToOutcome(Name(Names::Word, std::stoll(recent.substr(at, comma - at)))));
            at = comma + 1;
        }
        result.push_back(std::move(site));
    }
    return result;
}

std::set<std::string> HistoryStore::SitesThatTook(const std::string& padLink)
{
    SqliteStatement query(*db_, "SELECT s.title FROM latest_links l JOIN sites s ON s.id=l.site WHERE "
                                "l.pad_link=(SELECT id FROM pad_links WHERE url=?) AND l.word=1");
    query.Bind(1, padLink);
    std::set<std::string> sites;
    while (query.Step()) sites.insert(query.Text(0));
    return sites;
}

const char* HistoryStore::RunRowColumns()
{
    return RunColumns;
}

RunSummary HistoryStore::RunRow(const SqliteStatement& query)
{
    return ReadRun(query);
}
