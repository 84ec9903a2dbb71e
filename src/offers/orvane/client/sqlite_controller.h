// SqliteController: the local store of bought virtual goods - the items in orvane_VGStoreItems and their
// attributes in orvane_VGStoreItemAttribute - over fnd's SQLite wrapper, opened (and the tables made) on
// first use. A file at the path that is not this store is moved aside and a fresh one made. Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offers/orvane/client/orv_goods_records.h"
#include "platform/foundation/sql_database.h"

namespace zelvan::orvane {

class SqliteController {
public:
    // The store's file name under Documents.
    static constexpr const char* kFileName = "orvane_goods.sqlite";
    // What a file that is not this store is renamed to (its name + this).
    static constexpr const char* kSetAsideSuffix = ".damaged";

    // The store at `path` (not opened until first use).
    explicit SqliteController(std::string path);
    // <Documents>/kFileName.
    static std::string defaultPath();
    // The context's store; null without a context (orvane_entry_points.cpp).
    static std::shared_ptr<SqliteController> sharedInstance();

    // True when orvane_VGStoreItems holds a row with that id.
    bool storeItemIDExists(const std::string& storeItemId);
    // Stores the item and its attributes in one transaction (an item stored before is replaced, with
    // its attributes). False (logged) when the store cannot be written.
    bool saveVirtualGoodData(const ORVLocalVGStoreItem& item);
    // The stored ids, in the order they were stored.
    std::vector<std::string> getPurchasedItemsIDArray();
    // Every stored item with its attributes and file paths, in the order they were stored.
    std::vector<ORVLocalVGStoreItem> getAllPurchasedItems();

    const std::string& path() const { return path_; }
    // Closes the file (the next use opens it again).
    void close() { database_.reset(); }

private:
    // The open store, opening (and on a foreign file, replacing) it; null when it cannot be opened.
    fnd::SqlDatabase* database();
    bool openAndCheck();

    std::string path_;
    std::optional<fnd::SqlDatabase> database_;
};

} // namespace zelvan::orvane
