// SqlDatabase_: the Selvo client's thin front over one SQLite database file (fnd::SqlDatabase): open and
// close, queries and updates with bound parameters and the busy-retry rule, transactions, the statement
// cache and the single-value query shortcuts. One thread at a time uses an object (its owner locks).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ads/selvo/sql/sql_result_set.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/sql_database.h"
#include "platform/foundation/value.h"

namespace zelvan::selvo {

class SelvoContext;
class SqlStatement_;

class SqlDatabase_ : public SqlResultSetParent, public std::enable_shared_from_this<SqlDatabase_> {
public:
    using Arguments = std::vector<fnd::Value>;

    // A closed database object for the file at `path`, logging through `context` (may be null).
    static std::shared_ptr<SqlDatabase_> databaseWithPath(std::string path, std::shared_ptr<SelvoContext> context);
    SqlDatabase_(std::string path, std::shared_ptr<SelvoContext> context);
    ~SqlDatabase_() override;
    SqlDatabase_(const SqlDatabase_&) = delete;
    SqlDatabase_& operator=(const SqlDatabase_&) = delete;

    // The SQLite library's version text.
    static std::string sqliteLibVersion();

    // Opens (creating) the file; NO with "error opening!: %d" logged when it cannot.
    bool open();
    // Drops the statement cache and closes the connection (SQLite finishes closing once the last open
    // result set has gone).
    bool close();

    // Prepares `sql`, binds exactly as many of `arguments` as it has parameters (missing ones NULL) and
    // returns its rows before the first; none on failure.
    std::shared_ptr<SqlResultSet_> executeQuery(std::string_view sql, const Arguments& arguments = {});
    // Prepares, binds and runs `sql` to completion; YES on success.
    bool executeUpdate(std::string_view sql, const Arguments& arguments = {});

    bool beginTransaction();
    bool beginDeferredTransaction();
    bool commit();
    bool rollback();

    // The primary result code and message of the last call that reached SQLite (0 and "not an error" after
    // a success).
    int lastErrorCode() const { return lastErrorCode_; }
    std::string lastErrorMessage() const { return lastErrorMessage_; }
    bool hadError() const { return lastErrorCode_ != 0; }

    // The row id of the last insert; 0 while the database is in use.
    int64_t lastInsertRowId();
    // Whether the connection answers a query of its tables.
    bool goodConnection();

    bool shouldCacheStatements() const { return shouldCacheStatements_; }
    void setShouldCacheStatements(bool value);
    void clearCachedStatements();
    std::shared_ptr<SqlStatement_> cachedStatementForQuery(std::string_view query) const;
    void setCachedStatement(const std::shared_ptr<SqlStatement_>& statement, std::string_view query);
    const std::map<std::string, std::shared_ptr<SqlStatement_>, std::less<>>& cachedStatements() const {
        return cachedStatements_;
    }

    // Encryption keys are not supported: NO.
    bool rekey(std::string_view) { return false; }
    bool setKey(std::string_view) { return false; }

    // YES while a call runs or a transaction is open.
    bool inUse() const { return inUse_ || inTransaction_; }
    void setInUse(bool value) { inUse_ = value; }
    bool inTransaction() const { return inTransaction_; }
    void setInTransaction(bool value) { inTransaction_ = value; }
    bool logsErrors() const { return logsErrors_; }
    void setLogsErrors(bool value) { logsErrors_ = value; }
    // When set, a logged failure of a query or update stops the program (a debugging switch).
    bool crashOnErrors() const { return crashOnErrors_; }
    void setCrashOnErrors(bool value) { crashOnErrors_ = value; }
    bool traceExecution() const { return traceExecution_; }
    void setTraceExecution(bool value) { traceExecution_ = value; }
    bool checkedOut() const { return checkedOut_; }
    void setCheckedOut(bool value) { checkedOut_ = value; }
    // 0: retry busy results without limit.
    int busyRetryTimeout() const override { return busyRetryTimeout_; }
    void setBusyRetryTimeout(int value) { busyRetryTimeout_ = value; }
    // How many busy results in a row the last prepare or step of this database (or of its result sets) met.
    int lastBusyCount() const { return lastBusyCount_; }
    void setLastBusyCount(int count) override { lastBusyCount_ = count; }

    const std::string& databasePath() const override { return databasePath_; }
    fnd::SqlDatabase* sqliteHandle() { return db_ ? &*db_ : nullptr; }
    const std::shared_ptr<SelvoContext>& context() const { return context_; }
    // "<SqlDatabase_: 0x…>".
    std::string description() const;

    // --- Single-value queries: column 0 of the first row, or none, 0, NO, 0.0 without one ---
    std::optional<std::string> stringForQuery(std::string_view sql, const Arguments& arguments = {});
    int intForQuery(std::string_view sql, const Arguments& arguments = {});
    int64_t longForQuery(std::string_view sql, const Arguments& arguments = {});
    bool boolForQuery(std::string_view sql, const Arguments& arguments = {});
    double doubleForQuery(std::string_view sql, const Arguments& arguments = {});
    std::optional<fnd::Bytes> dataForQuery(std::string_view sql, const Arguments& arguments = {});

    // Records the outcome of a call that reached SQLite (null: success).
    void noteError(const fnd::Error* error) override;

private:
    std::shared_ptr<SqlStatement_> prepareAndBind(std::string_view sql, const Arguments& arguments, bool update);
    void bindObject(const fnd::Value& object, int column, fnd::SqlStatement& statement);
    void stopIfAsked();

    std::optional<fnd::SqlDatabase> db_;
    std::string databasePath_;
    std::shared_ptr<SelvoContext> context_;
    bool logsErrors_ = false;
    bool crashOnErrors_ = false;
    bool inUse_ = false;
    bool inTransaction_ = false;
    bool traceExecution_ = false;
    bool checkedOut_ = false;
    int busyRetryTimeout_ = 0;
    int lastBusyCount_ = 0;
    bool shouldCacheStatements_ = false;
    std::map<std::string, std::shared_ptr<SqlStatement_>, std::less<>> cachedStatements_;
    int lastErrorCode_ = 0;
    std::string lastErrorMessage_ = "not an error";
};

} // namespace zelvan::selvo
