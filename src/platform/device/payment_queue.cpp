// PaymentQueue: transactions from payment to finish, persisted through the backend after every change, with
// outcomes routed by transaction identifier to whichever queue is current (so a restart loses nothing).
#include "platform/device/payment_queue.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "platform/device/backends.h"
#include "platform/foundation/date_formatter.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/uuid.h"

namespace device {
namespace {

std::shared_ptr<PaymentQueue>* current = nullptr;

} // namespace

std::optional<fnd::Error> PaymentTransaction::error() const {
    if (r_.state != TransactionState::Failed) {
        return std::nullopt;
    }
    return fnd::Error(std::string(kErrorDomain), r_.errorCode, std::string_view("The payment did not go through"));
}

fnd::Bytes PaymentTransaction::transactionReceipt() const {
    if (r_.state != TransactionState::Purchased && r_.state != TransactionState::Restored) {
        return {};
    }
    const fnd::DateFormatter dates("yyyy-MM-dd HH:mm z", *fnd::Locale::withIdentifier("en_US"), fnd::TimeZone::utc());
    const nlohmann::ordered_json receipt = {{"product-id", r_.payment.productIdentifier},
                                            {"transaction-id", r_.transactionIdentifier},
                                            {"purchase-date", dates.stringFromDate(r_.date)},
                                            {"store", "zelvan-local"}};
    // Ill-formed UTF-8 in an identifier becomes U+FFFD rather than failing the receipt.
    const std::string json = receipt.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    return fnd::Bytes(json.begin(), json.end());
}

void PaymentTransaction::update(TransactionState state, int errorCode) {
    r_.state = state;
    r_.errorCode = state == TransactionState::Failed ? errorCode : 0;
}

PaymentQueue& PaymentQueue::defaultQueue() {
    if (current == nullptr || !*current) {
        if (current == nullptr) {
            current = new std::shared_ptr<PaymentQueue>; // never destroyed: outcomes may arrive late
        }
        *current = std::shared_ptr<PaymentQueue>(new PaymentQueue);
        for (const auto& t : (*current)->transactions_) {
            if (t->transactionState() == TransactionState::Purchasing) {
                (*current)->submit(t);
            }
        }
    }
    return **current;
}

void PaymentQueue::resetDefaultQueue() {
    if (current != nullptr) {
        current->reset();
    }
}

PaymentQueue::PaymentQueue() {
    for (const TransactionRecord& record : storeBackend()->unfinishedTransactions()) {
        transactions_.push_back(std::make_shared<PaymentTransaction>(record));
    }
}

bool PaymentQueue::canMakePayments() {
    return storeBackend()->canMakePayments();
}

void PaymentQueue::addPayment(const Payment& payment) {
    TransactionRecord record;
    record.transactionIdentifier = fnd::uuidString();
    record.payment = payment;
    record.payment.quantity = std::max(1, payment.quantity);
    record.date = fnd::Date::now();
    auto transaction = std::make_shared<PaymentTransaction>(record);
    transactions_.push_back(transaction);
    save();
    tell({transaction}, false);
    submit(transaction);
}

void PaymentQueue::submit(const std::shared_ptr<PaymentTransaction>& transaction) {
    const std::string id = transaction->transactionIdentifier();
    storeBackend()->submit(transaction->record(), [id](TransactionState state, int errorCode) {
        PaymentQueue::defaultQueue().outcome(id, state, errorCode);
    });
}

void PaymentQueue::outcome(const std::string& transactionIdentifier, TransactionState state, int errorCode) {
    auto it = std::find_if(transactions_.begin(), transactions_.end(),
                           [&](const auto& t) { return t->transactionIdentifier() == transactionIdentifier; });
    if (it == transactions_.end() || (*it)->transactionState() != TransactionState::Purchasing) {
        ZLOG(Warn, "PaymentQueue: ignored an outcome for unknown or settled transaction %s", transactionIdentifier);
        return;
    }
    (*it)->update(state, errorCode);
    save();
    tell({*it}, false);
}

void PaymentQueue::finishTransaction(const std::shared_ptr<PaymentTransaction>& transaction) {
    auto it = std::find(transactions_.begin(), transactions_.end(), transaction);
    if (it == transactions_.end()) {
        return;
    }
    if (transaction->transactionState() == TransactionState::Purchasing) {
        ZLOG(Warn, "PaymentQueue: cannot finish transaction %s while it is purchasing",
             transaction->transactionIdentifier());
        return;
    }
    transactions_.erase(it);
    save();
    tell({transaction}, true);
}

void PaymentQueue::addTransactionObserver(std::weak_ptr<PaymentTransactionObserver> observer) {
    observers_.push_back(observer);
    if (!transactions_.empty()) {
        tell(transactions_, false, observer);
    }
}

void PaymentQueue::removeTransactionObserver(const std::shared_ptr<PaymentTransactionObserver>& observer) {
    std::erase_if(observers_, [&](const auto& o) { return o.expired() || o.lock() == observer; });
}

void PaymentQueue::save() {
    std::vector<TransactionRecord> records;
    for (const auto& t : transactions_) {
        records.push_back(t->record());
    }
    storeBackend()->saveUnfinishedTransactions(records);
}

void PaymentQueue::tell(std::vector<std::shared_ptr<PaymentTransaction>> list, bool removed,
                        std::weak_ptr<PaymentTransactionObserver> only) {
    std::weak_ptr<PaymentQueue> weak = weak_from_this();
    const bool toOne = !only.expired();
    fnd::RunLoop::main().post([weak, list, removed, only, toOne] {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        auto targets = toOne ? std::vector<std::weak_ptr<PaymentTransactionObserver>>{only} : self->observers_;
        for (const auto& o : targets) {
            if (auto observer = o.lock()) {
                removed ? observer->paymentQueueRemovedTransactions(*self, list)
                        : observer->paymentQueueUpdatedTransactions(*self, list);
            }
        }
    });
}

} // namespace device
