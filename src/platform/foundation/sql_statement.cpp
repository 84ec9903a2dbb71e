// The prepared statement: binds that report failures with the statement's SQL, stepping, and column
// reads that copy out of SQLite's buffers before the next step can move them.
#include "platform/foundation/sql_statement.h"

#include <sqlite3.h>

#include <utility>

#include "platform/foundation/sql_database.h"
#include "platform/foundation/sql_detail.h"

namespace fnd {
namespace {

// Using an empty statement is a caller's mistake; it is refused rather than handed to SQLite.
Error notPrepared() {
    return Error(std::string(kSqlErrorDomain), SQLITE_MISUSE, std::string_view("the statement is not prepared"));
}

} // namespace

SqlStatement::SqlStatement(SqlStatement&& other) noexcept : stmt_(std::exchange(other.stmt_, nullptr)) {}

SqlStatement& SqlStatement::operator=(SqlStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(stmt_);
}

std::string SqlStatement::sql() const {
    const char* text = stmt_ != nullptr ? sqlite3_sql(stmt_) : nullptr;
    return text != nullptr ? std::string(text) : std::string();
}

Result<void> SqlStatement::checkBind(int rc, int index) const {
    if (rc == SQLITE_OK) {
        return {};
    }
    if (stmt_ == nullptr) {
        return notPrepared();
    }
    Error error = sqldetail::lastError(sqlite3_db_handle(stmt_), sql());
    error.userInfo().asDictionary()->setObject(Value(index), kSqlParameterKey);
    return error;
}

Result<void> SqlStatement::bindNull(int index) {
    return checkBind(sqlite3_bind_null(stmt_, index), index);
}

Result<void> SqlStatement::bindInt64(int index, int64_t value) {
    return checkBind(sqlite3_bind_int64(stmt_, index, value), index);
}

Result<void> SqlStatement::bindDouble(int index, double value) {
    return checkBind(sqlite3_bind_double(stmt_, index, value), index);
}

Result<void> SqlStatement::bindText(int index, std::string_view text) {
    // A null pointer would bind null, so empty text points at a literal.
    const char* data = text.empty() ? "" : text.data();
    return checkBind(sqlite3_bind_text64(stmt_, index, data, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8), index);
}

Result<void> SqlStatement::bindBlob(int index, std::span<const uint8_t> bytes) {
    if (bytes.empty()) {
        return checkBind(sqlite3_bind_zeroblob(stmt_, index, 0), index);
    }
    return checkBind(sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT), index);
}

void SqlStatement::clearBindings() {
    if (stmt_ != nullptr) {
        sqlite3_clear_bindings(stmt_);
    }
}

int SqlStatement::parameterCount() const {
    return stmt_ != nullptr ? sqlite3_bind_parameter_count(stmt_) : 0;
}

Result<SqlStep> SqlStatement::step() {
    if (stmt_ == nullptr) {
        return notPrepared();
    }
    switch (sqlite3_step(stmt_)) {
    case SQLITE_ROW:
        return SqlStep::Row;
    case SQLITE_DONE:
        return SqlStep::Done;
    default:
        return sqldetail::lastError(sqlite3_db_handle(stmt_), sql());
    }
}

void SqlStatement::reset() {
    // The result repeats the last step's failure, which step() has already reported.
    (void)sqlite3_reset(stmt_);
}

int SqlStatement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

std::string SqlStatement::columnName(int column) const {
    const char* name = stmt_ != nullptr ? sqlite3_column_name(stmt_, column) : nullptr;
    return name != nullptr ? std::string(name) : std::string();
}

SqlType SqlStatement::columnType(int column) const {
    return static_cast<SqlType>(sqlite3_column_type(stmt_, column));
}

int64_t SqlStatement::columnInt64(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

double SqlStatement::columnDouble(int column) const {
    return sqlite3_column_double(stmt_, column);
}

std::string SqlStatement::columnText(int column) const {
    // The pointer first, then the size: that order gives the size of the text as read.
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text != nullptr ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                           : std::string();
}

Bytes SqlStatement::columnBlob(int column) const {
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
    return bytes != nullptr ? Bytes(bytes, bytes + sqlite3_column_bytes(stmt_, column)) : Bytes();
}

} // namespace fnd
