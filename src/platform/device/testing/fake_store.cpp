// FakeStore's backend: scripted outcomes delivered on the main loop, pending ones queued by transaction
// identifier so a resubmission after a restart takes over the outcome.
#include "platform/device/testing/fake_store.h"

#include "platform/device/payment_queue.h"
#include "platform/foundation/run_loop.h"

namespace device::testing {

struct FakeStore::Backend : StoreBackend {
    std::map<std::string, Product> catalogue;
    std::map<std::string, Script> scripts;
    bool can = true;
    std::optional<int> failProducts;
    std::deque<std::pair<std::string, Outcome>> pending; // oldest first
    std::vector<TransactionRecord> kept;

    bool canMakePayments() override { return can; }
    void requestProducts(const std::set<std::string>& ids, ProductsAnswer answer) override {
        fnd::Result<ProductsResponse> result = ProductsResponse();
        if (failProducts) {
            result = fnd::Error("FakeStore", *failProducts, std::string_view("scripted failure"));
            failProducts.reset();
        } else {
            for (const auto& id : ids) {
                auto it = catalogue.find(id);
                it != catalogue.end() ? result->products.push_back(it->second)
                                      : result->invalidProductIdentifiers.push_back(id);
            }
        }
        fnd::RunLoop::main().post([answer, result] { answer(result); });
    }
    void submit(const TransactionRecord& t, Outcome outcome) override {
        for (auto& p : pending) {
            if (p.first == t.transactionIdentifier) {
                p.second = outcome; // resubmitted after a restart
                return;
            }
        }
        const Script script =
            scripts.count(t.payment.productIdentifier) ? scripts[t.payment.productIdentifier] : Script{};
        if (!can) {
            fnd::RunLoop::main().post([outcome] {
                outcome(TransactionState::Failed, static_cast<int>(PaymentErrorCode::PaymentNotAllowed));
            });
        } else if (script.kind == Script::Kind::Pending) {
            pending.emplace_back(t.transactionIdentifier, outcome);
        } else if (script.kind == Script::Kind::Fail) {
            fnd::RunLoop::main().post([outcome, code = script.errorCode] { outcome(TransactionState::Failed, code); });
        } else {
            fnd::RunLoop::main().post([outcome] { outcome(TransactionState::Purchased, 0); });
        }
    }
    std::vector<TransactionRecord> unfinishedTransactions() override { return kept; }
    void saveUnfinishedTransactions(const std::vector<TransactionRecord>& t) override { kept = t; }
};

FakeStore::FakeStore() : backend_(std::make_shared<Backend>()) {
    PaymentQueue::resetDefaultQueue();
    installStoreBackend(backend_);
}
FakeStore::~FakeStore() {
    PaymentQueue::resetDefaultQueue();
    installStoreBackend(nullptr);
}
void FakeStore::addProduct(Product product) {
    backend_->catalogue[product.productIdentifier] = std::move(product);
}
void FakeStore::setOutcome(const std::string& productIdentifier, Script script) {
    backend_->scripts[productIdentifier] = script;
}
void FakeStore::setCanMakePayments(bool can) {
    backend_->can = can;
}
void FakeStore::failNextProductsRequest(int code) {
    backend_->failProducts = code;
}
bool FakeStore::completeNext() {
    if (backend_->pending.empty()) {
        return false;
    }
    auto outcome = backend_->pending.front().second;
    backend_->pending.pop_front();
    fnd::RunLoop::main().post([outcome] { outcome(TransactionState::Purchased, 0); });
    return true;
}
size_t FakeStore::pendingCount() const {
    return backend_->pending.size();
}

} // namespace device::testing
