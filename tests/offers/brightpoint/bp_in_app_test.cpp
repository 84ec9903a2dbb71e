// The in-app currency store against the dev server's inventory and receipt routes on 127.0.0.1 and the
// scripted store: buttons in server order, purchases credited only after the server accepts the receipt,
// the retry prompt keeping the transaction, one check per transaction with two pages open, a closed page
// no longer observing, failures of every connection, and the reply readers.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "offers/brightpoint/bp_in_app_replies.h"
#include "offers/brightpoint/bp_in_app_view_controller.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/device/payment_queue.h"
#include "platform/device/testing/fake_store.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/testing/alert_driver.h"
#include "tests/offers/brightpoint/bp_wall_fixture.h"

namespace zelvan::brightpoint {
namespace {

using device::testing::FakeStore;
using ui::testing::AlertDriver;

fnd::Bytes bytes(std::string_view text) {
    return fnd::Bytes(text.begin(), text.end());
}

struct Credits : BrightpointDelegate {
    std::vector<int> amounts;
    void didReceiveCurrency(int amount) override { amounts.push_back(amount); }
};

class BPInAppTest : public BPWallFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(BPWallFixture::SetUp());
        Brightpoint::shared()->setDelegate(credits_);
        store_ = std::make_unique<FakeStore>();
        store_->addProduct({"A", "Alpha Gems", "", fnd::Value::decimal("0.99"), "en_US"});
        store_->addProduct({"C", "Charlie Gems", "", fnd::Value::decimal("1234.5"), "en_US"});
        configure("abc", "");
    }

    void releasePages() override {
        page_.reset();
        store_.reset();
        device::PaymentQueue::resetDefaultQueue();
    }

    // The wall's configuration with the inventory of `kind` and receipt checks answered by `answer`
    // (by product id when empty).
    void configure(const std::string& kind, const std::string& answer, const std::string& footer = "Short.") {
        const std::string bp = ads_.baseURL() + "/brightpoint";
        const std::string json = R"({"succ":"1","currency_name":"Gems","inapp_url":")" + bp + "/inapp?kind=" + kind +
                                 R"(","inapp_verify_url":")" + bp + "/inapp_verify?answer=" + answer +
                                 R"(","inapp_footer":")" + footer + R"("})";
        ASSERT_TRUE(Brightpoint::shared()->applyConfigurationReply(bytes(json)).showWall);
    }

    // A new store page, run until its overlay is gone.
    std::shared_ptr<BPInAppViewController> open() {
        page_ = std::make_shared<BPInAppViewController>(pageServices());
        window_->addSubview(page_->view());
        settle();
        return page_;
    }

    // Runs the main loop until no request is under way and the overlay is gone or an alert shows.
    void settle() {
        auto done = [&] { return AlertDriver::visible() || (page_ && !page_->isLoadingShown()); };
        for (int turn = 0; turn < 4; ++turn) {
            EXPECT_TRUE(fnd::RunLoop::main().pumpUntil(done, 20));
            // What the loop posted meanwhile may start a new request.
            fnd::RunLoop::main().runUntilIdle();
            if (done()) {
                return;
            }
        }
    }

    // Title and message of the alert in front, then taps `button` on it; "" without one.
    std::string answerAlert(const std::string& button = "OK") {
        fnd::RunLoop::main().runUntilIdle();
        auto alert = AlertDriver::visibleAlert();
        std::string text = alert ? alert->title() + "|" + alert->message() : "";
        if (alert) {
            AlertDriver::tap(button);
        }
        return text;
    }

    void buy(size_t index) {
        page_->buttons().at(index)->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
        settle();
    }

    std::vector<std::string> verifyBodies() {
        std::vector<std::string> out;
        for (auto& r : ads_.requests()) {
            if (r.path == "/brightpoint/inapp_verify") {
                out.push_back(r.body);
                EXPECT_EQ(r.method, "POST");
                EXPECT_EQ(r.header("Content-Type"), "application/x-www-form-urlencoded");
            }
        }
        return out;
    }

    static size_t pending() { return device::PaymentQueue::defaultQueue().transactions().size(); }

    std::shared_ptr<Credits> credits_ = std::make_shared<Credits>();
    std::unique_ptr<FakeStore> store_;
    std::shared_ptr<BPInAppViewController> page_;
};

TEST(BPInAppRepliesTest, InventoryAndReceiptDecisionsTakeOnlyTheRightKinds) {
    EXPECT_EQ(BPInventoryProductIds(bytes(R"([{"itunes_product_id":"A"},5,{"itunes_product_id":7},"C",)"
                                          R"({"id":"B"},{"itunes_product_id":"C"}])")),
              (std::vector<std::string>{"A", "C"}));
    for (const char* notAnArray : {R"({"itunes_product_id":"A"})", "", "junk", "[", "\"A\""}) {
        EXPECT_TRUE(BPInventoryProductIds(bytes(notAnArray)).empty()) << notAnArray;
    }

    using Kind = BPReceiptDecision::Kind;
    auto decide = [](std::string_view json) { return BPDecideReceipt(bytes(json)); };
    EXPECT_EQ(decide(R"({"succ":"1","currency_amount":"500"})").amount, 500);
    EXPECT_EQ(decide(R"({"succ":"1","currency_amount":" -12 gems"})").amount, -12);
    EXPECT_EQ(decide(R"({"succ":"1","currency_amount":"99999999999"})").amount, INT_MAX);
    EXPECT_EQ(decide(R"({"succ":"1","currency_amount":"-99999999999"})").amount, INT_MIN);
    EXPECT_EQ(decide(R"({"succ":"1","currency_amount":1e15})").amount, INT_MAX);
    EXPECT_EQ(decide(R"({"succ":"1","currency_amount":"lots"})").amount, 0);
    EXPECT_EQ(decide(R"({"succ":"1"})").kind, Kind::Valid);
    EXPECT_EQ(decide(R"({"succ":"1"})").amount, 0);
    EXPECT_EQ(decide(R"({"succ":"2","currency_amount":"500"})").kind, Kind::Invalid);
    for (const char* undecided : {R"({"succ":"0"})", R"({"succ":1})", R"({"amount":"1"})", R"(["succ","1"])", "",
                                  "not json", "{\"succ\":\"1\""}) {
        EXPECT_EQ(decide(undecided).kind, Kind::Undecided) << undecided;
    }
}

TEST_F(BPInAppTest, ButtonsFollowTheServerOrderForTheProductsTheStoreKnows) {
    fnd::testing::LogCapture capture;
    open();
    ASSERT_EQ(page_->buttons().size(), 2u);
    EXPECT_EQ(page_->buttons()[0]->titleForState(ui::ControlState::Normal), "Get Alpha Gems for $0.99");
    EXPECT_EQ(page_->buttons()[1]->titleForState(ui::ControlState::Normal), "Get Charlie Gems for $1,234.50");
    EXPECT_EQ(page_->buttons()[1]->tag(), 1);
    EXPECT_EQ(page_->buttons()[1]->frame(), gfx::Rect(20, 90, 280, 50));
    EXPECT_TRUE(capture.contains("Brightpoint: Invalid iTunes product ID: B"));
    EXPECT_EQ(page_->bottomLabel()->text(), "Short.");
    EXPECT_EQ(page_->bottomLabel()->frame().minY(), 160);
    // A short page still scrolls, by exactly two points.
    EXPECT_EQ(page_->scrollView()->contentSize().height, page_->scrollView()->frame().height() + 2);
}

TEST_F(BPInAppTest, APurchaseIsCreditedOnlyOnceTheServerAcceptsItsReceipt) {
    open();
    buy(0);
    EXPECT_EQ(answerAlert(), "Payment Successful|You have bought Alpha Gems");
    EXPECT_EQ(credits_->amounts, std::vector<int>{500});
    EXPECT_EQ(pending(), 0u);
    auto bodies = verifyBodies();
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_TRUE(bodies[0].starts_with("product_id=A&receipt=%7B%22product%2Did%22%3A%22A%22")) << bodies[0];
    EXPECT_FALSE(page_->isLoadingShown());

    // A rejected receipt: finished, nothing credited.
    configure("abc", "invalid");
    buy(1);
    EXPECT_EQ(answerAlert(), "Verification Failed|We couldn't verify with iTunes that your purchase was valid. "
                             "Please contact support.");
    EXPECT_EQ(credits_->amounts, std::vector<int>{500});
    EXPECT_EQ(pending(), 0u);

    // The dev server's own inventory and its check by product id; one pack still scrolls by two points.
    store_->addProduct({"com.zelvan.gems.1200", "1,200 Gems", "", fnd::Value::decimal("9.99"), "en_US"});
    configure("", "");
    open();
    ASSERT_EQ(page_->buttons().size(), 1u);
    EXPECT_EQ(page_->scrollView()->contentSize().height, page_->scrollView()->frame().height() + 2);
    buy(0);
    EXPECT_EQ(answerAlert(), "Payment Successful|You have bought 1,200 Gems");
    EXPECT_EQ(credits_->amounts, (std::vector<int>{500, 1200}));
}

TEST_F(BPInAppTest, AnUndecidedCheckKeepsTheTransactionUntilTheServerDecides) {
    // Unreadable, not an object, a failing server, a server that cannot be reached: each is undecided.
    const std::string bp = ads_.baseURL() + "/brightpoint/inapp_verify?answer=";
    for (std::string verify :
         {bp + "undecided", bp + "empty", bp + "notobject", bp + "fail", std::string("http://127.0.0.1:1/verify")}) {
        const std::string json = R"({"succ":"1","inapp_url":")" + ads_.baseURL() +
                                 R"(/brightpoint/inapp?kind=abc","inapp_verify_url":")" + verify + R"("})";
        ASSERT_TRUE(Brightpoint::shared()->applyConfigurationReply(bytes(json)).showWall);
        open();
        const size_t before = verifyBodies().size();
        buy(0);
        EXPECT_EQ(answerAlert("Try Again"), "Purchase Failed|We couldn't verify the purchase. Please try again.")
            << verify;
        settle();
        EXPECT_EQ(answerAlert("Cancel"), "Purchase Failed|We couldn't verify the purchase. Please try again.");
        EXPECT_FALSE(page_->isLoadingShown());
        ASSERT_EQ(pending(), 1u) << verify;
        auto bodies = verifyBodies();
        if (verify.starts_with(bp)) {
            ASSERT_EQ(bodies.size(), before + 2);
            EXPECT_EQ(bodies[before], bodies[before + 1]); // the same receipt again
        }
        auto kept = device::PaymentQueue::defaultQueue().transactions()[0];
        device::PaymentQueue::defaultQueue().finishTransaction(kept);
    }
    EXPECT_TRUE(credits_->amounts.empty());

    // Left pending, the purchase is checked again by the next store page after a restart.
    configure("abc", "undecided");
    open();
    buy(0);
    EXPECT_EQ(answerAlert("Cancel"), "Purchase Failed|We couldn't verify the purchase. Please try again.");
    device::PaymentQueue::resetDefaultQueue();
    EXPECT_EQ(pending(), 1u);
    configure("abc", "valid");
    open();
    EXPECT_EQ(answerAlert(), "Payment Successful|You have bought Alpha Gems");
    EXPECT_EQ(credits_->amounts, std::vector<int>{500});
    EXPECT_EQ(pending(), 0u);
}

TEST_F(BPInAppTest, TransactionsArrivingTogetherAreCheckedOneAfterAnother) {
    store_->setOutcome("A", {FakeStore::Script::Kind::Pending});
    store_->setOutcome("C", {FakeStore::Script::Kind::Pending});
    configure("abc", "");
    open();
    device::PaymentQueue::defaultQueue().addPayment({"A"});
    device::PaymentQueue::defaultQueue().addPayment({"C"});
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_TRUE(store_->completeNext());
    ASSERT_TRUE(store_->completeNext());
    // The second check starts when the first ends, not when its alert is answered: the two alerts may
    // stand in either order.
    settle();
    std::set<std::string> alerts{answerAlert()};
    settle();
    alerts.insert(answerAlert());
    EXPECT_EQ(alerts, (std::set<std::string>{"Payment Successful|You have bought Alpha Gems",
                                             "Payment Successful|You have bought Charlie Gems"}));
    auto bodies = verifyBodies();
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_TRUE(bodies[0].starts_with("product_id=A&"));
    EXPECT_TRUE(bodies[1].starts_with("product_id=C&"));
    EXPECT_EQ(credits_->amounts, (std::vector<int>{500, 500}));
    EXPECT_EQ(pending(), 0u);
}

TEST_F(BPInAppTest, TwoOpenPagesCheckATransactionOnce) {
    store_->setOutcome("A", {FakeStore::Script::Kind::Pending});
    configure("abc", "");
    auto first = open();
    auto second = open();
    device::PaymentQueue::defaultQueue().addPayment({"A"});
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_TRUE(store_->completeNext());
    EXPECT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] { return AlertDriver::visible() && !first->isLoadingShown() && !second->isLoadingShown(); }, 20));
    EXPECT_EQ(answerAlert(), "Payment Successful|You have bought Alpha Gems");
    EXPECT_EQ(answerAlert(), "");
    EXPECT_EQ(verifyBodies().size(), 1u);
    EXPECT_EQ(credits_->amounts, std::vector<int>{500});
    EXPECT_EQ(pending(), 0u);
}

TEST_F(BPInAppTest, AClosedPageStopsObservingUntilItComesBack) {
    store_->setOutcome("C", {FakeStore::Script::Kind::Pending});
    configure("abc", "");
    page_ = std::make_shared<BPInAppViewController>(pageServices());
    window_->setRootViewController(page_);
    settle();
    ASSERT_EQ(page_->buttons().size(), 2u);
    window_->setRootViewController(nullptr);
    device::PaymentQueue::defaultQueue().addPayment({"C"});
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_TRUE(store_->completeNext());
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(page_->isLoadingShown());
    EXPECT_TRUE(verifyBodies().empty());
    EXPECT_EQ(pending(), 1u);

    // Shown again, it hears the unfinished purchase and checks it.
    window_->setRootViewController(page_);
    fnd::RunLoop::main().runUntilIdle();
    settle();
    EXPECT_EQ(answerAlert(), "Payment Successful|You have bought Charlie Gems");
    EXPECT_EQ(verifyBodies().size(), 1u);
    EXPECT_EQ(pending(), 0u);
}

TEST_F(BPInAppTest, RestoredLikePurchasedFailedAlwaysFinishedCancelledSilent) {
    store_->setOutcome("A", {FakeStore::Script::Kind::Pending});
    configure("abc", "huge");
    open();
    device::PaymentQueue::defaultQueue().addPayment({"A"});
    fnd::RunLoop::main().runUntilIdle();
    auto transaction = device::PaymentQueue::defaultQueue().transactions().at(0);
    transaction->update(device::TransactionState::Restored, 0);
    page_->paymentQueueUpdatedTransactions(device::PaymentQueue::defaultQueue(), {transaction});
    settle();
    EXPECT_EQ(answerAlert(), "Payment Successful|You have bought Alpha Gems");
    EXPECT_EQ(credits_->amounts, std::vector<int>{INT_MAX});
    EXPECT_EQ(pending(), 0u);

    store_->setOutcome("A", {FakeStore::Script::Kind::Fail, 2});
    buy(0);
    EXPECT_EQ(answerAlert(), "");
    EXPECT_FALSE(page_->isLoadingShown());
    store_->setOutcome("A", {FakeStore::Script::Kind::Fail, 0});
    buy(0);
    EXPECT_EQ(answerAlert(), "In App Purchase Error|There was an error purchasing this item please try again.");
    EXPECT_EQ(pending(), 0u);
    EXPECT_EQ(credits_->amounts.size(), 1u);
}

TEST_F(BPInAppTest, EveryFailureBeforeTheButtonsEndsInTheNoInventoryMessage) {
    auto noInventory = [&](const char* what) {
        open();
        EXPECT_TRUE(page_->buttons().empty()) << what;
        ASSERT_TRUE(page_->bottomLabel()) << what;
        EXPECT_EQ(page_->bottomLabel()->text(), kBPNoInventoryMessage) << what;
        EXPECT_FALSE(page_->isLoadingShown()) << what;
    };
    for (const char* kind : {"empty", "object", "fail"}) {
        configure(kind, "");
        noInventory(kind);
    }
    configure("abc", "");
    store_->failNextProductsRequest(5);
    noInventory("products request");

    configure("mixed", "");
    open();
    ASSERT_EQ(page_->buttons().size(), 2u);

    ads_.stop();
    noInventory("no server");
    const std::string json = R"({"succ":"1","inapp_url":"not a url"})";
    ASSERT_TRUE(Brightpoint::shared()->applyConfigurationReply(bytes(json)).showWall);
    noInventory("no address");

    ASSERT_TRUE(ads_.start());
    configure("abc", "");
    store_->setCanMakePayments(false);
    open();
    EXPECT_EQ(answerAlert(), "Error|Your device is not able to make purchases through iTunes.");
    EXPECT_TRUE(page_->buttons().empty());
}

TEST_F(BPInAppTest, ScreenshotOfTheStore) {
    configure("abc", "", "Gems never expire. Packs are credited once the purchase has been checked.");
    open();
    shoot("bp_in_app_store.png");
    EXPECT_EQ(page_->buttons().size(), 2u);
}

} // namespace
} // namespace zelvan::brightpoint
