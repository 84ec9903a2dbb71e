// The SQLite connection: opening, closing, plain SQL, preparing statements, and the errors the whole
// SQL wrapper reports.
#include "platform/foundation/sql_database.h"

#include <sqlite3.h>

#include <cstdint>
#include <utility>

#include "platform/foundation/sql_detail.h"

namespace fnd {

static_assert(kSqlCodeError == SQLITE_ERROR && kSqlCodeBusy == SQLITE_BUSY && kSqlCodeFull == SQLITE_FULL &&
              kSqlCodeTooBig == SQLITE_TOOBIG && kSqlCodeConstraint == SQLITE_CONSTRAINT &&
              kSqlCodeRange == SQLITE_RANGE);

namespace {

// A statement's failure reads "<message> (in "<sql>")", so the log shows which statement failed.
std::string statementDescription(std::string_view message, std::string_view sql) {
    std::string description(message);
    if (!sql.empty()) {
        description += " (in \"" + std::string(sql) + "\")";
    }
    return description;
}

Error makeError(int64_t code, std::string_view message, std::string_view subject, std::string_view description) {
    Error error(std::string(kSqlErrorDomain), code, description);
    auto info = error.userInfo().asDictionary();
    info->setObject(Value(message), kSqlMessageKey);
    if (!subject.empty()) {
        info->setObject(Value(subject), kSqlTextKey);
    }
    return error;
}

} // namespace

namespace sqldetail {

Error lastError(sqlite3* db, std::string_view sql) {
    const std::string message = sqlite3_errmsg(db);
    return makeError(sqlite3_extended_errcode(db), message, sql, statementDescription(message, sql));
}

Result<void> exec(sqlite3* db, const std::string& sql) {
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        return lastError(db, sql);
    }
    return {};
}

} // namespace sqldetail

std::string sqliteLibVersion() {
    return sqlite3_libversion();
}

std::string sqlMessage(const Error& error) {
    if (error.domain() == kSqlErrorDomain) {
        if (const std::string* message = error.userInfo().asDictionary()->objectForKey(kSqlMessageKey).asString()) {
            return *message;
        }
    }
    return error.localizedDescription();
}

Result<SqlDatabase> SqlDatabase::open(const std::string& location) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    const int rc = sqlite3_open_v2(location.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        // Without a handle (no memory for one) only the result code can be described.
        const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        const int64_t code = db != nullptr ? sqlite3_extended_errcode(db) : rc;
        sqlite3_close(db);
        return makeError(code, message, location, "cannot open \"" + location + "\": " + message);
    }
    return SqlDatabase(db);
}

SqlDatabase::SqlDatabase(SqlDatabase&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

SqlDatabase& SqlDatabase::operator=(SqlDatabase&& other) noexcept {
    if (this != &other) {
        sqlite3_close_v2(db_);
        db_ = std::exchange(other.db_, nullptr);
    }
    return *this;
}

SqlDatabase::~SqlDatabase() {
    // close_v2 defers the close until the last statement of the connection is finalized.
    sqlite3_close_v2(db_);
}

void SqlDatabase::setBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

Result<void> SqlDatabase::exec(const std::string& sql) {
    return sqldetail::exec(db_, sql);
}

Result<SqlStatement> SqlDatabase::prepare(std::string_view sql, bool persistent) {
    if (sql.size() > static_cast<size_t>(INT32_MAX)) {
        return makeError(kSqlCodeTooBig, "statement too long", {}, "statement too long");
    }
    sqlite3_stmt* stmt = nullptr;
    const unsigned flags = persistent ? SQLITE_PREPARE_PERSISTENT : 0;
    if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), flags, &stmt, nullptr) != SQLITE_OK) {
        return sqldetail::lastError(db_, sql);
    }
    if (stmt == nullptr) {
        // Only whitespace or comments: SQLite compiles nothing and reports no error.
        return makeError(kSqlCodeError, "no statement", sql, statementDescription("no statement", sql));
    }
    return SqlStatement(stmt);
}

int64_t SqlDatabase::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

int64_t SqlDatabase::changes() const {
    return sqlite3_changes64(db_);
}

} // namespace fnd
