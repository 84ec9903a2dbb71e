// SqlResultSet_: the rows of one query of the Selvo SQLite front, read by column index or by column name
// (matched without regard to case). Stepping past the last row, or a failed step, closes it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/date.h"
#include "platform/foundation/error.h"

namespace zelvan::selvo {

class SqlStatement_;

// What a result set asks of, and reports to, the database its query ran on (SqlDatabase_ implements it):
// the busy-retry limit, and the outcome of each step.
class SqlResultSetParent {
public:
    virtual ~SqlResultSetParent() = default;
    // 0: retry busy results without limit.
    virtual int busyRetryTimeout() const = 0;
    virtual void setLastBusyCount(int count) = 0;
    // Records the outcome of a call that reached SQLite (null: success).
    virtual void noteError(const fnd::Error* error) = 0;
    virtual const std::string& databasePath() const = 0;
};

class SqlResultSet_ {
public:
    // A result set over `statement`, whose database is `parentDB` (not kept alive by it).
    static std::shared_ptr<SqlResultSet_> resultSetWithStatement(std::shared_ptr<SqlStatement_> statement,
                                                                 std::weak_ptr<SqlResultSetParent> parentDB);
    SqlResultSet_(std::shared_ptr<SqlStatement_> statement, std::weak_ptr<SqlResultSetParent> parentDB);
    ~SqlResultSet_();
    SqlResultSet_(const SqlResultSet_&) = delete;
    SqlResultSet_& operator=(const SqlResultSet_&) = delete;

    // Steps to the next row: YES while there is one; at the end or on a failure it closes and gives NO.
    bool next();
    // Resets the statement and lets it and the parent database go; a further close does nothing.
    void close();
    bool isClosed() const { return !statement_; }

    // The column's index, or -1 (with a warning line) when the query has no column of that name.
    int columnIndexForName(const std::string& name);

    int intForColumnIndex(int column) const;
    int64_t longForColumnIndex(int column) const;
    bool boolForColumnIndex(int column) const;
    double doubleForColumnIndex(int column) const;
    // None for SQL NULL.
    std::optional<std::string> stringForColumnIndex(int column) const;
    // The column read as seconds since 1970.
    std::optional<fnd::Date> dateForColumnIndex(int column) const;
    // A copy of the column's bytes; empty for SQL NULL.
    std::optional<fnd::Bytes> dataForColumnIndex(int column) const;

    // The same by name; an unknown name gives 0, NO, 0.0 or none.
    int intForColumn(const std::string& name);
    int64_t longForColumn(const std::string& name);
    bool boolForColumn(const std::string& name);
    double doubleForColumn(const std::string& name);
    std::optional<std::string> stringForColumn(const std::string& name);
    std::optional<fnd::Date> dateForColumn(const std::string& name);
    std::optional<fnd::Bytes> dataForColumn(const std::string& name);

    // Each non-NULL column of the row as text under its name as SQLite reports it.
    std::map<std::string, std::string> kvcMagic() const;

    const std::shared_ptr<SqlStatement_>& statement() const { return statement_; }
    const std::string& query() const { return query_; }
    void setQuery(std::string query) { query_ = std::move(query); }
    void setParentDB(std::weak_ptr<SqlResultSetParent> parentDB) { parentDB_ = std::move(parentDB); }
    const std::map<std::string, int>& columnNameToIndexMap() const { return columnNameToIndexMap_; }

private:
    bool readable(int column) const;

    std::weak_ptr<SqlResultSetParent> parentDB_;
    std::shared_ptr<SqlStatement_> statement_;
    std::string query_;
    std::map<std::string, int> columnNameToIndexMap_;
    bool columnNamesSetup_ = false;
};

} // namespace zelvan::selvo
