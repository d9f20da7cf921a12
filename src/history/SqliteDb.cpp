#include "history/SqliteDb.h"

#include <sqlite3.h>

bool SqliteError::Damaged() const
{
    const int primary = code_ & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool SqliteError::Busy() const
{
    const int primary = code_ & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

SqliteDb::SqliteDb(const std::string& path, int busyTimeoutMs)
{
    const int code =
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        const std::string text = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
        sqlite3_close(db_);
        db_ = nullptr;
        throw SqliteError("Cannot open \"" + path + "\": " + text, code);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
}

SqliteDb::~SqliteDb()
{
    sqlite3_close_v2(db_);
}

void SqliteDb::SetBusyTimeout(int ms)
{
    sqlite3_busy_timeout(db_, ms);
}

bool SqliteDb::OpenElsewhere() const
{
    int elsewhere = 0;
    return sqlite3_file_control(db_, "main", SQLITE_FCNTL_EXTERNAL_READER, &elsewhere) == SQLITE_OK && elsewhere;
}

void SqliteDb::Check(int code, std::string_view doing) const
{
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) return;
    throw SqliteError(std::string(doing) + ": " + sqlite3_errmsg(db_), code);
}

void SqliteDb::Exec(std::string_view sql)
{
    const std::string text(sql);
    Check(sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr), text);
}

std::int64_t SqliteDb::Integer(std::string_view sql)
{
    SqliteStatement s(*this, sql);
    return s.Step() ? s.Integer(0) : 0;
}

std::string SqliteDb::Text(std::string_view sql)
{
    SqliteStatement s(*this, sql);
    return s.Step() ? s.Text(0) : std::string();
}

std::int64_t SqliteDb::LastInsertId() const
{
    return sqlite3_last_insert_rowid(db_);
}

int SqliteDb::Changes() const
{
    return sqlite3_changes(db_);
}

SqliteStatement::SqliteStatement(SqliteDb& db, std::string_view sql) : db_(db)
{
    db_.Check(sqlite3_prepare_v3(db.Handle(), sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                 &stmt_, nullptr),
              sql);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(stmt_);
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value)
{
    db_.Check(sqlite3_bind_int64(stmt_, index, value), "bind");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text)
{
    db_.Check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT), "bind");
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index)
{
    db_.Check(sqlite3_bind_null(stmt_, index), "bind");
    return *this;
}

bool SqliteStatement::Step()
{
    const int code = sqlite3_step(stmt_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    const std::string sql = sqlite3_sql(stmt_);
    sqlite3_reset(stmt_);
    db_.Check(code, sql);
    return false;
}

void SqliteStatement::Run()
{
    while (Step()) {
    }
    Reset();
}

void SqliteStatement::Reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::int64_t SqliteStatement::Integer(int column) const
{
    return sqlite3_column_int64(stmt_, column);
}

std::string SqliteStatement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

bool SqliteStatement::Null(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

SqliteTransaction::SqliteTransaction(SqliteDb& db) : db_(db)
{
    db_.Exec("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction()
{
    if (open_) sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::Commit()
{
    db_.Exec("COMMIT");
    open_ = false;
}
