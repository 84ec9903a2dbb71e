// BEGIN on construction, COMMIT on request, ROLLBACK when the object goes without a commit.
#include "platform/foundation/sql_transaction.h"

#include <utility>

#include "platform/foundation/sql_database.h"
#include "platform/foundation/sql_detail.h"

namespace fnd {

Result<SqlTransaction> SqlTransaction::begin(SqlDatabase& db, Mode mode) {
    const char* sql = mode == Mode::Immediate   ? "BEGIN IMMEDIATE"
                      : mode == Mode::Exclusive ? "BEGIN EXCLUSIVE"
                                                : "BEGIN";
    TRY(sqldetail::exec(db.db_, sql));
    return SqlTransaction(db.db_);
}

SqlTransaction::SqlTransaction(SqlTransaction&& other) noexcept : db_(std::exchange(other.db_, nullptr)) {}

SqlTransaction::~SqlTransaction() {
    if (db_ != nullptr) {
        // A failed COMMIT may already have ended the transaction; the ROLLBACK then fails harmlessly.
        (void)sqldetail::exec(db_, "ROLLBACK");
    }
}

Result<void> SqlTransaction::commit() {
    if (db_ == nullptr) {
        return Error(std::string(kSqlErrorDomain), kSqlCodeError, std::string_view("no transaction to commit"));
    }
    TRY(sqldetail::exec(db_, "COMMIT"));
    db_ = nullptr;
    return {};
}

} // namespace fnd
