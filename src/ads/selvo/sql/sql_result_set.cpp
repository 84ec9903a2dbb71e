// The Selvo SQLite front's result set: stepping with the busy-retry rule, and column reads by index or by
// lower-cased name. Its messages go to the log directly, at Warn.
#include "ads/selvo/sql/sql_result_set.h"

#include <utility>

#include "ads/selvo/sql/sql_busy.h"
#include "ads/selvo/sql/sql_statement.h"
#include "ads/selvo/sv_log.h"
#include "platform/foundation/log.h"
#include "platform/foundation/string_ops.h"

namespace zelvan::selvo {

std::shared_ptr<SqlResultSet_> SqlResultSet_::resultSetWithStatement(std::shared_ptr<SqlStatement_> statement,
                                                                     std::weak_ptr<SqlResultSetParent> parentDB) {
    return std::make_shared<SqlResultSet_>(std::move(statement), std::move(parentDB));
}

SqlResultSet_::SqlResultSet_(std::shared_ptr<SqlStatement_> statement, std::weak_ptr<SqlResultSetParent> parentDB)
    : parentDB_(std::move(parentDB)), statement_(std::move(statement)) {
    if (statement_) {
        statement_->setHeldByResultSet(true);
    }
}

SqlResultSet_::~SqlResultSet_() {
    close();
}

void SqlResultSet_::close() {
    if (statement_) {
        statement_->reset();
        statement_->setHeldByResultSet(false);
        statement_.reset();
    }
    parentDB_.reset();
}

bool SqlResultSet_::next() {
    if (!statement_) {
        return false;
    }
    auto parent = parentDB_.lock();
    const int limit = parent ? parent->busyRetryTimeout() : 0;
    int busyCount = 0;
    bool gaveUp = false;
    auto stepped = sqlbusy::retry(limit, busyCount, gaveUp, [&] { return statement_->statement().step(); });
    if (parent) {
        parent->setLastBusyCount(busyCount);
        parent->noteError(stepped ? nullptr : &stepped.error());
    }
    if (stepped) {
        if (*stepped == fnd::SqlStep::Row) {
            return true;
        }
        close();
        return false;
    }
    const int code = static_cast<int>(stepped.error().code() & 0xFF);
    const std::string message = fnd::sqlMessage(stepped.error());
    if (gaveUp) {
        ZLOG_TO(kSelvoLog, Warn, "%s:%d Database busy (%@)", __func__, __LINE__,
                parent ? parent->databasePath() : std::string());
        ZLOG_TO(kSelvoLog, Warn, "Database busy");
    } else if (code == 1 || code == 21) {
        ZLOG_TO(kSelvoLog, Warn, "Error calling sqlite3_step (%d: %s) rs", code, message);
    } else {
        ZLOG_TO(kSelvoLog, Warn, "Unknown error calling sqlite3_step (%d: %s) rs", code, message);
    }
    close();
    return false;
}

int SqlResultSet_::columnIndexForName(const std::string& name) {
    if (!statement_) {
        return -1;
    }
    if (!columnNamesSetup_) {
        const int count = statement_->statement().columnCount();
        for (int column = 0; column < count; ++column) {
            columnNameToIndexMap_.emplace(fnd::lowercase(statement_->statement().columnName(column)), column);
        }
        columnNamesSetup_ = true;
    }
    const std::string lowered = fnd::lowercase(name);
    auto found = columnNameToIndexMap_.find(lowered);
    if (found == columnNameToIndexMap_.end()) {
        ZLOG_TO(kSelvoLog, Warn, "Warning: I could not find the column named '%@'.", lowered);
        return -1;
    }
    return found->second;
}

bool SqlResultSet_::readable(int column) const {
    return statement_ && column >= 0 && column < statement_->statement().columnCount();
}

int SqlResultSet_::intForColumnIndex(int column) const {
    return static_cast<int>(longForColumnIndex(column));
}

int64_t SqlResultSet_::longForColumnIndex(int column) const {
    return readable(column) ? statement_->statement().columnInt64(column) : 0;
}

bool SqlResultSet_::boolForColumnIndex(int column) const {
    return intForColumnIndex(column) != 0;
}

double SqlResultSet_::doubleForColumnIndex(int column) const {
    return readable(column) ? statement_->statement().columnDouble(column) : 0.0;
}

std::optional<std::string> SqlResultSet_::stringForColumnIndex(int column) const {
    if (!readable(column) || statement_->statement().columnIsNull(column)) {
        return std::nullopt;
    }
    return statement_->statement().columnText(column);
}

std::optional<fnd::Date> SqlResultSet_::dateForColumnIndex(int column) const {
    if (!readable(column)) {
        return std::nullopt;
    }
    return fnd::Date::fromUnix(doubleForColumnIndex(column));
}

std::optional<fnd::Bytes> SqlResultSet_::dataForColumnIndex(int column) const {
    if (!readable(column)) {
        return std::nullopt;
    }
    if (statement_->statement().columnIsNull(column)) {
        return fnd::Bytes();
    }
    return statement_->statement().columnBlob(column);
}

int SqlResultSet_::intForColumn(const std::string& name) {
    return intForColumnIndex(columnIndexForName(name));
}

int64_t SqlResultSet_::longForColumn(const std::string& name) {
    return longForColumnIndex(columnIndexForName(name));
}

bool SqlResultSet_::boolForColumn(const std::string& name) {
    return boolForColumnIndex(columnIndexForName(name));
}

double SqlResultSet_::doubleForColumn(const std::string& name) {
    return doubleForColumnIndex(columnIndexForName(name));
}

std::optional<std::string> SqlResultSet_::stringForColumn(const std::string& name) {
    return stringForColumnIndex(columnIndexForName(name));
}

std::optional<fnd::Date> SqlResultSet_::dateForColumn(const std::string& name) {
    return dateForColumnIndex(columnIndexForName(name));
}

std::optional<fnd::Bytes> SqlResultSet_::dataForColumn(const std::string& name) {
    return dataForColumnIndex(columnIndexForName(name));
}

std::map<std::string, std::string> SqlResultSet_::kvcMagic() const {
    std::map<std::string, std::string> values;
    if (!statement_) {
        return values;
    }
    const int count = statement_->statement().columnCount();
    for (int column = 0; column < count; ++column) {
        if (auto text = stringForColumnIndex(column)) {
            values[statement_->statement().columnName(column)] = *text;
        }
    }
    return values;
}

} // namespace zelvan::selvo
