// The fixture of the offer wall's tests: the dev server's ad host on 127.0.0.1, an installed context and
// client (configured from a test's own reply) with a worker pool of its own, a reachable network, a key
// window, a manual clock and text metrics.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/app_registry.h"
#include "offers/brightpoint/bp_page_services.h"
#include "offers/brightpoint/brightpoint.h"
#include "offers/brightpoint/brightpoint_context.h"
#include "offers/brightpoint/brightpoint_wiring.h"
#include "platform/device/device.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/worker_pool.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_metrics.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/screenshot.h"
#include "platform/ui/view.h"
#include "platform/ui/window.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::brightpoint {

class BPWallFixture : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        reachability_ = fnd::testing::FakeReachability::install();
        reachability_->setFlagsForAddress(0, fnd::ReachabilityFlag::Reachable);
        gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>());
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        device::Device::current().setUniqueIdentifier("dev1");
        record_ = devserver::addBrightpointRoutes(ads_);
        ASSERT_TRUE(ads_.start());
        context_ = makeBrightpoint(NetworkEndpoint(ads_.baseURL(), "/brightpoint"), workers_);
        AppRegistry registry;
        registry.brightpoint.factory = ServiceSlot<BrightpointContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
    }

    void TearDown() override {
        while (ui::testing::AlertDriver::visible()) {
            ui::testing::AlertDriver::tap(0);
        }
        window_->setRootViewController(nullptr);
        releasePages();
        record_->releaseStalls();
        workers_->shutdown();
        ads_.stop();
        delegate_.reset();
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        gfx::installTextMetrics(nullptr);
        fnd::Clock::install(nullptr);
        device::Device::current().setUniqueIdentifier(std::nullopt);
    }

    // Drops the pages and helpers a test holds, while the ad host still answers their last requests.
    virtual void releasePages() {}

    // What the wall hands a page it makes: the installed client, the icon cache, the context and the pool.
    BPPageServices pageServices() const {
        return {Brightpoint::shared(), context_->imageCache(), context_, context_->workerPool()};
    }

    // An offer list URL of the dev server.
    std::string tabURL(const std::string& tab) const { return ads_.baseURL() + "/brightpoint/offers?tab=" + tab; }

    // Configures the client with these offer sub-tabs (currency "Gems" in #FF8000).
    void configure(const std::vector<std::string>& titles, const std::vector<std::string>& urls) {
        auto list = [](const std::vector<std::string>& items) {
            std::string out = "[";
            for (const auto& item : items) {
                out += (out.size() > 1 ? ",\"" : "\"") + item + "\"";
            }
            return out + "]";
        };
        const std::string reply = R"({"succ":"1","currency_name":"Gems","currency_color":"#FF8000",)"
                                  R"("offers_enabled":"1","offer_tab_titles":)" +
                                  list(titles) + R"(,"offer_tab_urls":)" + list(urls) + "}";
        ASSERT_TRUE(Brightpoint::shared()->applyConfigurationReply(fnd::Bytes(reply.begin(), reply.end())).showWall);
    }

    // The page-number parameters of the requests for list `tab`, in order.
    std::vector<std::string> pagesAsked(const std::string& tab) const {
        std::vector<std::string> out;
        for (const auto& r : ads_.requests()) {
            if (r.path == "/brightpoint/offers" && r.param("tab") == tab) {
                out.push_back(r.param("page"));
            }
        }
        return out;
    }

    size_t requestsTo(const std::string& path) const {
        size_t n = 0;
        for (const auto& r : ads_.requests()) {
            n += r.path == path ? 1 : 0;
        }
        return n;
    }

    // Writes what the window shows to screenshots/<name>, for a person to look at.
    void shoot(const std::string& name) { EXPECT_TRUE(ui::testing::saveScreenshot(*window_, name)); }

    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<fnd::testing::FakeReachability> reachability_;
    std::shared_ptr<fnd::WorkerPool> workers_ = std::make_shared<fnd::WorkerPool>("bp-worker", 4);
    std::shared_ptr<ui::Window> window_;
    devserver::DevAdsServer ads_;
    std::shared_ptr<devserver::DevBrightpointRecord> record_;
    std::shared_ptr<BrightpointContext> context_;
    std::unique_ptr<ScopedAppDelegate> delegate_;
};

} // namespace zelvan::brightpoint
