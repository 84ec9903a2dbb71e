// device::PaymentQueue and device::PaymentTransaction: purchases of store products. The queue hands payments
// to the installed StoreBackend, tells its observers about every change on the main loop, and keeps
// unfinished transactions through the backend so they come back after a restart. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/device/store_types.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/object.h"

namespace device {

class PaymentTransaction : public fnd::Object {
public:
    static constexpr std::string_view kErrorDomain = "PaymentErrorDomain";

    explicit PaymentTransaction(TransactionRecord record) : r_(std::move(record)) {}
    std::string className() const override { return "PaymentTransaction"; }

    TransactionState transactionState() const { return r_.state; }
    const Payment& payment() const { return r_.payment; }
    const std::string& transactionIdentifier() const { return r_.transactionIdentifier; }
    fnd::Date transactionDate() const { return r_.date; }
    // For a failed transaction, its code (PaymentErrorCode) in kErrorDomain.
    std::optional<fnd::Error> error() const;
    // For a purchased transaction: the UTF-8 bytes of a compact JSON object with "product-id",
    // "transaction-id", "purchase-date" ("yyyy-MM-dd HH:mm GMT") and "store": "zelvan-local". Empty otherwise.
    fnd::Bytes transactionReceipt() const;

    const TransactionRecord& record() const { return r_; }
    void update(TransactionState state, int errorCode);

private:
    TransactionRecord r_;
};

class PaymentQueue;

class PaymentTransactionObserver {
public:
    virtual ~PaymentTransactionObserver() = default;
    virtual void paymentQueueUpdatedTransactions(PaymentQueue& queue,
                                                 const std::vector<std::shared_ptr<PaymentTransaction>>& list) = 0;
    virtual void paymentQueueRemovedTransactions(PaymentQueue&,
                                                 const std::vector<std::shared_ptr<PaymentTransaction>>&) {}
};

class PaymentQueue : public std::enable_shared_from_this<PaymentQueue> {
public:
    // The process's queue, made on first use from the backend's unfinished transactions.
    static PaymentQueue& defaultQueue();
    // Test hook: drops the queue as a restart would; the next defaultQueue() is a new one.
    static void resetDefaultQueue();

    static bool canMakePayments();

    // A new transaction in Purchasing goes to the observers on the next pass and to the backend.
    void addPayment(const Payment& payment);
    // Removes a purchased, failed or restored transaction (a Purchasing one is refused with a log line);
    // observers hear of the removal on the next pass.
    void finishTransaction(const std::shared_ptr<PaymentTransaction>& transaction);
    // The transactions not yet finished, oldest first.
    const std::vector<std::shared_ptr<PaymentTransaction>>& transactions() const { return transactions_; }

    // Held weakly. An observer added while unfinished transactions exist hears them on the next pass.
    void addTransactionObserver(std::weak_ptr<PaymentTransactionObserver> observer);
    void removeTransactionObserver(const std::shared_ptr<PaymentTransactionObserver>& observer);

private:
    PaymentQueue();
    void outcome(const std::string& transactionIdentifier, TransactionState state, int errorCode);
    void submit(const std::shared_ptr<PaymentTransaction>& transaction);
    void save();
    void tell(std::vector<std::shared_ptr<PaymentTransaction>> list, bool removed,
              std::weak_ptr<PaymentTransactionObserver> only = {});

    std::vector<std::shared_ptr<PaymentTransaction>> transactions_;
    std::vector<std::weak_ptr<PaymentTransactionObserver>> observers_;
};

} // namespace device
