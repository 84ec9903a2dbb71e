// device::LocalStore: the desktop's store backend. Its catalogue is the bundle's store_catalog.plist, read at
// the first request (a property list rather than JSON, since the platform layer has no JSON reader); every
// purchase is approved; unfinished transactions are kept in Library/Store/.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/device/backends.h"

namespace device {

class LocalStore : public StoreBackend, public std::enable_shared_from_this<LocalStore> {
public:
    // The catalogue is a dictionary whose "Products" array holds one dictionary per product with the
    // strings "ProductIdentifier", "Title", "Description", "Price" (decimal text) and "PriceLocale".
    LocalStore() = default;
    bool canMakePayments() override { return true; }
    void requestProducts(const std::set<std::string>& identifiers, ProductsAnswer answer) override;
    void submit(const TransactionRecord& transaction, Outcome outcome) override;
    std::vector<TransactionRecord> unfinishedTransactions() override;
    void saveUnfinishedTransactions(const std::vector<TransactionRecord>& transactions) override;

    static std::string transactionsPath();

private:
    fnd::Result<std::map<std::string, Product>> catalogue();
    std::optional<std::map<std::string, Product>> catalogue_;
};

} // namespace device
