// The in-app store: purchases, failures with their codes, a purchase pending until completed, replay of
// unfinished transactions after a restart, products and their failure, receipts, and the local store's
// catalogue and kept transactions.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/device/local_store.h"
#include "platform/device/payment_queue.h"
#include "platform/device/products_request.h"
#include "platform/device/testing/fake_store.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/run_loop.h"

namespace device {
namespace {

using State = TransactionState;

struct Observer : PaymentTransactionObserver {
    std::vector<std::pair<std::string, State>> updates; // product, state
    std::vector<std::string> removed;
    std::vector<std::shared_ptr<PaymentTransaction>> last;
    void paymentQueueUpdatedTransactions(PaymentQueue&,
                                         const std::vector<std::shared_ptr<PaymentTransaction>>& list) override {
        for (const auto& t : list) {
            updates.emplace_back(t->payment().productIdentifier, t->transactionState());
            last.push_back(t);
        }
    }
    void paymentQueueRemovedTransactions(PaymentQueue&,
                                         const std::vector<std::shared_ptr<PaymentTransaction>>& list) override {
        for (const auto& t : list) {
            removed.push_back(t->payment().productIdentifier);
        }
    }
};

struct ProductsRecorder : ProductsRequestDelegate {
    std::optional<ProductsResponse> response;
    std::optional<fnd::Error> error;
    int finished = 0;
    void productsRequestDidReceiveResponse(ProductsRequest&, const ProductsResponse& r) override { response = r; }
    void requestDidFinish(ProductsRequest&) override { ++finished; }
    void requestDidFailWithError(ProductsRequest&, const fnd::Error& e) override { error = e; }
};

void pump() {
    fnd::RunLoop::main().runUntilIdle();
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { fnd::ManualClock::install(); }
    void TearDown() override { fnd::Clock::install(nullptr); }
};

TEST_F(StoreTest, PurchasesFailuresAndReceipts) {
    testing::FakeStore store;
    store.setOutcome("bad", {testing::FakeStore::Script::Kind::Fail, 2});
    auto observer = std::make_shared<Observer>();
    PaymentQueue& queue = PaymentQueue::defaultQueue();
    queue.addTransactionObserver(observer);
    queue.addPayment(Payment{"chips.\"big\"\\1"});
    queue.addPayment(Payment{"bad"});
    EXPECT_TRUE(observer->updates.empty()); // delivered on later passes
    pump();
    EXPECT_EQ(observer->updates, (std::vector<std::pair<std::string, State>>{{"chips.\"big\"\\1", State::Purchasing},
                                                                             {"bad", State::Purchasing},
                                                                             {"chips.\"big\"\\1", State::Purchased},
                                                                             {"bad", State::Failed}}));
    auto bought = observer->last[2];
    auto failed = observer->last[3];
    ASSERT_TRUE(failed->error());
    EXPECT_EQ(failed->error()->code(), 2);
    EXPECT_FALSE(bought->error());
    EXPECT_TRUE(failed->transactionReceipt().empty());
    const fnd::Bytes receipt = bought->transactionReceipt();
    EXPECT_EQ(std::string(receipt.begin(), receipt.end()),
              "{\"product-id\":\"chips.\\\"big\\\"\\\\1\",\"transaction-id\":\"" + bought->transactionIdentifier() +
                  "\",\"purchase-date\":\"" + "2010-01-01 00:00 GMT" + "\",\"store\":\"zelvan-local\"}")
        << "(the date is the manual clock's)";

    queue.finishTransaction(bought);
    queue.finishTransaction(failed);
    pump();
    EXPECT_EQ(observer->removed, (std::vector<std::string>{"chips.\"big\"\\1", "bad"}));
    EXPECT_TRUE(queue.transactions().empty());

    // Payments not allowed fail with code 4.
    store.setCanMakePayments(false);
    EXPECT_FALSE(PaymentQueue::canMakePayments());
    queue.addPayment(Payment{"x"});
    pump();
    EXPECT_EQ(observer->last.back()->error()->code(), static_cast<int>(PaymentErrorCode::PaymentNotAllowed));
}

TEST_F(StoreTest, PendingPurchaseSurvivesARestartAndCompletesThere) {
    testing::FakeStore store;
    store.setOutcome("slow", {testing::FakeStore::Script::Kind::Pending, 0});
    {
        auto observer = std::make_shared<Observer>();
        PaymentQueue::defaultQueue().addTransactionObserver(observer);
        PaymentQueue::defaultQueue().addPayment(Payment{"slow", 3});
        pump();
        EXPECT_EQ(observer->updates.size(), 1u); // still purchasing
        // Finishing a purchasing transaction is refused.
        PaymentQueue::defaultQueue().finishTransaction(observer->last[0]);
        EXPECT_EQ(PaymentQueue::defaultQueue().transactions().size(), 1u);
    }
    PaymentQueue::resetDefaultQueue(); // a restart
    auto observer = std::make_shared<Observer>();
    PaymentQueue& queue = PaymentQueue::defaultQueue();
    ASSERT_EQ(queue.transactions().size(), 1u);
    EXPECT_EQ(queue.transactions()[0]->payment().quantity, 3);
    queue.addTransactionObserver(observer);
    pump();
    ASSERT_EQ(observer->updates.size(), 1u); // replayed to the new observer
    EXPECT_EQ(observer->updates[0].second, State::Purchasing);
    EXPECT_EQ(store.pendingCount(), 1u);
    EXPECT_TRUE(store.completeNext());
    pump();
    EXPECT_EQ(observer->updates.back(), (std::pair<std::string, State>{"slow", State::Purchased}));
    EXPECT_FALSE(store.completeNext());
}

TEST_F(StoreTest, ProductsAndTheirFailure) {
    testing::FakeStore store;
    store.addProduct(Product{"chips", "Chips", "A stack", fnd::Value::decimal("0.99"), "en_US"});
    auto recorder = std::make_shared<ProductsRecorder>();
    {
        auto request = ProductsRequest::create({"chips", "nope"});
        request->setDelegate(recorder);
        request->start();
    } // the request holds itself until answered
    pump();
    ASSERT_TRUE(recorder->response);
    ASSERT_EQ(recorder->response->products.size(), 1u);
    EXPECT_EQ(recorder->response->products[0].price.description(), "0.99");
    EXPECT_EQ(recorder->response->invalidProductIdentifiers, std::vector<std::string>{"nope"});
    EXPECT_EQ(recorder->finished, 1);

    store.failNextProductsRequest(5);
    auto failing = std::make_shared<ProductsRecorder>();
    auto request = ProductsRequest::create({"chips"});
    request->setDelegate(failing);
    request->start();
    pump();
    EXPECT_FALSE(failing->response);
    ASSERT_TRUE(failing->error);
    EXPECT_EQ(failing->error->code(), 5);

    // A cancelled request hears nothing.
    auto cancelled = std::make_shared<ProductsRecorder>();
    request = ProductsRequest::create({"chips"});
    request->setDelegate(cancelled);
    request->start();
    request->cancel();
    pump();
    EXPECT_FALSE(cancelled->response);
    EXPECT_EQ(cancelled->finished, 0);
}

TEST_F(StoreTest, LocalStoreReadsTheBundleCatalogueAndKeepsTransactions) {
    auto local = std::make_shared<LocalStore>();
    installStoreBackend(local);
    PaymentQueue::resetDefaultQueue();
    auto recorder = std::make_shared<ProductsRecorder>();
    auto request = ProductsRequest::create({"com.zelvan.chips.small", "unknown"});
    request->setDelegate(recorder);
    request->start();
    pump();
    ASSERT_TRUE(recorder->response);
    ASSERT_EQ(recorder->response->products.size(), 1u);
    EXPECT_EQ(recorder->response->products[0].price.description(), "0.99");
    EXPECT_EQ(recorder->response->products[0].priceLocale, "en_US");

    auto observer = std::make_shared<Observer>();
    PaymentQueue::defaultQueue().addTransactionObserver(observer);
    PaymentQueue::defaultQueue().addPayment(Payment{"com.zelvan.chips.small"});
    pump();
    ASSERT_EQ(observer->updates.back().second, State::Purchased);
    EXPECT_TRUE(fnd::FileManager::fileExistsAtPath(LocalStore::transactionsPath()));

    // Unfinished (purchased, not yet finished) transactions come back after a restart.
    const std::string id = observer->last.back()->transactionIdentifier();
    installStoreBackend(std::make_shared<LocalStore>());
    PaymentQueue::resetDefaultQueue();
    ASSERT_EQ(PaymentQueue::defaultQueue().transactions().size(), 1u);
    auto again = PaymentQueue::defaultQueue().transactions()[0];
    EXPECT_EQ(again->transactionIdentifier(), id);
    EXPECT_EQ(again->transactionState(), State::Purchased);
    PaymentQueue::defaultQueue().finishTransaction(again);
    installStoreBackend(std::make_shared<LocalStore>());
    PaymentQueue::resetDefaultQueue();
    EXPECT_TRUE(PaymentQueue::defaultQueue().transactions().empty());
    PaymentQueue::resetDefaultQueue();
    installStoreBackend(nullptr);
    pump();
}

} // namespace
} // namespace device
