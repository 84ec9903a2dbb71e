// SqlStatement_: one prepared statement of the Selvo SQLite front, with its query text and how many
// executions used it. Closing it (or its going) finalises the statement.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/sql_statement.h"

namespace zelvan::selvo {

class SqlStatement_ {
public:
    SqlStatement_(fnd::SqlStatement statement, std::string query)
        : statement_(std::move(statement)), query_(std::move(query)) {}
    SqlStatement_(const SqlStatement_&) = delete;
    SqlStatement_& operator=(const SqlStatement_&) = delete;

    // Finalises the statement and forgets it.
    void close() { statement_ = fnd::SqlStatement(); }
    // Makes it ready to run again from the start.
    void reset() { statement_.reset(); }

    fnd::SqlStatement& statement() { return statement_; }
    const std::string& query() const { return query_; }
    void setQuery(std::string query) { query_ = std::move(query); }
    long useCount() const { return useCount_; }
    void setUseCount(long count) { useCount_ = count; }

    // Whether an open result set is stepping through this statement (the statement cache then leaves it).
    bool heldByResultSet() const { return heldByResultSet_; }
    void setHeldByResultSet(bool held) { heldByResultSet_ = held; }

    // "<SqlStatement_ 0x…> %d hit(s) for query %@".
    std::string description() const;

private:
    fnd::SqlStatement statement_;
    std::string query_;
    long useCount_ = 0;
    bool heldByResultSet_ = false;
};

} // namespace zelvan::selvo
