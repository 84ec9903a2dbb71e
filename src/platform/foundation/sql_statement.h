// fnd::SqlStatement: one compiled SQLite statement with typed binds, stepping and typed column reads.
// It finalizes itself when it goes. Made by SqlDatabase::prepare.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"

struct sqlite3_stmt;

namespace fnd {

// What one step of a statement reached: a result row to read, or the end.
enum class SqlStep { Row, Done };

// The storage class of a column value in the current row (SQLite's numbering).
enum class SqlType { Integer = 1, Float = 2, Text = 3, Blob = 4, Null = 5 };

class SqlStatement {
public:
    // An empty statement, to be assigned a prepared one.
    SqlStatement() = default;
    SqlStatement(SqlStatement&& other) noexcept;
    SqlStatement& operator=(SqlStatement&& other) noexcept;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;
    ~SqlStatement();

    bool valid() const { return stmt_ != nullptr; }
    // The SQL the statement was compiled from.
    std::string sql() const;

    // Binds parameter `index` (from 1). A failure (an index out of range, a value too large) is an
    // error naming the statement; the parameter keeps its previous value.
    Result<void> bindNull(int index);
    Result<void> bindInt64(int index, int64_t value);
    Result<void> bindDouble(int index, double value);
    // Binds UTF-8 text; empty text binds as empty text, not null.
    Result<void> bindText(int index, std::string_view text);
    // Binds bytes; an empty buffer binds as a zero-length blob, not null.
    Result<void> bindBlob(int index, std::span<const uint8_t> bytes);
    // Sets every parameter back to null.
    void clearBindings();
    // How many parameters the statement's SQL declares (the largest index that can be bound).
    int parameterCount() const;

    // Runs the statement to its next row or to its end.
    Result<SqlStep> step();
    // Makes the statement ready to run again from the start; bindings stay.
    void reset();

    // Columns of the current row, from 0. Reading a null as a number gives 0, as text or bytes
    // gives empty.
    int columnCount() const;
    std::string columnName(int column) const;
    SqlType columnType(int column) const;
    bool columnIsNull(int column) const { return columnType(column) == SqlType::Null; }
    int64_t columnInt64(int column) const;
    double columnDouble(int column) const;
    std::string columnText(int column) const;
    Bytes columnBlob(int column) const;

private:
    friend class SqlDatabase;
    explicit SqlStatement(sqlite3_stmt* stmt) : stmt_(stmt) {}
    Result<void> checkBind(int rc, int index) const;

    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace fnd
