// The Selvo operations: batch and single requests with what the view hears, impression report URLs,
// prefetch (filled, cancelled, timed out) and the once-only launch report.
#include <gtest/gtest.h>

#include "ads/selvo/cache/sv_ad_request_operation.h"
#include "ads/selvo/cache/sv_prefetch_operation.h"
#include "ads/selvo/cache/sv_register_app_launch_operation.h"
#include "ads/selvo/cache/sv_submit_report_operation.h"
#include "ads/selvo/sv_ad_type.h"
#include "ads/selvo/sv_url_builder.h"
#include "platform/foundation/backends.h"
#include "platform/foundation/operation_queue.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_transport.h"
#include "platform/foundation/testing/loop_driver.h"
#include "platform/foundation/url_error.h"
#include "tests/ads/selvo/cache/selvo_cache_fixture.h"

namespace zelvan::selvo {
namespace {

using testing::Heard;
using testing::RecordingNotifier;

class SVOperationsTest : public testing::SelvoCacheFixture {
protected:
    std::shared_ptr<RecordingNotifier> notifier(const std::string& pid) {
        return std::make_shared<RecordingNotifier>(heard_, context_.get(), pid);
    }
    // Runs `operation` on the manager's queue and waits until it has finished.
    void runQueued(const std::shared_ptr<fnd::Operation>& operation) {
        manager().requestQueue().addOperation(operation);
        ASSERT_TRUE(fnd::RunLoop::current().pumpUntil([&] { return operation->isFinished(); }, 30));
    }
    std::shared_ptr<SVAd> ad(const std::string& id, const std::string& batch, unsigned served) {
        auto made = std::make_shared<SVAd>();
        made->setAdID(id);
        made->setBatchID(batch);
        made->setImpressionsServed(served);
        return made;
    }

    std::shared_ptr<Heard> heard_ = std::make_shared<Heard>();
};

TEST_F(SVOperationsTest, BatchRequestsUseTheCacheAndReportFirst) {
    auto view = notifier("pub");
    auto first = SVAdRequestOperation::batchRequestWithParams(*context_, params("pub"), view, 5, userInfo("pub"));
    runQueued(first);
    ASSERT_NE(first->ad(), nullptr);
    EXPECT_EQ(heard_->willRefresh, 1);
    const size_t renders = requestsTo("/selvo/batch/adserver/render");

    // A live cached ad: no request, no report.
    auto cached = SVAdRequestOperation::batchRequestWithParams(*context_, params("pub"), view, 5, userInfo("pub"));
    runQueued(cached);
    EXPECT_EQ(cached->ad()->adID(), first->ad()->adID());
    EXPECT_EQ(requestsTo("/selvo/batch/adserver/render"), renders);
    EXPECT_EQ(heard_->willRefresh, 1);

    // Once every ad has expired, the served ones are reported and deleted on the operation's thread before
    // the refill begins.
    clock_->advance(40.0 * 365 * 24 * 3600);
    auto refill = SVAdRequestOperation::batchRequestWithParams(*context_, params("pub"), view, 5, userInfo("pub"));
    runQueued(refill);
    EXPECT_EQ(heard_->willRefresh, 2);
    EXPECT_NE(heard_->cacheAtRefresh.find("No records found."), std::string::npos);
    EXPECT_NE(heard_->refreshThread, std::this_thread::get_id());
    EXPECT_EQ(requestsTo("/selvo/batch/adserver/render"), renders + 1);
}

TEST_F(SVOperationsTest, SingleRequestsTellTheViewOfServerErrorsOnly) {
    auto view = notifier("error500");
    auto failed = SVAdRequestOperation::requestWithParams(*context_, params("error500"), view, userInfo("error500"));
    failed->start();
    EXPECT_EQ(failed->ad(), nullptr);
    EXPECT_EQ(heard_->willRequest, 1);
    EXPECT_EQ(heard_->failures, 1);
    EXPECT_EQ(heard_->lastCode, 500);

    auto good = SVAdRequestOperation::requestWithParams(*context_, params("pub"), view, userInfo("pub"));
    good->start();
    ASSERT_NE(good->ad(), nullptr);
    EXPECT_NE(good->ad()->image(), nullptr);

    // No server at all: logged, and the view hears nothing of it.
    SelvoConfig nowhere;
    nowhere.endpoint = NetworkEndpoint("http://127.0.0.1:1", "/selvo");
    SelvoContext offline(nullptr, nowhere);
    auto lost = SVAdRequestOperation::requestWithParams(offline, params("pub"), view, userInfo("pub"));
    lost->start();
    EXPECT_EQ(lost->ad(), nullptr);
    EXPECT_EQ(heard_->failures, 1);
}

TEST_F(SVOperationsTest, ViewGoneWhileItsRequestRuns) {
    // The view goes as soon as it has been told of the request; the operation must not call it again.
    struct Vanishing : RecordingNotifier {
        using RecordingNotifier::RecordingNotifier;
        std::shared_ptr<SVAdViewNotifier>* owner = nullptr;
        void notifyDelegateWillRequestAd() override {
            RecordingNotifier::notifyDelegateWillRequestAd();
            owner->reset();
        }
    };
    auto vanishing = std::make_shared<Vanishing>(heard_, context_.get(), "error500");
    std::shared_ptr<SVAdViewNotifier> view = vanishing;
    vanishing->owner = &view;
    std::weak_ptr<SVAdViewNotifier> weak = view;
    vanishing.reset();
    auto operation = SVAdRequestOperation::requestWithParams(*context_, params("error500"), weak, userInfo("error500"));
    runQueued(operation);
    EXPECT_EQ(heard_->willRequest, 1);
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(heard_->failures, 0);
}

TEST_F(SVOperationsTest, ReportsOneURLPerBatch) {
    auto report = SVSubmitReportOperation::operationWithAds(
        *context_, {ad("1", "A", 2), ad("2", "A", 5), ad("3&x", "B", 1)}, userInfo("pub", "s"));
    report->start();
    const std::string base = server_.baseURL() + "/selvo/adserver/reportServeStatus?pid=pub&sid=s&batchId=";
    EXPECT_EQ(report->submittedURLs(), (std::vector<std::string>{base + "A&ad=1%2c2&ad=2%2c5", base + "B&ad=3&x%2c1"}));

    manager().clearErrorLog();
    auto anonymous = SVSubmitReportOperation::operationWithAds(*context_, {ad("1", "A", 2)}, userInfo(""));
    anonymous->start();
    EXPECT_TRUE(anonymous->submittedURLs().empty());
    EXPECT_EQ(rows("error_log"), 1);
    EXPECT_NE(manager().errorReport().find("publisher ID is required"), std::string::npos);
}

TEST_F(SVOperationsTest, PrefetchFillsTheCache) {
    auto view = notifier("pub");
    auto prefetch = SVPrefetchOperation::prefetchRequest(*context_, {SVAdRequest::adRequestsForType(SVAdTypeBanner, 5)},
                                                         view, userInfo("pub"));
    runQueued(prefetch);
    EXPECT_FALSE(prefetch->lastError());
    EXPECT_EQ(manager().cachedAdsCount(params("pub")), 10);
    EXPECT_NE(manager().adForParams(params("pub")), nullptr);

    auto failingView = notifier("error500");
    auto garbage = SVPrefetchOperation::prefetchRequest(*context_, {SVAdRequest::adRequestsForType(SVAdTypeBanner, 5)},
                                                        failingView, userInfo("error500"));
    runQueued(garbage);
    EXPECT_EQ(heard_->lastCode, 500);
}

TEST_F(SVOperationsTest, PrefetchWaitsInSlicesAndTimesOut) {
    auto transport = fnd::testing::FakeTransport::install();
    const std::vector<SVAdRequest> requests{SVAdRequest::adRequestsForType(SVAdTypeBanner, 5)};
    // The render URL carries the time, so it is scripted afresh for each operation.
    auto neverAnswer = [&] {
        const auto url = SVURLBuilder(*context_).urlForAdRequests(requests, userInfo("pub"));
        ASSERT_TRUE(url);
        fnd::testing::FakeTransport::Outcome never;
        never.delay = 1000;
        transport->setOutcome(url->absoluteString(), never);
    };
    neverAnswer();

    fnd::OperationQueue queue;
    auto cancelled = SVPrefetchOperation::prefetchRequest(*context_, requests, notifier("pub"), userInfo("pub"));
    queue.addOperation(cancelled);
    ASSERT_TRUE(fnd::testing::settle());
    cancelled->cancel();
    clock_->advance(SVPrefetchOperation::kSlice);
    ASSERT_TRUE(fnd::RunLoop::current().pumpUntil([&] { return cancelled->isFinished(); }));
    EXPECT_FALSE(cancelled->lastError());

    neverAnswer();
    auto stalled = SVPrefetchOperation::prefetchRequest(*context_, requests, notifier("pub"), userInfo("pub"));
    queue.addOperation(stalled);
    for (int slice = 0; slice < 2 && !stalled->isFinished(); ++slice) {
        ASSERT_TRUE(fnd::testing::settle());
        clock_->advance(SVPrefetchOperation::kSlice);
    }
    ASSERT_TRUE(fnd::RunLoop::current().pumpUntil([&] { return stalled->isFinished(); }));
    ASSERT_TRUE(stalled->lastError());
    EXPECT_EQ(stalled->lastError()->code(), fnd::UrlError::TimedOut);

    EXPECT_EQ(manager().cachedAdsCount(params("pub")), 0);
    fnd::installHttpTransport(nullptr);
}

TEST_F(SVOperationsTest, LaunchIsReportedUntilOneSucceeds) {
    ASSERT_FALSE(SVRegisterAppLaunchOperation::alreadyRegistered());
    SelvoConfig nowhere;
    nowhere.endpoint = NetworkEndpoint("http://127.0.0.1:1", "/selvo");
    SelvoContext offline(nullptr, nowhere);
    std::make_shared<SVRegisterAppLaunchOperation>(offline, userInfo("pub"))->start();
    EXPECT_FALSE(SVRegisterAppLaunchOperation::alreadyRegistered());

    auto launch = std::make_shared<SVRegisterAppLaunchOperation>(*context_, userInfo("pub"));
    runQueued(launch);
    EXPECT_TRUE(SVRegisterAppLaunchOperation::alreadyRegistered());
    EXPECT_EQ(record_->launchReports(), 1);
}

} // namespace
} // namespace zelvan::selvo
