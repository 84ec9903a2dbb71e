// The key/value table on SQLite: the schema, the three prepared statements (save, load, delete),
// the codec conversion of values and the life-time checks against the process clock.
#include "web/zlv_database.h"

#include <sqlite3.h>

#include <utility>

#include "core/tagged_codec.h"
#include "core/tracer.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"

namespace zelvan {
namespace {

constexpr const char* kSchema = "CREATE TABLE IF NOT EXISTS kv (key TEXT PRIMARY KEY, value BLOB, expires REAL)";
constexpr const char* kSaveSql = "INSERT OR REPLACE INTO kv (key, value, expires) VALUES (?1, ?2, ?3)";
constexpr const char* kLoadSql = "SELECT value, expires FROM kv WHERE key = ?1";
constexpr const char* kDeleteSql = "DELETE FROM kv WHERE key = ?1";
// How long a statement waits for another connection to the same file to let go of its lock.
constexpr int kBusyTimeoutMs = 2000;

double nowSeconds() {
    return fnd::Clock::now().sinceReferenceDate();
}

} // namespace

void ZLVDatabase::StatementDeleter::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

std::shared_ptr<ZLVDatabase> ZLVDatabase::openFile(const std::string& path) {
    if (path.empty()) {
        ZTRACE_WARN("ZLVDatabase: no file name given");
        return nullptr;
    }
    return open(path, path);
}

std::shared_ptr<ZLVDatabase> ZLVDatabase::openInMemory() {
    return open(":memory:", "");
}

std::shared_ptr<ZLVDatabase> ZLVDatabase::open(const std::string& location, std::string path) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    const int rc = sqlite3_open_v2(location.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        ZTRACE_ERROR("ZLVDatabase: cannot open %@: %@", location, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    std::shared_ptr<ZLVDatabase> database(new ZLVDatabase(db, std::move(path)));
    if (!database->prepare()) {
        return nullptr;
    }
    return database;
}

ZLVDatabase::ZLVDatabase(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}

ZLVDatabase::~ZLVDatabase() {
    save_.reset();
    load_.reset();
    delete_.reset();
    sqlite3_close(db_);
}

bool ZLVDatabase::prepare() {
    if (sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        logFailure("create the table");
        return false;
    }
    const std::pair<Statement*, const char*> statements[] = {
        {&save_, kSaveSql}, {&load_, kLoadSql}, {&delete_, kDeleteSql}};
    for (const auto& [statement, sql] : statements) {
        sqlite3_stmt* prepared = nullptr;
        if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr) != SQLITE_OK) {
            logFailure("prepare a statement");
            return false;
        }
        statement->reset(prepared);
    }
    return true;
}

void ZLVDatabase::logFailure(const char* what) const {
    ZTRACE_ERROR("ZLVDatabase: cannot %@ in %@: %@", what, path_.empty() ? std::string("memory") : path_,
                 sqlite3_errmsg(db_));
}

bool ZLVDatabase::kvSaveInt(const std::string& key, int64_t value, int life) {
    return kvSave(key, fnd::Value(value), life);
}

bool ZLVDatabase::kvSave(const std::string& key, const fnd::Value& value) {
    return kvSave(key, value, kNoExpiry);
}

bool ZLVDatabase::kvSave(const std::string& key, const fnd::Value& value, int life) {
    std::lock_guard lock(mutex_);
    if (value.isNull()) {
        return remove(key);
    }
    const fnd::Bytes bytes = dumps(value);
    sqlite3_stmt* statement = save_.get();
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    sqlite3_bind_text64(statement, 1, key.data(), key.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    if (sqlite3_bind_blob64(statement, 2, bytes.data(), bytes.size(), SQLITE_TRANSIENT) != SQLITE_OK) {
        logFailure("store a value this large");
        sqlite3_reset(statement);
        return false;
    }
    if (life >= 0) {
        sqlite3_bind_double(statement, 3, nowSeconds() + life);
    } else {
        sqlite3_bind_null(statement, 3);
    }
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    if (!done) {
        logFailure("save a value");
    }
    sqlite3_reset(statement);
    return done;
}

bool ZLVDatabase::remove(const std::string& key) {
    sqlite3_stmt* statement = delete_.get();
    sqlite3_reset(statement);
    sqlite3_bind_text64(statement, 1, key.data(), key.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    if (!done) {
        logFailure("delete a value");
    }
    sqlite3_reset(statement);
    return done;
}

int64_t ZLVDatabase::kvInt(const std::string& key, int64_t defaultValue) {
    return kvGet(key).asInt().value_or(defaultValue);
}

fnd::Value ZLVDatabase::kvGet(const std::string& key) {
    std::lock_guard lock(mutex_);
    sqlite3_stmt* statement = load_.get();
    sqlite3_reset(statement);
    sqlite3_bind_text64(statement, 1, key.data(), key.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE) {
            logFailure("read a value");
        }
        sqlite3_reset(statement);
        return fnd::Value();
    }
    const bool expired =
        sqlite3_column_type(statement, 1) != SQLITE_NULL && sqlite3_column_double(statement, 1) <= nowSeconds();
    std::optional<fnd::Value> value;
    if (!expired) {
        const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement, 0));
        const int size = sqlite3_column_bytes(statement, 0);
        fnd::Result<fnd::Value> decoded = loads(std::span<const uint8_t>(bytes, bytes ? static_cast<size_t>(size) : 0));
        if (decoded) {
            value = std::move(decoded).value();
        } else {
            fnd::log("WARN codec: %@", decoded.error().localizedDescription());
            ZTRACE_WARN("ZLVDatabase: the value of %@ is unreadable", key);
        }
    }
    sqlite3_reset(statement);
    if (expired) {
        remove(key);
        return fnd::Value();
    }
    return value.value_or(fnd::Value());
}

} // namespace zelvan
