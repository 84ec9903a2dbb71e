// LocalStore: the catalogue property list read through fnd::PropertyList, and unfinished transactions kept as
// an XML property list written atomically under Library/Store/.
#include "platform/device/local_store.h"

#include <filesystem>

#include "platform/foundation/app_folders.h"
#include "platform/foundation/array.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/log.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/run_loop.h"

namespace device {
namespace {

constexpr std::string_view kErrorDomain = "LocalStore";

std::string text(const fnd::Dictionary& d, std::string_view key) {
    const fnd::Value* v = d.find(std::string(key));
    return v != nullptr && v->isString() ? *v->asString() : std::string();
}

} // namespace

std::string LocalStore::transactionsPath() {
    return fnd::AppFolders::library() + "/Store/Transactions.plist";
}

fnd::Result<std::map<std::string, Product>> LocalStore::catalogue() {
    if (catalogue_) {
        return *catalogue_;
    }
    auto path = fnd::Bundle::main().pathForResource("store_catalog", "plist");
    auto bytes = path ? fnd::readFile(*path) : std::nullopt;
    if (!bytes) {
        return fnd::Error(std::string(kErrorDomain), 1, std::string_view("the store catalogue is missing"));
    }
    auto read = fnd::PropertyList::read(*bytes);
    const fnd::Value* list = read && read->isDictionary() ? read->asDictionary()->find("Products") : nullptr;
    if (list == nullptr || !list->isArray()) {
        ZLOG(Warn, "LocalStore: %s is not a store catalogue", *path);
        return fnd::Error(std::string(kErrorDomain), 2, std::string_view("the store catalogue cannot be read"));
    }
    std::map<std::string, Product> products;
    for (const fnd::Value& item : *list->asArray()) {
        auto d = item.asDictionary();
        if (!d || text(*d, "ProductIdentifier").empty()) {
            ZLOG(Warn, "LocalStore: skipped a catalogue entry without a product identifier");
            continue;
        }
        Product p{text(*d, "ProductIdentifier"), text(*d, "Title"), text(*d, "Description"),
                  fnd::Value::decimal(text(*d, "Price")), text(*d, "PriceLocale")};
        if (p.priceLocale.empty()) {
            p.priceLocale = "en_US";
        }
        products[p.productIdentifier] = std::move(p);
    }
    catalogue_ = std::move(products);
    return *catalogue_;
}

void LocalStore::requestProducts(const std::set<std::string>& identifiers, ProductsAnswer answer) {
    fnd::Result<ProductsResponse> result = ProductsResponse();
    auto products = catalogue();
    if (!products) {
        result = products.error();
    } else {
        for (const std::string& id : identifiers) {
            auto it = products->find(id);
            it != products->end() ? result->products.push_back(it->second)
                                  : result->invalidProductIdentifiers.push_back(id);
        }
    }
    fnd::RunLoop::main().post([answer, result] { answer(result); });
}

void LocalStore::submit(const TransactionRecord&, Outcome outcome) {
    fnd::RunLoop::main().post([outcome] { outcome(TransactionState::Purchased, 0); });
}

std::vector<TransactionRecord> LocalStore::unfinishedTransactions() {
    std::vector<TransactionRecord> out;
    if (!fnd::FileManager::fileExistsAtPath(transactionsPath())) {
        return out;
    }
    auto bytes = fnd::readFile(transactionsPath());
    auto read = bytes ? fnd::PropertyList::read(*bytes) : fnd::Result<fnd::Value>(fnd::Error("LocalStore", 3));
    if (!read || !read->isArray()) {
        ZLOG(Warn, "LocalStore: the kept transactions cannot be read; starting without them");
        return out;
    }
    for (const fnd::Value& item : *read->asArray()) {
        auto d = item.asDictionary();
        const fnd::Value* state = d ? d->find("State") : nullptr;
        const fnd::Value* date = d ? d->find("Date") : nullptr;
        if (!d || text(*d, "TransactionIdentifier").empty() || text(*d, "ProductIdentifier").empty() ||
            state == nullptr || !state->isInt() || state->intValue() < 0 || state->intValue() > 3) {
            ZLOG(Warn, "LocalStore: skipped a kept transaction that is not whole");
            continue;
        }
        TransactionRecord r;
        r.transactionIdentifier = text(*d, "TransactionIdentifier");
        r.payment.productIdentifier = text(*d, "ProductIdentifier");
        r.payment.quantity = std::max(1, d->find("Quantity") ? d->find("Quantity")->intValue() : 1);
        r.date = date != nullptr && date->isDate() ? *date->asDate() : fnd::Date();
        r.state = static_cast<TransactionState>(state->intValue());
        r.errorCode = d->find("ErrorCode") ? d->find("ErrorCode")->intValue() : 0;
        out.push_back(std::move(r));
    }
    return out;
}

void LocalStore::saveUnfinishedTransactions(const std::vector<TransactionRecord>& transactions) {
    auto list = fnd::Array::make();
    for (const TransactionRecord& r : transactions) {
        list->addObject(fnd::Value(fnd::Dictionary::make({
            {"TransactionIdentifier", fnd::Value(r.transactionIdentifier)},
            {"ProductIdentifier", fnd::Value(r.payment.productIdentifier)},
            {"Quantity", fnd::Value(int64_t{r.payment.quantity})},
            {"Date", fnd::Value(r.date)},
            {"State", fnd::Value(static_cast<int64_t>(r.state))},
            {"ErrorCode", fnd::Value(int64_t{r.errorCode})},
        })));
    }
    auto xml = fnd::PropertyList::write(fnd::Value(list));
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(transactionsPath()).parent_path(), ec);
    if (!xml || !fnd::writeFile(transactionsPath(), fnd::Bytes(xml->begin(), xml->end()))) {
        ZLOG(Warn, "LocalStore: cannot keep the unfinished transactions");
    }
}

} // namespace device
