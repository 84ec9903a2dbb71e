// ZLVDatabase: one SQLite database of the web platform with a key/value table whose rows may carry
// a life time. Values are stored in the tagged codec's byte form; rows past their life read as
// missing and are deleted when next read. Time comes from the process clock's wall time.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/foundation/sql_database.h"
#include "platform/foundation/value.h"

namespace zelvan {

class ZLVDatabase {
public:
    // A life that never ends.
    static constexpr int kNoExpiry = -1;

    // Opens (creating when missing) the database file at `path`; null (logged) when the file cannot
    // be opened or is not a database.
    static std::shared_ptr<ZLVDatabase> openFile(const std::string& path);
    // A fresh, empty database that lives in memory until the object goes.
    static std::shared_ptr<ZLVDatabase> openInMemory();

    ~ZLVDatabase();
    ZLVDatabase(const ZLVDatabase&) = delete;
    ZLVDatabase& operator=(const ZLVDatabase&) = delete;

    // Stores `value` under `key` for `life` seconds (negative: no expiry). False (logged) on failure.
    bool kvSaveInt(const std::string& key, int64_t value, int life);
    // Stores `value` under `key` with no expiry; a null value removes the key.
    bool kvSave(const std::string& key, const fnd::Value& value);
    // Stores `value` under `key` for `life` seconds (negative: no expiry); a null value removes the key.
    bool kvSave(const std::string& key, const fnd::Value& value, int life);
    // The integer stored under `key`, or `defaultValue` when it is missing, expired or not an integer.
    int64_t kvInt(const std::string& key, int64_t defaultValue);
    // The value stored under `key`; null when missing, expired or unreadable.
    fnd::Value kvGet(const std::string& key);

    // The file behind the database, or "" for one in memory.
    const std::string& path() const { return path_; }

private:
    static std::shared_ptr<ZLVDatabase> open(const std::string& location, std::string path);
    ZLVDatabase(fnd::SqlDatabase db, std::string path);
    bool prepare();
    bool remove(const std::string& key);
    void logFailure(const char* what, const fnd::Error& error) const;

    // Declared before the statements, so they are finalized before the connection closes.
    fnd::SqlDatabase db_;
    std::string path_;
    std::recursive_mutex mutex_;
    fnd::SqlStatement save_;
    fnd::SqlStatement load_;
    fnd::SqlStatement delete_;
};

} // namespace zelvan
