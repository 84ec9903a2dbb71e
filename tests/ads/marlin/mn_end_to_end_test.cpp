// The interstitial client end to end against the dev server's ad host on 127.0.0.1, as the full-page
// adapter drives it: the built-in boot script installs the demo client (gzipped), the client prefetches
// the demo ad, MNDisplayAd shows it animated, Menu and Skip close it; a garbage install reply ends in
// marlinConnectionFailed.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ads/marlin/animation/mn_animation_view.h"
#include "ads/marlin/marlin_context.h"
#include "ads/marlin/marlin_entry_points.h"
#include "ads/marlin/mn_content_controller.h"
#include "ads/marlin/mn_controller.h"
#include "core/app_registry.h"
#include "platform/foundation/backends.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/window.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_marlin.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::marlin {
namespace {

class Recorder : public MarlinDelegate {
public:
    void marlinDisplayWillOpen() override { heard.push_back("WillOpen"); }
    void marlinDisplayWillClose() override { heard.push_back("WillClose"); }
    void marlinConnectionFailed() override { heard.push_back("ConnectionFailed"); }
    std::vector<std::string> heard;
};

class MarlinEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = fnd::ManualClock::install();
        reachability_ = fnd::testing::FakeReachability::install();
        ui::installScriptHostFactory(ui::DuktapeScriptHost::factory());
        appWindow_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        appWindow_->makeKeyAndVisible();
        service_ = std::make_shared<devserver::DevMarlinService>();
        devserver::addMarlinRoutes(server_, service_);
        ASSERT_TRUE(server_.start());
        AppRegistry registry;
        registry.marlin.factory = ServiceSlot<MarlinContext>::fixed(
            std::make_shared<MarlinContext>(NetworkEndpoint(server_.baseURL(), "/marlin")));
        app_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
        recorder_ = std::make_shared<Recorder>();
        MNSetDelegate(recorder_);
    }
    void TearDown() override {
        for (const auto& panel : ui::AlertPanel::visiblePanels()) {
            panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), ui::Animated::No);
        }
        MNDealloc();
        app_.reset();
        service_->releaseStalls();
        server_.stop();
        appWindow_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        ui::installScriptHostFactory(nullptr);
        fnd::installReachabilityProvider(nullptr);
        fnd::Clock::install(nullptr);
    }

    // Runs the loop in manual steps of `step` seconds, waiting in real time for the network, until `pred`
    // holds.
    bool until(const std::function<bool()>& pred, double step = 0.05) {
        for (int i = 0; i < 600; ++i) {
            if (fnd::RunLoop::main().pumpUntil(pred, 0.02)) {
                return true;
            }
            fnd::RunLoop::main().advance(step);
        }
        return pred();
    }
    bool requested(const std::string& path) {
        for (const auto& request : server_.requests()) {
            if (request.path == path) {
                return true;
            }
        }
        return false;
    }

    fnd::testing::ScopedAppRoot root_;
    std::shared_ptr<fnd::ManualClock> clock_;
    std::shared_ptr<fnd::testing::FakeReachability> reachability_;
    std::shared_ptr<ui::Window> appWindow_;
    devserver::DevAdsServer server_;
    std::shared_ptr<devserver::DevMarlinService> service_;
    std::unique_ptr<ScopedAppDelegate> app_;
    std::shared_ptr<Recorder> recorder_;
};

TEST_F(MarlinEndToEndTest, InstallPrefetchDisplayAndSkip) {
    auto controller = MNInit(42);
    ASSERT_TRUE(controller);
    auto content = controller->contentController();
    ASSERT_TRUE(until([&] { return content->isAdPrefetched() && content->clientState() == 1; }));
    EXPECT_EQ(controller->clientVersion(), devserver::DevMarlinService::kClientVersion);
    bool gzip = false;
    for (const auto& request : server_.requests()) {
        if (request.path == "/marlin/AdBridgeServer/req_js.htm") {
            gzip = request.header("Accept-Encoding").find("gzip") != std::string::npos;
            EXPECT_EQ(request.param("pubappid"), "42");
        }
    }
    EXPECT_TRUE(gzip);
    EXPECT_TRUE(requested("/marlin/AdBridgeServer/ads/demo.zip"));

    ASSERT_TRUE(MNDisplayAd());
    EXPECT_FALSE(MNDisplayAd());
    ASSERT_TRUE(until([&] { return content->animationView() && !controller->mnWindow()->isHidden(); }));
    fnd::RunLoop::main().advance(0.5);
    ASSERT_TRUE(until([&] { return content->animationView() != nullptr; }));
    // The ad is on screen: the patterned stage with its badge is no flat picture.
    auto shot = controller->mnWindow()->screenshot();
    ASSERT_TRUE(shot);
    std::set<uint32_t> colours;
    for (int y = 0; y < shot->height(); y += 8) {
        for (int x = 0; x < shot->width(); x += 8) {
            auto p = shot->pixelAt(x, y);
            colours.insert(uint32_t(p.r) << 16 | uint32_t(p.g) << 8 | p.b);
        }
    }
    EXPECT_GE(colours.size(), 3u);
    EXPECT_EQ(recorder_->heard, (std::vector<std::string>{"WillOpen"}));

    // Menu, then Skip in the sheet: the client agrees and the ad closes.
    content->displayActionSheet();
    ASSERT_TRUE(until([] { return ui::testing::AlertDriver::visibleSheet() != nullptr; }));
    ASSERT_TRUE(ui::testing::AlertDriver::tap("Skip"));
    ASSERT_TRUE(until([&] { return recorder_->heard.size() == 2; }));
    EXPECT_EQ(recorder_->heard, (std::vector<std::string>{"WillOpen", "WillClose"}));
    EXPECT_TRUE(controller->mnWindow()->isHidden());
    fnd::RunLoop::main().advance(1);
    EXPECT_TRUE(ui::AlertPanel::visiblePanels().empty());
}

TEST_F(MarlinEndToEndTest, GarbageInstallRepliesEndInConnectionFailed) {
    service_->setMode(devserver::MarlinReplyMode::Garbage);
    auto controller = MNInit(42);
    ASSERT_TRUE(controller);
    // Ten attempts with growing waits between them (95 s in all) before the client gives up.
    ASSERT_TRUE(until([&] { return !recorder_->heard.empty(); }, 0.5));
    EXPECT_EQ(recorder_->heard, (std::vector<std::string>{"ConnectionFailed"}));
    EXPECT_FALSE(controller->contentController()->isAdPrefetched());
    EXPECT_FALSE(MNDisplayAd());
}

} // namespace
} // namespace zelvan::marlin
