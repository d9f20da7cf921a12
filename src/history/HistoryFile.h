#pragma once

#include "history/SqliteDb.h"

#include <memory>
#include <stdexcept>
#include <string>

// A history file that is left as it is and not used: another program's, written by a newer
// version of the program, or one that cannot be opened for a reason other than damage (no permission, a
// full disk, locked past the busy time-out). The text names the file and the reason.
class HistoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Opens the history file and brings its schema up to date. The schema's version is the
// file's user_version; each version's step runs in a transaction of its own, so a file is
// at one version or the next, never between. Our files are marked with ApplicationId. A file
// that is not ours (another id, or tables of its own and no id) or has a higher version than
// this program knows is refused, never touched. A file of an earlier program, with our tables
// and no mark yet, is marked. When the schema is current and the file marked, an open writes
// nothing and takes no lock, so a reader never waits for a writer.
//
// A file that was not closed cleanly (its WAL left by a process that was killed) is checked
// whole with PRAGMA quick_check; a damaged file (no database, or the check finds a fault) is
// renamed aside with its -wal and -shm files, as "history.sqlite.broken", then ".broken.2",
// ".broken.3", ... (one set aside before is never written over), and a new one is started in
// its place.
//
// The file is in WAL mode (readers never wait for a writer) with synchronous=NORMAL: a
// killed process loses no committed transaction.
class HistoryFile {
public:
    static constexpr int SchemaVersion = 3;
    static constexpr int BusyTimeoutMs = 10000;
    // The PRAGMA application_id of our files ("QPHS").
    static constexpr std::int64_t ApplicationId = 0x51504853;

    struct Opened {
        std::unique_ptr<SqliteDb> Db;
        bool Created = false; // the file was new (or the damaged one was set aside)
        std::string Notice;   // for the user when a damaged file was set aside; empty otherwise
    };

    // Throws HistoryError.
    static Opened Open(const std::string& path);

    // The name a damaged `path` is renamed to: the first of path.broken, path.broken.2, ...
    // that is not taken.
    static std::string AsideName(const std::string& path);
};
