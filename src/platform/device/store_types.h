// Plain data of the in-app store shared by the payment queue, the products request and the store backends:
// payments, transaction states and records, and products.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/foundation/date.h"
#include "platform/foundation/value.h"

namespace device {

struct Payment {
    std::string productIdentifier;
    int quantity = 1;
};

// Values kept as the store clients compare them.
enum class TransactionState { Purchasing = 0, Purchased = 1, Failed = 2, Restored = 3 };

// Error codes of a failed transaction.
enum class PaymentErrorCode {
    Unknown = 0,
    ClientInvalid = 1,
    PaymentCancelled = 2,
    PaymentInvalid = 3,
    PaymentNotAllowed = 4
};

// One transaction as a backend keeps it between runs.
struct TransactionRecord {
    std::string transactionIdentifier;
    Payment payment;
    fnd::Date date;
    TransactionState state = TransactionState::Purchasing;
    int errorCode = 0;
};

struct Product {
    std::string productIdentifier;
    std::string localizedTitle;
    std::string localizedDescription;
    fnd::Value price;        // a Decimal
    std::string priceLocale; // a locale identifier ("en_US")
};

struct ProductsResponse {
    std::vector<Product> products;
    std::vector<std::string> invalidProductIdentifiers;
};

} // namespace device
