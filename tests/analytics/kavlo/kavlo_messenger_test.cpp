// The Kavlo messenger against the ad host's Kavlo route on 127.0.0.1: batches, the form body, refusals and
// failures that keep the batch, a stalled request and stop, an unreachable network, and the reply check.
#include "analytics/kavlo/kavlo_messenger.h"

#include <gtest/gtest.h>

#include <set>

#include "analytics/kavlo/kavlo_controller.h"
#include "platform/foundation/format.h"
#include "tests/analytics/kavlo/kavlo_test_support.h"

namespace zelvan::kavlo {
namespace {

using testing::KavloTest;

class KavloMessengerTest : public KavloTest {
protected:
    // A started client whose queue holds its session row ("o1") and `events` events (the start event
    // included).
    std::shared_ptr<KavloMessenger> startWith(int events, const std::string& adsBase = "-") {
        bundleWith({});
        newRun(adsBase);
        // The start's own sync is refused, so the events stay queued.
        record_->setReply("0");
        Kavlo::start();
        auto messenger = KavloMessenger::getInstance();
        EXPECT_TRUE(messenger->waitForSync(10));
        for (int i = 1; i < events; ++i) {
            Kavlo::logEventWithLevel(32, "proc", fnd::format("event%d", i), "d", false);
        }
        record_->setReply("1");
        sessionRow_ = record_->batches().empty() ? "" : record_->batches()[0].members.at(0);
        return messenger;
    }
    // Every member of every batch received after the first `skip` batches.
    std::set<std::string> delivered(size_t skip) {
        std::set<std::string> members;
        auto batches = record_->batches();
        for (size_t i = skip; i < batches.size(); ++i) {
            members.insert(batches[i].members.begin(), batches[i].members.end());
        }
        return members;
    }
    std::string sessionRow_;
};

TEST_F(KavloMessengerTest, BatchesOfFiftyEachLedByTheSessionRow) {
    auto messenger = startWith(120);
    ASSERT_EQ(record_->batches().size(), 1u);
    EXPECT_EQ(sessionRow_, "o1");
    messenger->sync();
    waitForSync();
    const auto batches = record_->batches();
    ASSERT_EQ(batches.size(), 4u);
    for (size_t i = 1; i < batches.size(); ++i) {
        EXPECT_EQ(batches[i].members.at(0), "o1");
        EXPECT_EQ(batches[i].applicationId, "test-app");
        EXPECT_EQ(batches[i].sdkVersion, "3.1.0");
        EXPECT_EQ(batches[i].applicationVersion, "1.0 beta");
        EXPECT_FALSE(batches[i].deviceId.empty());
    }
    EXPECT_EQ(batches[1].members.size(), 50u);
    EXPECT_EQ(batches[3].members.size(), 23u); // 1 session row + 120 events over three posts
    EXPECT_EQ(delivered(1).size(), 121u);
    EXPECT_EQ(queuedCount(), 1);

    // The body keeps the JSON's braces, quotes and colons readable and escapes the rest.
    const auto requests = ads_.requests();
    const std::string& body = requests.back().body;
    EXPECT_EQ(body.rfind("a=test-app&d=", 0), 0u) << body;
    EXPECT_NE(body.find("&m=3.1.0&v=1.0%20beta&j={\"o1\":{\"h\":"), std::string::npos) << body;
    EXPECT_EQ(requests.back().header("Accept-Encoding"), "gzip,deflate");

    // Only the session row left: nothing is sent.
    messenger->sync();
    waitForSync();
    EXPECT_EQ(record_->batches().size(), 4u);
}

TEST_F(KavloMessengerTest, RefusalsAndFailuresKeepTheBatchForTheNextSync) {
    auto messenger = startWith(3);
    const std::set<std::string> all = {"o1", "o2", "o3", "o4"};
    for (auto cue : {std::pair{200, "0"}, std::pair{200, "garbage"}, std::pair{500, "1"}}) {
        record_->setStatus(cue.first);
        record_->setReply(cue.second);
        const size_t before = record_->batches().size();
        messenger->sync();
        waitForSync();
        EXPECT_EQ(record_->batches().size(), before + 1) << cue.second;
        EXPECT_EQ(queuedCount(), 4) << cue.second;
    }
    record_->setStatus(200);
    record_->setReply("1");
    const size_t before = record_->batches().size();
    messenger->sync();
    waitForSync();
    EXPECT_EQ(delivered(before), all);
    EXPECT_EQ(queuedCount(), 1);
}

TEST_F(KavloMessengerTest, ARefusedPortKeepsEverything) {
    devserver::DevAdsServer closed;
    ASSERT_TRUE(closed.start());
    const std::string base = closed.baseURL();
    closed.stop();
    auto messenger = startWith(4, base);
    messenger->sync();
    waitForSync();
    EXPECT_EQ(queuedCount(), 5);
}

TEST_F(KavloMessengerTest, StopDuringAStalledRequestReturnsAndDeletesNothing) {
    auto messenger = startWith(5);
    record_->setStatus(0);
    const size_t before = record_->batches().size();
    messenger->sync();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return record_->batches().size() == before + 1; }, 10));
    // A second sync while the thread runs starts nothing.
    messenger->sync();
    EXPECT_TRUE(messenger->isSyncThreadRunning());
    messenger->stop();
    EXPECT_FALSE(messenger->isSyncThreadRunning());
    EXPECT_EQ(queuedCount(), 6);
    record_->releaseStalls();
    record_->setStatus(200);
    messenger->sync();
    waitForSync();
    EXPECT_EQ(record_->batches().size(), before + 2);
    EXPECT_EQ(queuedCount(), 1);
}

TEST_F(KavloMessengerTest, UnreachableSendsNothingAndALaterSyncRuns) {
    auto messenger = startWith(2);
    reach_->setFlagsForAddress(0, 0);
    const size_t before = record_->batches().size();
    messenger->sync();
    waitForSync();
    EXPECT_EQ(record_->batches().size(), before);
    reach_->setFlagsForAddress(0, fnd::ReachabilityFlag::Reachable);
    messenger->sync();
    waitForSync();
    EXPECT_EQ(record_->batches().size(), before + 1);
    EXPECT_EQ(queuedCount(), 1);
}

TEST_F(KavloMessengerTest, FailuresAtEveryBoundaryLoseNoEvent) {
    auto messenger = startWith(130);
    const size_t first = record_->batches().size();
    // Each sync has one batch accepted and the next refused, so every batch boundary sees a failure.
    for (int round = 0; round < 3; ++round) {
        record_->setReplies({"1", "0"});
        messenger->sync();
        waitForSync();
    }
    EXPECT_EQ(record_->batches().size(), first + 5);
    EXPECT_EQ(delivered(first).size(), 131u);
    EXPECT_EQ(queuedCount(), 1);
}

TEST(KavloReplyTest, OnlyAnIntegerValueOfOneAccepts) {
    auto bytes = [](std::string_view text) { return fnd::Bytes(text.begin(), text.end()); };
    for (auto accepted : {"1", " 1", "1abc", "+1", "001\n"}) {
        EXPECT_TRUE(KavloMessenger::isAccepted(bytes(accepted))) << accepted;
    }
    for (auto refused : {"", "0", "11", "-1", "abc", "one",
                         "\xff"
                         "1",
                         "1\xff"}) {
        EXPECT_FALSE(KavloMessenger::isAccepted(bytes(refused))) << refused;
    }
}

} // namespace
} // namespace zelvan::kavlo
