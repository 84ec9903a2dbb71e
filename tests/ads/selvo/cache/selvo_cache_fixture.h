// What the Selvo cache and operation tests share: a temporary root, the manual clock, the dev server's ad
// host with the Selvo routes, a context pointed at it over a worker pool of the test's own, and a recording
// ad view notifier.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ads/selvo/cache/sv_ad_view_notifier.h"
#include "ads/selvo/cache/sv_cache_manager.h"
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sql/sql_database.h"
#include "ads/selvo/sv_ad_params.h"
#include "ads/selvo/sv_user_info.h"
#include "platform/device/device.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/foundation/worker_pool.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::selvo::testing {

// What the notifier heard; kept apart from it so a test can read it after the notifier has gone.
struct Heard {
    std::atomic<int> willRequest{0};
    std::atomic<int> willRefresh{0};
    std::atomic<int> failures{0};
    std::atomic<int64_t> lastCode{0};
    std::string cacheAtRefresh; // the cache report when the refill began
    std::thread::id refreshThread;
};

class RecordingNotifier : public SVAdViewNotifier {
public:
    RecordingNotifier(std::shared_ptr<Heard> heard, SelvoContext* context, std::string pid)
        : heard_(std::move(heard)), context_(context), pid_(std::move(pid)) {}
    void notifyDelegateWillRequestAd() override { ++heard_->willRequest; }
    void notifyDelegateWillRefreshCache() override {
        heard_->cacheAtRefresh = SVCacheManager::forContext(*context_)->cacheReport();
        heard_->refreshThread = std::this_thread::get_id();
        ++heard_->willRefresh;
    }
    void notifyDelegateFailedWithError(const fnd::Error& error) override {
        heard_->lastCode = error.code();
        ++heard_->failures;
    }
    int requestAdType() const override { return 0; }
    std::string publisherID() const override { return pid_; }
    std::string siteID() const override { return "site"; }
    int placement() const override { return SVAdPlacementTop; }
    std::optional<std::string> section() const override { return std::nullopt; }
    int msize() const override { return 999; }

private:
    std::shared_ptr<Heard> heard_;
    SelvoContext* context_;
    std::string pid_;
};

class SelvoCacheFixture : public ::testing::Test {
protected:
    SelvoCacheFixture() {
        device::Device::current().setUniqueIdentifier("dev-1");
        fnd::CookieStorage::shared().removeAll();
        record_ = devserver::addSelvoRoutes(server_);
        EXPECT_TRUE(server_.start());
        SelvoConfig config;
        config.endpoint = NetworkEndpoint(server_.baseURL(), "/selvo");
        context_ = std::make_unique<SelvoContext>(nullptr, config, pool_);
    }
    ~SelvoCacheFixture() override {
        record_->releaseStalls();
        context_.reset();
        fnd::Clock::install(nullptr);
    }

    SVCacheManager& manager() { return *SVCacheManager::forContext(*context_); }
    fnd::Value userInfo(const std::string& pid, const std::string& site = "site") {
        return SVUserInfoDictionary(*context_, pid, site, SVAdPlacementTop, "", nullptr);
    }
    static SVAdParams params(const std::string& pid, const std::string& site = "site", int type = 0) {
        return SVAdParams(type, pid, site, SVAdPlacementTop, std::nullopt, 999);
    }
    int rows(const std::string& table) { return manager().database()->intForQuery("SELECT COUNT(*) FROM " + table); }
    // Requests the ad host answered whose path starts with `prefix`.
    size_t requestsTo(const std::string& prefix) const {
        size_t n = 0;
        for (const auto& request : server_.requests()) {
            n += request.path.starts_with(prefix) ? 1 : 0;
        }
        return n;
    }

    fnd::testing::ScopedAppRoot root_;
    std::shared_ptr<fnd::ManualClock> clock_ = fnd::ManualClock::install();
    devserver::DevAdsServer server_;
    std::shared_ptr<devserver::DevSelvoRecord> record_;
    std::shared_ptr<fnd::WorkerPool> pool_ = std::make_shared<fnd::WorkerPool>("selvo test", 2);
    std::unique_ptr<SelvoContext> context_;
};

} // namespace zelvan::selvo::testing
