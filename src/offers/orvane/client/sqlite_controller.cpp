// The local store of bought goods: every value bound as a parameter, the item and its attributes written
// in one transaction.
#include "offers/orvane/client/sqlite_controller.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "offers/orvane/client/orv_log.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/paths.h"
#include "platform/foundation/sql_transaction.h"

namespace zelvan::orvane {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS orvane_VGStoreItems (VGStoreItemID TEXT PRIMARY KEY NOT NULL, "
    "AppleProductID TEXT, Price INTEGER, Name TEXT, Description TEXT, ItemTypeName TEXT, ItemsOwned INTEGER, "
    "ThumbImageName TEXT, FullImageName TEXT, DataFileName TEXT, CurrencyName TEXT);"
    "CREATE TABLE IF NOT EXISTS orvane_VGStoreItemAttribute (VGStoreItemID TEXT NOT NULL, AttributeName TEXT, "
    "AttributeValue TEXT);"
    "CREATE INDEX IF NOT EXISTS orvane_VGStoreItemAttribute_item ON orvane_VGStoreItemAttribute (VGStoreItemID);";

// Reads every column the store uses, so a table of another shape fails here.
constexpr const char* kProbe =
    "SELECT i.VGStoreItemID, i.AppleProductID, i.Price, i.Name, i.Description, i.ItemTypeName, i.ItemsOwned, "
    "i.ThumbImageName, i.FullImageName, i.DataFileName, i.CurrencyName, a.AttributeName, a.AttributeValue "
    "FROM orvane_VGStoreItems i, orvane_VGStoreItemAttribute a LIMIT 0";

constexpr const char* kSelectItems =
    "SELECT VGStoreItemID, AppleProductID, Price, Name, Description, ItemTypeName, ItemsOwned, ThumbImageName, "
    "FullImageName, DataFileName, CurrencyName FROM orvane_VGStoreItems ORDER BY rowid";

int clampInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

SqliteController::SqliteController(std::string path) : path_(std::move(path)) {}

std::string SqliteController::defaultPath() {
    return fnd::appendingPathComponent(fnd::AppFolders::documents(), kFileName);
}

bool SqliteController::openAndCheck() {
    auto opened = fnd::SqlDatabase::open(path_);
    if (!opened) {
        ZLOG_TO(kOrvaneLog, Error, "offer network: the goods store %s could not be opened (%s)", path_,
                fnd::sqlMessage(opened.error()));
        return false;
    }
    fnd::SqlDatabase db = std::move(opened).value();
    db.setBusyTimeout(2000);
    auto made = db.exec(kSchema);
    if (!made) {
        ZLOG_TO(kOrvaneLog, Error, "ERROR: the goods store %s is not this store (%s); it is set aside", path_,
                fnd::sqlMessage(made.error()));
        return false;
    }
    if (auto probe = db.prepare(kProbe); !probe) {
        ZLOG_TO(kOrvaneLog, Error, "ERROR: the goods store %s is not this store (%s); it is set aside", path_,
                fnd::sqlMessage(probe.error()));
        return false;
    }
    database_.emplace(std::move(db));
    return true;
}

fnd::SqlDatabase* SqliteController::database() {
    if (database_) {
        return &*database_;
    }
    fnd::FileManager::createDirectoryAtPath(fnd::deletingLastPathComponent(path_));
    if (openAndCheck()) {
        return &*database_;
    }
    if (!fnd::FileManager::fileExistsAtPath(path_)) {
        return nullptr;
    }
    // Keep the foreign file for a look later, and start a fresh store in its place.
    std::error_code error;
    std::filesystem::rename(path_, path_ + kSetAsideSuffix, error);
    if (error) {
        ZLOG_TO(kOrvaneLog, Error, "offer network: the goods store %s could not be set aside (%s)", path_,
                error.message());
        return nullptr;
    }
    for (const char* journal : {"-journal", "-wal", "-shm"}) {
        fnd::FileManager::removeItemAtPath(path_ + journal);
    }
    return openAndCheck() ? &*database_ : nullptr;
}

bool SqliteController::storeItemIDExists(const std::string& storeItemId) {
    auto* db = database();
    if (!db) {
        return false;
    }
    auto statement = db->prepare("SELECT 1 FROM orvane_VGStoreItems WHERE VGStoreItemID = ?1 LIMIT 1");
    if (!statement || !statement->bindText(1, storeItemId)) {
        return false;
    }
    auto step = statement->step();
    return step && *step == fnd::SqlStep::Row;
}

bool SqliteController::saveVirtualGoodData(const ORVLocalVGStoreItem& item) {
    auto* db = database();
    if (!db) {
        return false;
    }
    auto failed = [&](const fnd::Error& error) {
        ZLOG_TO(kOrvaneLog, Error, "offer network: the bought item could not be stored (%s)", fnd::sqlMessage(error));
        return false;
    };
    auto transaction = fnd::SqlTransaction::begin(*db, fnd::SqlTransaction::Mode::Immediate);
    if (!transaction) {
        return failed(transaction.error());
    }
    auto insert = db->prepare("INSERT OR REPLACE INTO orvane_VGStoreItems (VGStoreItemID, AppleProductID, Price, "
                              "Name, Description, ItemTypeName, ItemsOwned, ThumbImageName, FullImageName, "
                              "DataFileName, CurrencyName) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    if (!insert) {
        return failed(insert.error());
    }
    fnd::Result<void> binds[] = {insert->bindText(1, item.VGStoreItemID),
                                 insert->bindText(2, item.AppleProductID),
                                 insert->bindInt64(3, item.Price),
                                 insert->bindText(4, item.Name),
                                 insert->bindText(5, item.Description),
                                 insert->bindText(6, item.VGStoreItemTypeName),
                                 insert->bindInt64(7, item.NumberOwned),
                                 insert->bindText(8, item.thumbImageFilePath()),
                                 insert->bindText(9, item.fullImageFilePath()),
                                 insert->bindText(10, item.dataFileDirPath()),
                                 insert->bindText(11, item.currencyName)};
    for (auto& bound : binds) {
        if (!bound) {
            return failed(bound.error());
        }
    }
    if (auto step = insert->step(); !step) {
        return failed(step.error());
    }
    auto drop = db->prepare("DELETE FROM orvane_VGStoreItemAttribute WHERE VGStoreItemID = ?1");
    if (!drop) {
        return failed(drop.error());
    }
    (void)drop->bindText(1, item.VGStoreItemID);
    if (auto step = drop->step(); !step) {
        return failed(step.error());
    }
    auto attribute = db->prepare("INSERT INTO orvane_VGStoreItemAttribute (VGStoreItemID, AttributeName, "
                                 "AttributeValue) VALUES (?1, ?2, ?3)");
    if (!attribute) {
        return failed(attribute.error());
    }
    for (const auto& value : item.AttributeValues) {
        attribute->reset();
        (void)attribute->bindText(1, item.VGStoreItemID);
        (void)attribute->bindText(2, value.attributeType);
        (void)attribute->bindText(3, value.attributeValue);
        if (auto step = attribute->step(); !step) {
            return failed(step.error());
        }
    }
    if (auto committed = transaction->commit(); !committed) {
        return failed(committed.error());
    }
    return true;
}

std::vector<std::string> SqliteController::getPurchasedItemsIDArray() {
    std::vector<std::string> ids;
    auto* db = database();
    if (!db) {
        return ids;
    }
    auto statement = db->prepare("SELECT VGStoreItemID FROM orvane_VGStoreItems ORDER BY rowid");
    while (statement) {
        auto step = statement->step();
        if (!step || *step == fnd::SqlStep::Done) {
            break;
        }
        ids.push_back(statement->columnText(0));
    }
    return ids;
}

std::vector<ORVLocalVGStoreItem> SqliteController::getAllPurchasedItems() {
    std::vector<ORVLocalVGStoreItem> items;
    auto* db = database();
    if (!db) {
        return items;
    }
    auto statement = db->prepare(kSelectItems);
    while (statement) {
        auto step = statement->step();
        if (!step || *step == fnd::SqlStep::Done) {
            break;
        }
        ORVLocalVGStoreItem item;
        item.VGStoreItemID = statement->columnText(0);
        item.AppleProductID = statement->columnText(1);
        item.Price = clampInt(statement->columnInt64(2));
        item.Name = statement->columnText(3);
        item.Description = statement->columnText(4);
        item.VGStoreItemTypeName = statement->columnText(5);
        item.NumberOwned = clampInt(statement->columnInt64(6));
        item.setThumbImageFilePath(statement->columnText(7));
        item.setFullImageFilePath(statement->columnText(8));
        item.setDataFileDirPath(statement->columnText(9));
        item.currencyName = statement->columnText(10);
        items.push_back(std::move(item));
    }
    auto attributes = db->prepare("SELECT AttributeName, AttributeValue FROM orvane_VGStoreItemAttribute WHERE "
                                  "VGStoreItemID = ?1 ORDER BY rowid");
    for (auto& item : items) {
        if (!attributes) {
            break;
        }
        attributes->reset();
        (void)attributes->bindText(1, item.VGStoreItemID);
        for (;;) {
            auto step = attributes->step();
            if (!step || *step == fnd::SqlStep::Done) {
                break;
            }
            item.AttributeValues.push_back({attributes->columnText(0), attributes->columnText(1)});
        }
    }
    return items;
}

} // namespace zelvan::orvane
