// What the Selvo view tests share: a temporary root, the manual clock, a scripted reachability, the dev
// server's ad host with the Selvo routes, a context pointed at it over a worker pool of the test's own, and
// a delegate that records what it hears (and on which thread).
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/view/sv_ad_view_concrete.h"
#include "platform/device/device.h"
#include "platform/foundation/backends.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/worker_pool.h"
#include "reachability/reachability.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::selvo::testing {

class RecordingDelegate : public SVAdViewDelegate {
public:
    std::atomic<int> didDisplay{0};
    std::atomic<int> failed{0};
    std::atomic<int> willRequest{0};
    std::atomic<int> prefetched{0};
    std::atomic<int> willFollow{0};
    std::atomic<int> didFollow{0};
    std::atomic<int> willClose{0};
    std::atomic<int> didClose{0};
    std::atomic<int> dismissed{0};
    std::atomic<bool> displayedOffMain{false};
    std::atomic<bool> failedOnMain{false};
    std::atomic<int64_t> failedCode{0};
    // Main thread only.
    std::vector<std::string> willDisplaySaw; // the outgoing ad's id, "none" for none
    std::shared_ptr<SVWebViewController> landing;
    std::shared_ptr<SVAd> fallback;
    bool answersLayout = false;
    std::function<void(SVAdView&)> onLayout;

    static std::string idOf(const std::shared_ptr<SVAd>& ad) { return ad ? ad->adID() : "none"; }

    void adViewDidDisplayAd(SVAdView&, const std::shared_ptr<SVAd>&) override {
        displayedOffMain = displayedOffMain || !fnd::isMainThread();
        ++didDisplay;
    }
    void adViewWillDisplayAd(SVAdView&, const std::shared_ptr<SVAd>& ad) override {
        willDisplaySaw.push_back(idOf(ad));
    }
    void adViewFailedWithError(SVAdView&, const fnd::Error& error) override {
        failedOnMain = failedOnMain || fnd::isMainThread();
        failedCode = error.code();
        ++failed;
    }
    void willRequestAd(SVAdView&) override { ++willRequest; }
    void adViewPrefetchCompleted(SVAdView&) override { ++prefetched; }
    void adViewWillFollowClick(SVAdView&, const std::shared_ptr<SVAd>&) override { ++willFollow; }
    void adViewDidFollowClick(SVAdView&, const std::shared_ptr<SVAd>&) override { ++didFollow; }
    void adViewWillCloseAd(SVAdView&, const std::shared_ptr<SVAd>&) override { ++willClose; }
    void adViewDidCloseAd(SVAdView&, const std::shared_ptr<SVAd>&) override { ++didClose; }
    bool implementsDisplayLandingPage() const override { return true; }
    void adViewDisplayLandingPage(SVAdView&, const std::shared_ptr<SVWebViewController>& controller) override {
        landing = controller;
    }
    void adViewDismiss(SVAdView&, SVWebViewController&) override { ++dismissed; }
    bool implementsProcessingLayout() const override { return answersLayout; }
    void adViewProcessingLayout(SVAdView& view, gfx::Rect) override {
        if (onLayout) {
            onLayout(view);
        }
    }
    std::shared_ptr<SVAd> defaultAd(SVAdView&) override { return fallback; }
};

class SelvoViewFixture : public ::testing::Test {
protected:
    SelvoViewFixture() {
        device::Device::current().setUniqueIdentifier("dev-1");
        fnd::CookieStorage::shared().removeAll();
        record_ = devserver::addSelvoRoutes(server_);
        EXPECT_TRUE(server_.start());
        SelvoConfig config;
        config.endpoint = NetworkEndpoint(server_.baseURL(), "/selvo");
        context_ = std::make_shared<SelvoContext>(std::make_shared<Reachability>(), config, pool_);
    }
    ~SelvoViewFixture() override {
        fnd::setMinLogLevel(previousLevel_);
        record_->releaseStalls();
        context_.reset();
        fnd::installReachabilityProvider(nullptr);
        fnd::Clock::install(nullptr);
    }

    // Turns the client's verbose log on and lets its Debug lines through.
    void verbose() {
        context_->setVerbose(true);
        fnd::setMinLogLevel(fnd::LogLevel::Debug);
    }
    // The last request the ad host answered for `path`.
    devserver::DevAdsRequest lastRequestTo(const std::string& path) const {
        devserver::DevAdsRequest found;
        for (const auto& request : server_.requests()) {
            if (request.path == path) {
                found = request;
            }
        }
        return found;
    }
    std::shared_ptr<SVAdViewConcrete> view(int type, const std::string& pid, unsigned batch = 0) {
        return std::dynamic_pointer_cast<SVAdViewConcrete>(
            SVAdView::batchAdViewWithType(context_, type, pid, "site", 3, std::nullopt, batch, 1, delegate_));
    }
    static bool pump(const std::function<bool()>& done) { return fnd::RunLoop::current().pumpUntil(done, 30); }
    // Requests answered under `prefix`; with `pid`, only those for that publisher id.
    size_t requestsTo(const std::string& prefix, const std::string& pid = "") const {
        size_t n = 0;
        for (const auto& request : server_.requests()) {
            n += request.path.starts_with(prefix) && (pid.empty() || request.param("pid") == pid) ? 1 : 0;
        }
        return n;
    }
    static std::shared_ptr<SVAd> ad(const std::string& id, const std::string& url = "", const std::string& text = "") {
        auto made = std::make_shared<SVAd>();
        made->setAdID(id);
        made->setUrl(url);
        made->setText(text);
        return made;
    }

    fnd::LogLevel previousLevel_ = fnd::minLogLevel();
    fnd::testing::ScopedAppRoot root_;
    std::shared_ptr<fnd::ManualClock> clock_ = fnd::ManualClock::install();
    std::shared_ptr<fnd::testing::FakeReachability> reachability_ = fnd::testing::FakeReachability::install();
    devserver::DevAdsServer server_;
    std::shared_ptr<devserver::DevSelvoRecord> record_;
    std::shared_ptr<fnd::WorkerPool> pool_ = std::make_shared<fnd::WorkerPool>("selvo test", 2);
    std::shared_ptr<SelvoContext> context_;
    std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>();
};

} // namespace zelvan::selvo::testing
