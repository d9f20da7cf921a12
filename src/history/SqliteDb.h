#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// An error SQLite reported: its text names what was being done, and Code() is SQLite's
// primary result code (SQLITE_BUSY, SQLITE_CORRUPT, SQLITE_NOTADB, ...).
class SqliteError : public std::runtime_error {
public:
    SqliteError(const std::string& what, int code) : std::runtime_error(what), code_(code) {}
    int Code() const { return code_; }
    // The file is no database or a damaged one (as opposed to busy, locked, missing or full).
    bool Damaged() const;
    // Another connection held the lock past the busy time-out: the same may work later.
    bool Busy() const;

private:
    int code_;
};

class SqliteStatement;

// One connection to an SQLite file, closed with the object. A connection belongs to the
// thread that uses it; two threads (or two processes) that write one file each open their
// own, and the busy time-out makes one wait while the other commits.
class SqliteDb {
public:
    // Opens (creating when missing) the file at `path`, with extended result codes and a
    // busy time-out. Throws SqliteError.
    SqliteDb(const std::string& path, int busyTimeoutMs);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // Runs one or more statements that bind nothing. Throws SqliteError.
    void Exec(std::string_view sql);
    // The first column of the first row of `sql` as an integer (0 when no row) / as text.
    std::int64_t Integer(std::string_view sql);
    std::string Text(std::string_view sql);
    std::int64_t LastInsertId() const;
    // How many rows the last INSERT, UPDATE or DELETE changed.
    int Changes() const;

    // How long a statement waits for another connection's lock before it fails with Busy().
    void SetBusyTimeout(int ms);
    // Another process has this WAL-mode file open (false for a connection of this process).
    bool OpenElsewhere() const;

    sqlite3* Handle() const { return db_; }
    // Throws SqliteError for `code` unless it is SQLITE_OK, SQLITE_ROW or SQLITE_DONE.
    void Check(int code, std::string_view doing) const;

private:
    sqlite3* db_ = nullptr;
};

// A prepared statement of one connection. Parameters are bound by position from 1 and stay
// bound until the next Reset; Step moves to the next row.
class SqliteStatement {
public:
    SqliteStatement(SqliteDb& db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, std::string_view text);
    SqliteStatement& BindNull(int index);
    // True when a row is there to read, false when the statement is done. Throws SqliteError.
    bool Step();
    // Step for a statement that returns no row.
    void Run();
    // Ready to run again, its parameters cleared.
    void Reset();

    std::int64_t Integer(int column) const;
    std::string Text(int column) const;
    bool Null(int column) const;

private:
    SqliteDb& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// BEGIN IMMEDIATE (the write lock taken at once, so two writers queue on the busy time-out
// instead of failing on an upgrade), COMMIT by Commit, ROLLBACK when the object goes without.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDb& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void Commit();

private:
    SqliteDb& db_;
    bool open_ = true;
};
