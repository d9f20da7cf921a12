#include "history/HistoryFile.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The steps from one version to the next: Steps[v] takes a file from version v to v + 1.
// A step, once shipped, never changes; a new version adds a step.
constexpr const char* Steps[] = {
    // Version 1. Titles, links, script addresses and error texts are rows of their own, referred
    // to by id, so an outcome is a row of small integers with one index (a pair's attempts).
    // latest_pairs and latest_links hold each pair's newest outcome other than "Cancelled"
    // (the grid, and what a site did with a PAD link), and sites.recent the word ids of each
    // site's newest outcomes, newest first, comma-separated: all updated with every outcome,
    // so no query scans the outcomes, and a batch touches few pages. A run knows the range of
    // its outcomes' ids (other runs' outcomes may lie between, written by another process).
    R"(
CREATE TABLE products(id INTEGER PRIMARY KEY, title TEXT NOT NULL UNIQUE);
CREATE TABLE pad_links(id INTEGER PRIMARY KEY, url TEXT NOT NULL UNIQUE);
CREATE TABLE sites(id INTEGER PRIMARY KEY, title TEXT NOT NULL UNIQUE, recent TEXT NOT NULL DEFAULT '',
                   recent_time INTEGER NOT NULL DEFAULT 0);
CREATE TABLE scripts(id INTEGER PRIMARY KEY, address TEXT NOT NULL, method TEXT NOT NULL, UNIQUE(address, method));
CREATE TABLE words(id INTEGER PRIMARY KEY, word TEXT NOT NULL UNIQUE);
INSERT INTO words(id, word) VALUES (1, 'Ok'), (2, 'X'), (3, 'Failed'), (4, 'Invalid'), (5, 'Cancelled'), (6, 'Yes'),
                                   (7, 'No');
CREATE TABLE reasons(id INTEGER PRIMARY KEY, text TEXT NOT NULL UNIQUE);
INSERT INTO reasons(id, text) VALUES (0, '');
CREATE TABLE runs(id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, started INTEGER NOT NULL, ended INTEGER NOT NULL DEFAULT 0,
                  speed INTEGER NOT NULL, end_state INTEGER NOT NULL DEFAULT 0, ok INTEGER NOT NULL DEFAULT 0,
                  x INTEGER NOT NULL DEFAULT 0, failed INTEGER NOT NULL DEFAULT 0, invalid INTEGER NOT NULL DEFAULT 0,
                  cancelled INTEGER NOT NULL DEFAULT 0, first_outcome INTEGER NOT NULL DEFAULT 0,
                  last_outcome INTEGER NOT NULL DEFAULT 0);
CREATE INDEX runs_by_start ON runs(started);
CREATE TABLE outcomes(id INTEGER PRIMARY KEY, run INTEGER NOT NULL, product INTEGER NOT NULL, pad_link INTEGER NOT NULL,
                      site INTEGER NOT NULL, script INTEGER NOT NULL, word INTEGER NOT NULL, time INTEGER NOT NULL,
                      http_status INTEGER NOT NULL, ms INTEGER NOT NULL, reason INTEGER NOT NULL);
CREATE INDEX outcomes_by_pair ON outcomes(product, site);
CREATE TABLE latest_pairs(product INTEGER NOT NULL, site INTEGER NOT NULL, outcome INTEGER NOT NULL, run INTEGER NOT NULL,
                          pad_link INTEGER NOT NULL, script INTEGER NOT NULL, word INTEGER NOT NULL,
                          time INTEGER NOT NULL, http_status INTEGER NOT NULL, ms INTEGER NOT NULL,
                          reason INTEGER NOT NULL, PRIMARY KEY(product, site)) WITHOUT ROWID;
CREATE TABLE latest_links(pad_link INTEGER NOT NULL, site INTEGER NOT NULL, word INTEGER NOT NULL, time INTEGER NOT NULL,
                          PRIMARY KEY(pad_link, site)) WITHOUT ROWID;
CREATE TABLE pad_tests(id INTEGER PRIMARY KEY, run INTEGER NOT NULL, product INTEGER NOT NULL, pad_link INTEGER NOT NULL,
                       word INTEGER NOT NULL, time INTEGER NOT NULL, reason INTEGER NOT NULL);
CREATE INDEX pad_tests_by_run ON pad_tests(run);
CREATE TABLE validations(id INTEGER PRIMARY KEY, run INTEGER NOT NULL, product INTEGER NOT NULL,
                         pad_link INTEGER NOT NULL, word INTEGER NOT NULL, time INTEGER NOT NULL, problems TEXT NOT NULL);
CREATE INDEX validations_by_run ON validations(run);
CREATE TABLE imports(digest INTEGER PRIMARY KEY, name TEXT NOT NULL, run INTEGER NOT NULL);
)",
    // Version 2. Beside the reason in the user's words, the network layer's own message (a row
    // of reasons, 0: none); the rows of version 1 keep theirs and have none.
    R"(
ALTER TABLE outcomes ADD COLUMN detail INTEGER NOT NULL DEFAULT 0;
ALTER TABLE latest_pairs ADD COLUMN detail INTEGER NOT NULL DEFAULT 0;
ALTER TABLE pad_tests ADD COLUMN detail INTEGER NOT NULL DEFAULT 0;
CREATE INDEX validations_by_link ON validations(pad_link, time);
)",
    // Version 3. The product's version as its PAD file named it at that run (a row of reasons'
    // texts, 0: not known); the rows of earlier versions have none.
    R"(
ALTER TABLE outcomes ADD COLUMN version INTEGER NOT NULL DEFAULT 0;
ALTER TABLE latest_pairs ADD COLUMN version INTEGER NOT NULL DEFAULT 0;
ALTER TABLE pad_tests ADD COLUMN version INTEGER NOT NULL DEFAULT 0;
ALTER TABLE validations ADD COLUMN version INTEGER NOT NULL DEFAULT 0;
)",
};
static_assert(std::size(Steps) == HistoryFile::SchemaVersion);

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The tables of version 1, by which a file that an earlier program made, before files were
// marked with ApplicationId, is known as ours.
constexpr const char* OurTables =
    "'products', 'pad_links', 'sites', 'scripts', 'words', 'reasons', 'runs', 'outcomes', "
    "'latest_pairs', 'latest_links', 'pad_tests', 'validations', 'imports'";
constexpr int OurTableCount = 13;

std::string Refused(const std::string& path, const std::string& why)
{
    return "The history file \"" + path + "\" " + why + "; it is left as it is and no history is kept";
}

// Whether the file is ours to use (ours, or empty), read without writing anything: another
// program's SQLite file (a link to it, say) must not get our tables or a new journal mode.
// Returns true when the file is ours but not marked yet.
bool Identify(SqliteDb& db, const std::string& path)
{
    const std::int64_t id = db.Integer("PRAGMA application_id");
    if (id != 0 && id != HistoryFile::ApplicationId)
        throw HistoryError(
            Refused(path, "belongs to another program (its application id is " + std::to_string(id) + ")"));
    const std::int64_t found = db.Integer("PRAGMA user_version");
    if (found > HistoryFile::SchemaVersion)
        throw HistoryError(
            Refused(path, "was written by a newer version of Quillpost (schema " + std::to_string(found) + ")"));
    if (id == HistoryFile::ApplicationId) return false;
    // Unmarked: a new file (nothing in it, not even a version), or one of ours made before the mark.
    if (found == 0 && db.Integer("SELECT count(*) FROM sqlite_schema") == 0) return false;
    const std::int64_t ours = db.Integer(std::string("SELECT count(*) FROM sqlite_schema WHERE type='table' AND "
                                                     "name IN (") +
                                         OurTables + ")");
    if (found < 1 || ours != OurTableCount) throw HistoryError(Refused(path, "holds another program's data"));
    return true;
}

// Checks the file (when its WAL was left) and brings it up to date, taking the write lock only when
// something is to be written. SqliteError for what SQLite reports (damage among it),
// HistoryError for a file that is not ours or of a newer schema.
void Prepare(SqliteDb& db, const std::string& path, bool walLeft)
{
    const bool unmarked = Identify(db, path);
    // A WAL with something in it while no other process has the file open: the last connection
    // never closed (the last one to close merges the WAL and removes it), killed or cut off by a
    // crash, so the file is checked whole. A file closed cleanly is not: the check reads every page.
    if (walLeft && !db.OpenElsewhere()) {
        const std::string check = db.Text("PRAGMA quick_check");
        if (check != "ok") throw SqliteError("PRAGMA quick_check: " + check, SQLITE_CORRUPT);
    }
    if (db.Text("PRAGMA journal_mode") != "wal" && db.Text("PRAGMA journal_mode=WAL") != "wal")
        throw HistoryError("The history file \"" + path + "\" cannot be put in WAL mode");
    db.Exec("PRAGMA synchronous=NORMAL");
    if (db.Integer("PRAGMA user_version") == HistoryFile::SchemaVersion) {
        if (!unmarked) return; // current: a reader takes no lock
        try {
            SqliteTransaction mark(db);
            db.Exec("PRAGMA application_id=" + std::to_string(HistoryFile::ApplicationId));
            mark.Commit();
        } catch (const SqliteError& e) {
            // Locked by another program, or a file this process may only read: it is used all
            // the same, and marked at a later open.
            if (e.Damaged()) throw;
        }
        return;
    }
    for (;;) {
        SqliteTransaction step(db);
        // Read inside the write lock: another process may have taken the file up meanwhile.
        const std::int64_t version = db.Integer("PRAGMA user_version");
        if (version >= HistoryFile::SchemaVersion) break;
        db.Exec(Steps[version]);
        db.Exec("PRAGMA user_version=" + std::to_string(version + 1));
        db.Exec("PRAGMA application_id=" + std::to_string(HistoryFile::ApplicationId));
        step.Commit();
    }
}

HistoryFile::Opened OpenAndPrepare(const std::string& path, std::unique_ptr<SqliteDb>& db)
{
    HistoryFile::Opened opened;
    opened.Created = !Exists(path);
    if (const fs::path folder = fs::path(path).parent_path(); opened.Created && !folder.empty()) {
        std::error_code ec;
        fs::create_directories(folder, ec); // what cannot be made shows as the open's error
    }
    std::error_code ec;
    const bool walLeft = fs::file_size(path + "-wal", ec) > 0 && !ec;
    db = std::make_unique<SqliteDb>(path, HistoryFile::BusyTimeoutMs);
    Prepare(*db, path, walLeft);
    opened.Db = std::move(db);
    return opened;
}

} // namespace

std::string HistoryFile::AsideName(const std::string& path)
{
    std::string aside = path + ".broken";
    for (int n = 2; Exists(aside); ++n) aside = path + ".broken." + std::to_string(n);
    return aside;
}

HistoryFile::Opened HistoryFile::Open(const std::string& path)
{
    // Holds the connection of a damaged file until it is renamed aside: closing it first would
    // delete or replay a WAL the set-aside file may need.
    std::unique_ptr<SqliteDb> damaged;
    try {
        return OpenAndPrepare(path, damaged);
    } catch (const SqliteError& e) {
        if (!e.Damaged()) throw HistoryError("The history file \"" + path + "\" cannot be used: " + e.what());
        const std::string why = e.what();
        const std::string aside = AsideName(path);
        std::error_code ec;
        fs::rename(path, aside, ec);
        if (ec)
            throw HistoryError("The history file \"" + path +
                               "\" is damaged and cannot be renamed aside: " + ec.message());
        // A WAL left beside a new file would be replayed into it: it goes with its file.
        for (const char* suffix : {"-wal", "-shm"})
            if (Exists(path + suffix)) fs::rename(path + suffix, aside + suffix, ec);
        damaged.reset();
        Opened fresh;
        try {
            std::unique_ptr<SqliteDb> db;
            fresh = OpenAndPrepare(path, db);
        } catch (const SqliteError& again) {
            throw HistoryError("A new history file \"" + path + "\" cannot be started: " + again.what());
        }
        fresh.Created = true;
        fresh.Notice = "The history file \"" + path + "\" was damaged (" + why + "). It was renamed to \"" + aside +
                       "\" and a new history was started.";
        return fresh;
    }
}
