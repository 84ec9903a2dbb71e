// MNDatabase: the interstitial client's SQLite store, Documents/"marlindb.sql": the "settings" key/value
// table, the "javascript" table of Base64-encoded scripts and whatever tables the client script makes.
// A store of another version (or none, or unreadable) is deleted with the two script files and rebuilt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/sql_database.h"
#include "platform/foundation/value.h"

namespace zelvan::marlin {

class MNDatabase {
public:
    static constexpr std::string_view kFileName = "marlindb.sql";
    static constexpr std::string_view kVersion = "2.3.1";
    static constexpr std::string_view kSettingsTable = "settings";
    static constexpr std::string_view kBootScriptFile = "boot.js";
    static constexpr std::string_view kClientScriptFile = "client.js";

    // Opens the store (init): loads it, and flushes it when it cannot be loaded.
    MNDatabase();
    ~MNDatabase();
    MNDatabase(const MNDatabase&) = delete;
    MNDatabase& operator=(const MNDatabase&) = delete;

    // The store file's path under Documents.
    static std::string path();

    // Opens the file; true only when its settings "version" is kVersion.
    bool loadFromFile();
    // Closes and deletes the store and Documents/"boot.js" and "client.js", then initialize().
    bool flush();
    // Opens (creates) the file with the settings table, its version and the javascript table.
    bool initialize();
    bool isInitialized() const { return initialized_; }

    // The rows of the first statement of `sql`, each an array of its column values (integers, doubles,
    // texts, data, null); an empty array when it cannot be prepared or run.
    fnd::Value sqlExecute(std::string_view sql);
    // The same with `binds` bound to the statement's parameters in order.
    fnd::Value sqlExecute(std::string_view sql, const std::vector<fnd::Value>& binds);
    // Runs one statement with `binds`; false (logged) on any failure.
    bool execute(const std::string& sql, const std::vector<fnd::Value>& binds) { return run(sql, binds); }

    bool createTable(std::string_view table);
    bool dropTable(std::string_view table);

    // Each replaces the record `id` of `table`: data as its Base64 text, a value as a 64-bit integer, a
    // string as text.
    bool setRecordIDTableData(std::string_view id, std::string_view table, const fnd::Bytes& data);
    bool setRecordIDTableValue(std::string_view id, std::string_view table, int64_t value);
    bool setRecordIDTableString(std::string_view id, std::string_view table, std::string_view text);

    std::optional<fnd::Bytes> dataForRecordID(std::string_view id, std::string_view table);
    std::optional<std::string> stringForRecordID(std::string_view id, std::string_view table);
    // The record's 64-bit value, or `defaultValue` when there is none.
    int64_t valueForRecordID(std::string_view id, std::string_view table, int64_t defaultValue);
    bool removeRecordID(std::string_view id, std::string_view table);
    std::vector<std::string> recordIDsForTable(std::string_view table);

private:
    // A table name is used only when it is an identifier; others are refused with a log line.
    static bool validTable(std::string_view table);
    // Runs one statement with text binds; false (logged) on any failure.
    bool run(const std::string& sql, const std::vector<fnd::Value>& binds);
    // The first column of the first row of `SELECT data ...`, or none.
    std::optional<fnd::Value> recordData(std::string_view id, std::string_view table);
    void close();

    std::optional<fnd::SqlDatabase> database_;
    bool initialized_ = false;
};

} // namespace zelvan::marlin
