// fnd::SqlDatabase: one open SQLite database (a file or ":memory:") with plain SQL execution and
// prepared statements. Failures come back as fnd::Error in kSqlErrorDomain carrying SQLite's
// extended result code, its message and the SQL that failed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/error.h"
#include "platform/foundation/sql_statement.h"

struct sqlite3;

namespace fnd {

// The error domain of every failure the SQL wrapper reports.
inline constexpr std::string_view kSqlErrorDomain = "SqlErrorDomain";
// User-info keys of a SQL error: SQLite's own message, the SQL text (or the file being opened), and
// for a failed bind the parameter's index.
inline constexpr std::string_view kSqlMessageKey = "SqlMessage";
inline constexpr std::string_view kSqlTextKey = "SqlText";
inline constexpr std::string_view kSqlParameterKey = "SqlParameter";

// SQLite's primary result codes that callers test or report (the error code may be an extended code
// whose low byte is one of these).
inline constexpr int64_t kSqlCodeError = 1;
inline constexpr int64_t kSqlCodeBusy = 5;
inline constexpr int64_t kSqlCodeFull = 13;
inline constexpr int64_t kSqlCodeTooBig = 18;
inline constexpr int64_t kSqlCodeConstraint = 19;
inline constexpr int64_t kSqlCodeRange = 25;

// The version text of the SQLite library in use ("3.40.1").
std::string sqliteLibVersion();

// SQLite's message in a SQL error (as sqlite3_errmsg gave it); the error's description for others.
std::string sqlMessage(const Error& error);

class SqlDatabase {
public:
    // Opens the database at `location` for reading and writing, creating the file when missing;
    // ":memory:" gives a fresh database in memory. The connection is serialized, so one database may
    // be used from several threads. A file that is not a database opens here and fails at its first
    // statement.
    static Result<SqlDatabase> open(const std::string& location);

    SqlDatabase(SqlDatabase&& other) noexcept;
    SqlDatabase& operator=(SqlDatabase&& other) noexcept;
    SqlDatabase(const SqlDatabase&) = delete;
    SqlDatabase& operator=(const SqlDatabase&) = delete;
    // Closes the connection; statements still alive keep it until they go.
    ~SqlDatabase();

    // How long a statement waits for another connection to let go of a lock before failing busy.
    void setBusyTimeout(int milliseconds);

    // Runs one or more statements of plain SQL, stopping at the first failure.
    Result<void> exec(const std::string& sql);
    // Compiles one statement. A persistent statement is one the caller keeps and reuses many times.
    Result<SqlStatement> prepare(std::string_view sql, bool persistent = false);

    // The rowid of the last successful INSERT on this connection (0 when none).
    int64_t lastInsertRowId() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int64_t changes() const;

private:
    friend class SqlTransaction;
    explicit SqlDatabase(sqlite3* db) : db_(db) {}

    sqlite3* db_ = nullptr;
};

} // namespace fnd
