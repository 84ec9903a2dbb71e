// The Kavlo event queue over fnd's SQLite wrapper: table set-up and upgrade, session rows, batches
// built as text and the delete that keeps the newest session row at the head of the queue.
#include "analytics/kavlo/kavlo_database.h"

#include <charconv>
#include <utility>

#include "analytics/kavlo/kavlo_log.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/format.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/sql_transaction.h"

namespace zelvan::kavlo {
namespace {

// A table name as an SQL identifier: in double quotes, inner quotes doubled, so no application id can
// change the statement.
std::string quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        out.push_back(c);
        if (c == '"') {
            out.push_back('"');
        }
    }
    out.push_back('"');
    return out;
}

bool containsSessionpk(std::string sql) {
    for (char& c : sql) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return sql.find("sessionpk") != std::string::npos;
}

// Resets a statement and forgets its bindings, whatever happened to it.
struct StatementReset {
    fnd::SqlStatement& statement;
    ~StatementReset() {
        statement.reset();
        statement.clearBindings();
    }
};

} // namespace

KavloDatabase::KavloDatabase(const std::string& applicationId) {
    std::string id = applicationId;
    for (char& c : id) {
        if (c == '-') {
            c = '_';
        }
    }
    table_ = fnd::format("%s%s", "mc", id);

    const std::string folder = fnd::AppFolders::documents();
    fnd::FileManager::createDirectoryAtPath(folder);
    auto opened = fnd::SqlDatabase::open(fnd::appendingPathComponent(folder, "kavlo.db"));
    if (!opened.ok()) {
        ZLOG_TO(kKavloLog, Error, "Database: Failed to open database with message '%s'.",
                fnd::sqlMessage(opened.error()));
        return;
    }
    database_.emplace(std::move(opened).value());
    // The sync thread and the main thread share the file with nobody else, but a second process (a
    // restarted client while the old one ends) may hold it for a moment.
    database_->setBusyTimeout(2000);
    std::lock_guard lock(mutex_);
    if (!initializeTableLocked()) {
        ZLOG_TO(kKavloLog, Error, "Kavlo: the event table %s could not be made ready", table_);
    }
    prepareStatements();
}

KavloDatabase::~KavloDatabase() = default;

bool KavloDatabase::isOpen() const {
    std::lock_guard lock(mutex_);
    return database_ && insert_statement_.valid() && update_statement_.valid() && select_statement_.valid() &&
           delete_statement_.valid() && purge_statement_.valid();
}

int64_t KavloDatabase::sessionpk() const {
    std::lock_guard lock(mutex_);
    return sessionpk_;
}

bool KavloDatabase::stepDone(fnd::SqlStatement& statement, std::string_view what) {
    auto stepped = statement.step();
    if (!stepped.ok()) {
        ZLOG_TO(kKavloLog, Error, "Kavlo: failed to %s '%s'.", what, fnd::sqlMessage(stepped.error()));
        return false;
    }
    return true;
}

bool KavloDatabase::initializeTable() {
    std::lock_guard lock(mutex_);
    return initializeTableLocked();
}

bool KavloDatabase::initializeTableLocked() {
    if (!database_) {
        return false;
    }
    auto lookup = database_->prepare("SELECT sql FROM sqlite_master WHERE name = ?");
    if (!lookup.ok() || !lookup.value().bindText(1, table_).ok()) {
        return false;
    }
    auto row = lookup.value().step();
    if (!row.ok()) {
        return false;
    }
    const std::string name = quoted(table_);
    if (row.value() == fnd::SqlStep::Done) {
        return database_
            ->exec(fnd::format("CREATE TABLE IF NOT EXISTS %s (pk INTEGER NOT NULL PRIMARY KEY AUTOINCREMENT, "
                               "message TEXT, sessionpk INTEGER)",
                               name))
            .ok();
    }
    if (containsSessionpk(lookup.value().columnText(0))) {
        return true;
    }
    // A table of the older layout: its rows belong to no known session.
    auto upgrade = fnd::SqlTransaction::begin(*database_);
    return upgrade.ok() && database_->exec(fnd::format("ALTER TABLE %s ADD COLUMN sessionpk INTEGER", name)).ok() &&
           database_->exec(fnd::format("UPDATE %s SET sessionpk = -1", name)).ok() && upgrade.value().commit().ok();
}

bool KavloDatabase::prepareStatements() {
    if (!database_) {
        return false;
    }
    const std::string name = quoted(table_);
    struct Wanted {
        fnd::SqlStatement& statement;
        std::string sql;
    };
    Wanted wanted[] = {
        {insert_statement_, fnd::format("INSERT INTO %s (message, sessionpk) VALUES (?, ?)", name)},
        {update_statement_, fnd::format("UPDATE %s SET sessionpk = ? WHERE pk = ?", name)},
        {select_statement_,
         fnd::format("SELECT pk, message, sessionpk FROM %s ORDER BY pk ASC LIMIT %d", name, kBatchLimit)},
        {delete_statement_, fnd::format("DELETE FROM %s WHERE pk <= ? AND pk != ?", name)},
        {purge_statement_, fnd::format("DELETE FROM %s", name)},
    };
    bool all = true;
    for (auto& [statement, sql] : wanted) {
        auto prepared = database_->prepare(sql, true);
        if (!prepared.ok()) {
            ZLOG_TO(kKavloLog, Error, "Kavlo: failed to prepare '%s'.", fnd::sqlMessage(prepared.error()));
            all = false;
            continue;
        }
        statement = std::move(prepared).value();
    }
    return all;
}

bool KavloDatabase::insertSession(const std::string& message) {
    std::lock_guard lock(mutex_);
    return insertSessionLocked(message);
}

bool KavloDatabase::insertSessionLocked(const std::string& message) {
    if (!database_ || !insert_statement_.valid() || !update_statement_.valid()) {
        return false;
    }
    // One transaction: no reader ever sees the new row at -1, and a kill leaves either both steps or none.
    auto transaction = fnd::SqlTransaction::begin(*database_);
    if (!transaction.ok()) {
        ZLOG_TO(kKavloLog, Error, "Kavlo: failed to store a session '%s'.", fnd::sqlMessage(transaction.error()));
        return false;
    }
    int64_t rowid = 0;
    {
        StatementReset reset{insert_statement_};
        if (!insert_statement_.bindText(1, message).ok() || !insert_statement_.bindInt64(2, -1).ok() ||
            !stepDone(insert_statement_, "store a session")) {
            return false;
        }
        rowid = database_->lastInsertRowId();
    }
    {
        StatementReset reset{update_statement_};
        if (!update_statement_.bindInt64(1, rowid).ok() || !update_statement_.bindInt64(2, rowid).ok() ||
            !stepDone(update_statement_, "store a session")) {
            return false;
        }
    }
    auto committed = transaction.value().commit();
    if (!committed.ok()) {
        ZLOG_TO(kKavloLog, Error, "Kavlo: failed to store a session '%s'.", fnd::sqlMessage(committed.error()));
        return false;
    }
    sessionpk_ = rowid;
    return true;
}

bool KavloDatabase::insertMessage(const std::string& message) {
    std::lock_guard lock(mutex_);
    if (!insert_statement_.valid()) {
        return false;
    }
    StatementReset reset{insert_statement_};
    return insert_statement_.bindText(1, message).ok() && insert_statement_.bindInt64(2, sessionpk_).ok() &&
           stepDone(insert_statement_, "store an event");
}

fnd::Value KavloDatabase::selectMessage() {
    std::lock_guard lock(mutex_);
    if (!select_statement_.valid()) {
        return fnd::Value();
    }
    StatementReset reset{select_statement_};
    std::string json = "{";
    std::string lastKey;
    std::string lastSession;
    int64_t count = 0;
    while (true) {
        auto row = select_statement_.step();
        if (!row.ok()) {
            ZLOG_TO(kKavloLog, Error, "Kavlo: failed to read events '%s'.", fnd::sqlMessage(row.error()));
            break;
        }
        if (row.value() != fnd::SqlStep::Row) {
            break;
        }
        lastKey = select_statement_.columnText(0);
        lastSession = select_statement_.columnText(2);
        json.append("\"o").append(lastKey).append("\":");
        // A row without a message (never written by this client) still leaves the batch well-formed.
        if (select_statement_.columnIsNull(1)) {
            json.append("null");
        } else {
            std::string message = select_statement_.columnText(1);
            json.append(message.empty() ? "null" : message);
        }
        json.push_back(',');
        ++count;
    }
    json.pop_back();
    json.push_back('}');
    if (count == 0) {
        return fnd::Value();
    }
    auto batch = fnd::Value::dictionary();
    auto& entries = *batch.asDictionary();
    entries.setObject(lastKey, kMessageKey);
    entries.setObject(lastSession, kMessageSession);
    entries.setObject(std::move(json), kMessageJSON);
    entries.setObject(count, kMessageCount);
    return batch;
}

bool KavloDatabase::deleteMessageWithPrimaryKey(const std::string& primaryKey, const std::string& sessionKey) {
    int64_t key = 0;
    const auto parsed = std::from_chars(primaryKey.data(), primaryKey.data() + primaryKey.size(), key);
    if (parsed.ec != std::errc() || parsed.ptr != primaryKey.data() + primaryKey.size()) {
        // Compared as text, such a key would sort after every row number and empty the queue.
        ZLOG_TO(kKavloLog, Warn, "Kavlo: refused to delete events up to a key that is no row number");
        return false;
    }
    std::lock_guard lock(mutex_);
    if (!delete_statement_.valid()) {
        return false;
    }
    StatementReset reset{delete_statement_};
    return delete_statement_.bindText(1, primaryKey).ok() && delete_statement_.bindText(2, sessionKey).ok() &&
           stepDone(delete_statement_, "delete sent events");
}

bool KavloDatabase::purge() {
    std::lock_guard lock(mutex_);
    if (!purge_statement_.valid()) {
        return false;
    }
    auto stepped = purge_statement_.step();
    purge_statement_.reset();
    if (!stepped.ok()) {
        ZLOG_TO(kKavloLog, Error, "Error: failed to delete kavlo events '%s'.", fnd::sqlMessage(stepped.error()));
        return false;
    }
    return true;
}

} // namespace zelvan::kavlo
