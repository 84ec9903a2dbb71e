// The Selvo SQLite front's database: opening and closing, queries and updates with their binding and
// busy-retry rules, transactions, the row id and the statement cache.
#include "ads/selvo/sql/sql_database.h"

#include <cstdlib>
#include <utility>

#include "ads/selvo/sql/sql_busy.h"
#include "ads/selvo/sql/sql_result_set.h"
#include "ads/selvo/sql/sql_statement.h"
#include "ads/selvo/sv_log.h"

namespace zelvan::selvo {

std::shared_ptr<SqlDatabase_> SqlDatabase_::databaseWithPath(std::string path, std::shared_ptr<SelvoContext> context) {
    return std::make_shared<SqlDatabase_>(std::move(path), std::move(context));
}

SqlDatabase_::SqlDatabase_(std::string path, std::shared_ptr<SelvoContext> context)
    : databasePath_(std::move(path)), context_(std::move(context)) {}

SqlDatabase_::~SqlDatabase_() {
    close();
}

std::string SqlDatabase_::sqliteLibVersion() {
    return fnd::sqliteLibVersion();
}

std::string SqlDatabase_::description() const {
    return fnd::format("<SqlDatabase_: %p>", static_cast<const void*>(this));
}

void SqlDatabase_::noteError(const fnd::Error* error) {
    if (error == nullptr) {
        lastErrorCode_ = 0;
        lastErrorMessage_ = "not an error";
    } else {
        lastErrorCode_ = error->domain() == fnd::kSqlErrorDomain ? static_cast<int>(error->code() & 0xFF) : 1;
        lastErrorMessage_ = fnd::sqlMessage(*error);
    }
}

void SqlDatabase_::stopIfAsked() {
    if (crashOnErrors_) {
        std::abort();
    }
}

bool SqlDatabase_::open() {
    auto opened = fnd::SqlDatabase::open(databasePath_);
    if (!opened) {
        noteError(&opened.error());
        SVLog(context_, "error opening!: %d", static_cast<int>(opened.error().code()));
        return false;
    }
    db_.emplace(std::move(opened).value());
    noteError(nullptr);
    return true;
}

bool SqlDatabase_::close() {
    clearCachedStatements();
    // fnd's connection finishes closing when its last statement is finalised, so closing is never busy.
    db_.reset();
    return true;
}

void SqlDatabase_::bindObject(const fnd::Value& object, int column, fnd::SqlStatement& statement) {
    fnd::Result<void> bound;
    switch (object.kind()) {
    case fnd::Value::Kind::Null:
        bound = statement.bindNull(column);
        break;
    case fnd::Value::Kind::Data:
        bound = statement.bindBlob(column, *object.asData());
        break;
    case fnd::Value::Kind::Date:
        bound = statement.bindDouble(column, object.asDate()->since1970());
        break;
    case fnd::Value::Kind::Bool:
        bound = statement.bindInt64(column, *object.asBool() ? 1 : 0);
        break;
    case fnd::Value::Kind::Int:
        bound = statement.bindInt64(column, *object.asInt());
        break;
    case fnd::Value::Kind::Double:
        bound = statement.bindDouble(column, *object.asDouble());
        break;
    case fnd::Value::Kind::String:
        bound = statement.bindText(column, *object.asString());
        break;
    default:
        bound = statement.bindText(column, object.description());
        break;
    }
    if (!bound) {
        SVLog(context_, "DB Error: %d \"%@\"", lastErrorCode_, fnd::sqlMessage(bound.error()));
    }
}

std::shared_ptr<SqlStatement_> SqlDatabase_::prepareAndBind(std::string_view sql, const Arguments& arguments,
                                                            bool update) {
    const std::string text(sql);
    if (traceExecution_) {
        SVLog(context_, update ? "%@ executeUpdate: %@" : "%@ executeQuery: %@", description(), text);
    }
    std::shared_ptr<SqlStatement_> statement;
    if (shouldCacheStatements_) {
        // A cached statement that an open result set still steps through is left to it: resetting and
        // rebinding it here would restart that result set under its reader.
        auto cached = cachedStatementForQuery(text);
        if (cached && !cached->heldByResultSet() && cached->statement().valid()) {
            statement = cached;
        }
    }
    if (!statement) {
        if (!db_) {
            lastErrorCode_ = 21;
            lastErrorMessage_ = "library routine called out of sequence";
            if (logsErrors_) {
                SVLog(context_, "DB Error: %d \"%@\"", lastErrorCode_, lastErrorMessage_);
                SVLog(context_, "DB Query: %@", text);
            }
            return nullptr;
        }
        bool gaveUp = false;
        auto prepared = sqlbusy::retry(busyRetryTimeout_, lastBusyCount_, gaveUp, [&] { return db_->prepare(text); });
        if (!prepared) {
            noteError(&prepared.error());
            if (gaveUp) {
                SVLog(context_, "%s:%d Database busy (%@)", __func__, __LINE__, databasePath_);
                SVLog(context_, "Database busy");
            } else if (logsErrors_) {
                SVLog(context_, "DB Error: %d \"%@\"", lastErrorCode_, lastErrorMessage_);
                SVLog(context_, "DB Query: %@", text);
                stopIfAsked();
            }
            return nullptr;
        }
        noteError(nullptr);
        statement = std::make_shared<SqlStatement_>(std::move(prepared).value(), text);
        if (shouldCacheStatements_ && !cachedStatementForQuery(text)) {
            setCachedStatement(statement, text);
        }
    } else {
        statement->reset();
    }
    const int count = statement->statement().parameterCount();
    for (int index = 1; index <= count; ++index) {
        const size_t at = static_cast<size_t>(index - 1);
        const fnd::Value& object = at < arguments.size() ? arguments[at] : fnd::Value();
        if (traceExecution_) {
            SVLog(context_, "obj: %@", object);
        }
        bindObject(object, index, statement->statement());
    }
    return statement;
}

std::shared_ptr<SqlResultSet_> SqlDatabase_::executeQuery(std::string_view sql, const Arguments& arguments) {
    if (inUse_) {
        SVLog(context_, "The SqlDatabase %@ is currently in use.", description());
        return nullptr;
    }
    inUse_ = true;
    auto statement = prepareAndBind(sql, arguments, false);
    if (!statement) {
        inUse_ = false;
        return nullptr;
    }
    auto resultSet = SqlResultSet_::resultSetWithStatement(statement, weak_from_this());
    resultSet->setQuery(std::string(sql));
    statement->setUseCount(statement->useCount() + 1);
    inUse_ = false;
    return resultSet;
}

bool SqlDatabase_::executeUpdate(std::string_view sql, const Arguments& arguments) {
    if (inUse_) {
        SVLog(context_, "The SqlDatabase %@ is currently in use.", description());
        return false;
    }
    inUse_ = true;
    auto statement = prepareAndBind(sql, arguments, true);
    if (!statement) {
        inUse_ = false;
        return false;
    }
    bool gaveUp = false;
    auto stepped =
        sqlbusy::retry(busyRetryTimeout_, lastBusyCount_, gaveUp, [&] { return statement->statement().step(); });
    bool done = false;
    if (stepped) {
        noteError(nullptr);
        if (*stepped == fnd::SqlStep::Done) {
            done = true;
        } else {
            // An update statement yields no rows; one that does is refused.
            SVLog(context_, "Unknown error calling sqlite3_step (%d: %s) eu", 100,
                  std::string("another row available"));
            SVLog(context_, "DB Query: %@", std::string(sql));
        }
    } else {
        noteError(&stepped.error());
        if (gaveUp) {
            SVLog(context_, "%s:%d Database busy (%@)", __func__, __LINE__, databasePath_);
            SVLog(context_, "Database busy");
        } else if (lastErrorCode_ == 1) {
            SVLog(context_, "Error calling sqlite3_step (%d: %s) SQLITE_ERROR", lastErrorCode_, lastErrorMessage_);
            SVLog(context_, "DB Query: %@", std::string(sql));
        } else if (lastErrorCode_ == 21) {
            SVLog(context_, "Error calling sqlite3_step (%d: %s) SQLITE_MISUSE", lastErrorCode_, lastErrorMessage_);
            SVLog(context_, "DB Query: %@", std::string(sql));
        } else {
            SVLog(context_, "Unknown error calling sqlite3_step (%d: %s) eu", lastErrorCode_, lastErrorMessage_);
            SVLog(context_, "DB Query: %@", std::string(sql));
        }
        stopIfAsked();
    }
    statement->setUseCount(statement->useCount() + 1);
    // Ready for the next run when cached; finalised when the last reference goes otherwise.
    statement->reset();
    inUse_ = false;
    return done;
}

bool SqlDatabase_::beginTransaction() {
    const bool ok = executeUpdate("BEGIN EXCLUSIVE TRANSACTION;");
    inTransaction_ = inTransaction_ || ok;
    return ok;
}

bool SqlDatabase_::beginDeferredTransaction() {
    const bool ok = executeUpdate("BEGIN DEFERRED TRANSACTION;");
    inTransaction_ = inTransaction_ || ok;
    return ok;
}

bool SqlDatabase_::commit() {
    const bool ok = executeUpdate("COMMIT TRANSACTION;");
    inTransaction_ = inTransaction_ && !ok;
    return ok;
}

bool SqlDatabase_::rollback() {
    const bool ok = executeUpdate("ROLLBACK TRANSACTION;");
    inTransaction_ = inTransaction_ && !ok;
    return ok;
}

int64_t SqlDatabase_::lastInsertRowId() {
    if (inUse_) {
        SVLog(context_, "The SqlDatabase %@ is currently in use.", description());
        return 0;
    }
    inUse_ = true;
    const int64_t rowId = db_ ? db_->lastInsertRowId() : 0;
    inUse_ = false;
    return rowId;
}

bool SqlDatabase_::goodConnection() {
    if (!db_) {
        return false;
    }
    auto resultSet = executeQuery("select name from sqlite_master where type='table'");
    if (!resultSet) {
        return false;
    }
    resultSet->close();
    return true;
}

void SqlDatabase_::setShouldCacheStatements(bool value) {
    shouldCacheStatements_ = value;
    if (!value) {
        cachedStatements_.clear();
    }
}

void SqlDatabase_::clearCachedStatements() {
    for (auto& [query, statement] : cachedStatements_) {
        statement->close();
    }
    cachedStatements_.clear();
}

std::shared_ptr<SqlStatement_> SqlDatabase_::cachedStatementForQuery(std::string_view query) const {
    auto found = cachedStatements_.find(query);
    return found == cachedStatements_.end() ? nullptr : found->second;
}

void SqlDatabase_::setCachedStatement(const std::shared_ptr<SqlStatement_>& statement, std::string_view query) {
    statement->setQuery(std::string(query));
    cachedStatements_[std::string(query)] = statement;
}

} // namespace zelvan::selvo
