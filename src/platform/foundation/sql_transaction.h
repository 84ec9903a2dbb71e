// fnd::SqlTransaction: a transaction on a SqlDatabase that begins when made and rolls back when it
// goes out of scope without a successful commit, so an early return leaves the database as it was.
#pragma once

#include "platform/foundation/error.h"

struct sqlite3;

namespace fnd {

class SqlDatabase;

class SqlTransaction {
public:
    // When the write lock is taken: at the first write (Deferred), at once (Immediate), or at once
    // keeping readers out too (Exclusive).
    enum class Mode { Deferred, Immediate, Exclusive };

    // Begins a transaction on `db`; an error when BEGIN fails (a transaction already open, a busy
    // file). The transaction may outlive moves of the SqlDatabase object but not its closing.
    static Result<SqlTransaction> begin(SqlDatabase& db, Mode mode = Mode::Deferred);

    SqlTransaction(SqlTransaction&& other) noexcept;
    SqlTransaction& operator=(SqlTransaction&&) = delete;
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;
    // Rolls back unless committed.
    ~SqlTransaction();

    // Commits. On failure the transaction stays open and is rolled back when this object goes.
    Result<void> commit();

private:
    explicit SqlTransaction(sqlite3* db) : db_(db) {}

    sqlite3* db_ = nullptr;
};

} // namespace fnd
