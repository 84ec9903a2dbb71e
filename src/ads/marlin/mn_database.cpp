// The interstitial client's store over fnd's SQLite wrapper: values are bound, never spliced into SQL,
// and table names must be identifiers.
#include "ads/marlin/mn_database.h"

#include "ads/marlin/base64.h"
#include "ads/marlin/mn_log.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/paths.h"

namespace zelvan::marlin {
namespace {

std::string documentsPath(std::string_view name) {
    return fnd::appendingPathComponent(fnd::AppFolders::documents(), name);
}

fnd::Result<void> bindValue(fnd::SqlStatement& statement, int index, const fnd::Value& value) {
    if (auto i = value.asInt()) {
        return statement.bindInt64(index, *i);
    }
    if (const fnd::Bytes* data = value.asData()) {
        return statement.bindBlob(index, *data);
    }
    return statement.bindText(index, value.stringValue());
}

} // namespace

MNDatabase::MNDatabase() {
    if (!initialized_) {
        if (!loadFromFile()) {
            flush();
        }
        initialized_ = true;
    }
}

MNDatabase::~MNDatabase() {
    close();
}

std::string MNDatabase::path() {
    return documentsPath(kFileName);
}

void MNDatabase::close() {
    database_.reset(); // the wrapper closes the handle (statements are always finalised first)
}

bool MNDatabase::loadFromFile() {
    close();
    fnd::FileManager::createDirectoryAtPath(fnd::AppFolders::documents());
    auto opened = fnd::SqlDatabase::open(path());
    if (!opened) {
        ZLOG_TO(kMarlinLog, Error, "ERROR: Failed to open database with message '%s'.",
                fnd::sqlMessage(opened.error()));
        return false;
    }
    database_.emplace(std::move(opened).value());
    auto version = stringForRecordID("version", kSettingsTable);
    return version && *version == kVersion;
}

bool MNDatabase::flush() {
    close();
    fnd::FileManager::removeItemAtPath(path());
    fnd::FileManager::removeItemAtPath(documentsPath(kBootScriptFile));
    fnd::FileManager::removeItemAtPath(documentsPath(kClientScriptFile));
    return initialize();
}

bool MNDatabase::initialize() {
    close();
    fnd::FileManager::createDirectoryAtPath(fnd::AppFolders::documents());
    auto opened = fnd::SqlDatabase::open(path());
    if (!opened) {
        ZLOG_TO(kMarlinLog, Error, "ERROR: Failed to open database with message '%s'.",
                fnd::sqlMessage(opened.error()));
        return false;
    }
    database_.emplace(std::move(opened).value());
    bool ok = createTable(kSettingsTable);
    ok = setRecordIDTableString("version", kSettingsTable, kVersion) && ok;
    ok = run("CREATE TABLE javascript ('filename' TEXT PRIMARY KEY, 'script' BLOB)", {}) && ok;
    return ok;
}

bool MNDatabase::validTable(std::string_view table) {
    bool valid = !table.empty() && table.size() <= 128;
    for (size_t i = 0; valid && i < table.size(); ++i) {
        char c = table[i];
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        valid = letter || (i > 0 && c >= '0' && c <= '9');
    }
    if (!valid) {
        ZLOG_TO(kMarlinLog, Warn, "MNDatabase: refused the table name %s (not an identifier)", fnd::logPreview(table));
    }
    return valid;
}

fnd::Value MNDatabase::sqlExecute(std::string_view sql) {
    return sqlExecute(sql, {});
}

fnd::Value MNDatabase::sqlExecute(std::string_view sql, const std::vector<fnd::Value>& binds) {
    fnd::Value rows = fnd::Value::array();
    if (!database_) {
        return rows;
    }
    auto prepared = database_->prepare(sql);
    if (!prepared) {
        ZLOG_TO(kMarlinLog, Warn, "WARNING: SQL statement '%@' could not be prepared, error %s.", fnd::logPreview(sql),
                fnd::sqlMessage(prepared.error()));
        return rows;
    }
    fnd::SqlStatement& statement = *prepared;
    for (size_t i = 0; i < binds.size(); ++i) {
        if (auto bound = bindValue(statement, static_cast<int>(i) + 1, binds[i]); !bound) {
            ZLOG_TO(kMarlinLog, Warn, "WARNING: SQL statement '%@' could not bind a value, error %s.",
                    fnd::logPreview(sql), fnd::sqlMessage(bound.error()));
            return rows;
        }
    }
    for (;;) {
        auto step = statement.step();
        if (!step) {
            ZLOG_TO(kMarlinLog, Warn, "WARNING: SQL statement '%@' failed, error %s.", fnd::logPreview(sql),
                    fnd::sqlMessage(step.error()));
            break;
        }
        if (*step == fnd::SqlStep::Done) {
            break;
        }
        fnd::Value row = fnd::Value::array();
        for (int i = 0; i < statement.columnCount(); ++i) {
            switch (statement.columnType(i)) {
            case fnd::SqlType::Integer:
                row.asArray()->addObject(statement.columnInt64(i));
                break;
            case fnd::SqlType::Float:
                row.asArray()->addObject(statement.columnDouble(i));
                break;
            case fnd::SqlType::Text:
                row.asArray()->addObject(statement.columnText(i));
                break;
            case fnd::SqlType::Blob:
                row.asArray()->addObject(statement.columnBlob(i));
                break;
            case fnd::SqlType::Null:
                row.asArray()->addObject(fnd::Value());
                break;
            }
        }
        rows.asArray()->addObject(std::move(row));
    }
    return rows;
}

bool MNDatabase::run(const std::string& sql, const std::vector<fnd::Value>& binds) {
    if (!database_) {
        ZLOG_TO(kMarlinLog, Error, "ERROR: the store is not open for '%@'.", sql);
        return false;
    }
    auto prepared = database_->prepare(sql);
    if (!prepared) {
        ZLOG_TO(kMarlinLog, Error, "ERROR: SQL statement '%@' could not be prepared, error %s.", sql,
                fnd::sqlMessage(prepared.error()));
        return false;
    }
    for (size_t i = 0; i < binds.size(); ++i) {
        if (auto bound = bindValue(*prepared, static_cast<int>(i) + 1, binds[i]); !bound) {
            ZLOG_TO(kMarlinLog, Error, "ERROR: SQL statement '%@' could not bind a value, error %s.", sql,
                    fnd::sqlMessage(bound.error()));
            return false;
        }
    }
    for (;;) {
        auto step = prepared->step();
        if (!step) {
            ZLOG_TO(kMarlinLog, Error, "ERROR: SQL statement '%@' failed, error %s.", sql,
                    fnd::sqlMessage(step.error()));
            return false;
        }
        if (*step == fnd::SqlStep::Done) {
            return true;
        }
    }
}

bool MNDatabase::createTable(std::string_view table) {
    return validTable(table) && run(fnd::format("CREATE TABLE %@ ('id' TEXT PRIMARY KEY, 'data' BLOB)", table), {});
}

bool MNDatabase::dropTable(std::string_view table) {
    return validTable(table) && run(fnd::format("DROP TABLE %@", table), {});
}

bool MNDatabase::removeRecordID(std::string_view id, std::string_view table) {
    return validTable(table) && run(fnd::format("DELETE FROM %@ WHERE id=?", table), {fnd::Value(id)});
}

bool MNDatabase::setRecordIDTableData(std::string_view id, std::string_view table, const fnd::Bytes& data) {
    return removeRecordID(id, table) &&
           run(fnd::format("INSERT INTO %@ (data, id) VALUES(?, ?)", table), {fnd::Value(B64Encode(data)), id});
}

bool MNDatabase::setRecordIDTableValue(std::string_view id, std::string_view table, int64_t value) {
    return removeRecordID(id, table) &&
           run(fnd::format("INSERT INTO %@ (data, id) VALUES(?, ?)", table), {fnd::Value(value), id});
}

bool MNDatabase::setRecordIDTableString(std::string_view id, std::string_view table, std::string_view text) {
    return removeRecordID(id, table) &&
           run(fnd::format("INSERT INTO %@ (data, id) VALUES(?, ?)", table), {fnd::Value(text), id});
}

std::optional<fnd::Value> MNDatabase::recordData(std::string_view id, std::string_view table) {
    if (!validTable(table) || !database_) {
        return std::nullopt;
    }
    std::string sql = fnd::format("SELECT data FROM %@ WHERE id=?", table);
    auto prepared = database_->prepare(sql);
    if (!prepared) {
        ZLOG_TO(kMarlinLog, Warn, "WARNING: SQL statement '%@' could not be prepared, error %s.", sql,
                fnd::sqlMessage(prepared.error()));
        return std::nullopt;
    }
    if (auto bound = prepared->bindText(1, id); !bound) {
        return std::nullopt;
    }
    auto step = prepared->step();
    if (!step || *step != fnd::SqlStep::Row) {
        return std::nullopt;
    }
    switch (prepared->columnType(0)) {
    case fnd::SqlType::Integer:
        return fnd::Value(prepared->columnInt64(0));
    case fnd::SqlType::Float:
        return fnd::Value(prepared->columnDouble(0));
    case fnd::SqlType::Blob:
        return fnd::Value(prepared->columnBlob(0));
    case fnd::SqlType::Null:
        return fnd::Value();
    case fnd::SqlType::Text:
        break;
    }
    return fnd::Value(prepared->columnText(0));
}

std::optional<fnd::Bytes> MNDatabase::dataForRecordID(std::string_view id, std::string_view table) {
    auto value = recordData(id, table);
    if (!value) {
        return std::nullopt;
    }
    if (const fnd::Bytes* blob = value->asData()) {
        return B64Decode(std::string_view(reinterpret_cast<const char*>(blob->data()), blob->size()));
    }
    return B64Decode(value->stringValue());
}

std::optional<std::string> MNDatabase::stringForRecordID(std::string_view id, std::string_view table) {
    auto value = recordData(id, table);
    if (!value || value->isNull()) {
        return std::nullopt;
    }
    if (const fnd::Bytes* blob = value->asData()) {
        return std::string(blob->begin(), blob->end());
    }
    return value->stringValue();
}

int64_t MNDatabase::valueForRecordID(std::string_view id, std::string_view table, int64_t defaultValue) {
    auto value = recordData(id, table);
    if (!value) {
        return defaultValue;
    }
    return value->longLongValue();
}

std::vector<std::string> MNDatabase::recordIDsForTable(std::string_view table) {
    std::vector<std::string> ids;
    if (!validTable(table)) {
        return ids;
    }
    fnd::Value rows = sqlExecute(fnd::format("SELECT id FROM %@", table));
    for (const fnd::Value& row : rows.asArray()->items()) {
        ids.push_back(row.asArray()->objectAtIndex(0).stringValue());
    }
    return ids;
}

} // namespace zelvan::marlin
