// The key/value table on SQLite: the schema, the three prepared statements (save, load, delete),
// the codec conversion of values and the life-time checks against the process clock.
#include "web/zlv_database.h"

#include <utility>

#include "platform/foundation/clock.h"
#include "platform/foundation/log_preview.h"
#include "protocol/tagged_codec.h"
#include "protocol/tracer.h"

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

// Binds the key to parameter 1 of `statement` and runs it to its first row or its end.
fnd::Result<fnd::SqlStep> stepWithKey(fnd::SqlStatement& statement, const std::string& key) {
    TRY(statement.bindText(1, key));
    return statement.step();
}

} // namespace

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
    auto opened = fnd::SqlDatabase::open(location);
    if (!opened) {
        ZTRACE_ERROR("ZLVDatabase: cannot open %@: %@", location, fnd::sqlMessage(opened.error()));
        return nullptr;
    }
    opened.value().setBusyTimeout(kBusyTimeoutMs);
    std::shared_ptr<ZLVDatabase> database(new ZLVDatabase(std::move(opened).value(), std::move(path)));
    if (!database->prepare()) {
        return nullptr;
    }
    return database;
}

ZLVDatabase::ZLVDatabase(fnd::SqlDatabase db, std::string path) : db_(std::move(db)), path_(std::move(path)) {}

ZLVDatabase::~ZLVDatabase() = default;

bool ZLVDatabase::prepare() {
    if (auto made = db_.exec(kSchema); !made) {
        logFailure("create the table", made.error());
        return false;
    }
    const std::pair<fnd::SqlStatement*, const char*> statements[] = {
        {&save_, kSaveSql}, {&load_, kLoadSql}, {&delete_, kDeleteSql}};
    for (const auto& [statement, sql] : statements) {
        auto prepared = db_.prepare(sql, true);
        if (!prepared) {
            logFailure("prepare a statement", prepared.error());
            return false;
        }
        *statement = std::move(prepared).value();
    }
    return true;
}

void ZLVDatabase::logFailure(const char* what, const fnd::Error& error) const {
    ZTRACE_ERROR("ZLVDatabase: cannot %@ in %@: %@", what, path_.empty() ? std::string("memory") : path_,
                 fnd::sqlMessage(error));
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
    save_.reset();
    save_.clearBindings();
    if (auto bound = save_.bindText(1, key); !bound) {
        logFailure("save a value", bound.error());
        return false;
    }
    if (auto bound = save_.bindBlob(2, bytes); !bound) {
        logFailure("store a value this large", bound.error());
        save_.reset();
        return false;
    }
    const auto step = [&]() -> fnd::Result<fnd::SqlStep> {
        TRY(life >= 0 ? save_.bindDouble(3, nowSeconds() + life) : save_.bindNull(3));
        return save_.step();
    }();
    if (!step) {
        logFailure("save a value", step.error());
    }
    save_.reset();
    return step.ok();
}

bool ZLVDatabase::remove(const std::string& key) {
    delete_.reset();
    const auto step = stepWithKey(delete_, key);
    if (!step) {
        logFailure("delete a value", step.error());
    }
    delete_.reset();
    return step.ok();
}

int64_t ZLVDatabase::kvInt(const std::string& key, int64_t defaultValue) {
    return kvGet(key).asInt().value_or(defaultValue);
}

fnd::Value ZLVDatabase::kvGet(const std::string& key) {
    std::lock_guard lock(mutex_);
    load_.reset();
    const auto step = stepWithKey(load_, key);
    if (!step || step.value() != fnd::SqlStep::Row) {
        if (!step) {
            logFailure("read a value", step.error());
        }
        load_.reset();
        return fnd::Value();
    }
    const bool expired = !load_.columnIsNull(1) && load_.columnDouble(1) <= nowSeconds();
    std::optional<fnd::Value> value;
    if (!expired) {
        const fnd::Bytes bytes = load_.columnBlob(0);
        fnd::Result<fnd::Value> decoded = loads(std::span<const uint8_t>(bytes));
        if (decoded) {
            value = std::move(decoded).value();
        } else {
            ZTRACE_WARN("ZLVDatabase: the value of %@ is unreadable (codec: %@)", fnd::logPreview(key),
                        decoded.error().localizedDescription());
        }
    }
    load_.reset();
    if (expired) {
        remove(key);
        return fnd::Value();
    }
    return value.value_or(fnd::Value());
}

} // namespace zelvan
