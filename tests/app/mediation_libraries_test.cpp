// The mediation over the real Adwick, Selvo and Marlin clients against the dev server's ad host on
// 127.0.0.1: a banner rotation over "adwick" and "selvo", and one full-page Marlin ad shown.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ads/adwick/adwick_wiring.h"
#include "ads/marlin/marlin_context.h"
#include "ads/marlin/marlin_entry_points.h"
#include "ads/marlin/mn_content_controller.h"
#include "ads/marlin/mn_controller.h"
#include "ads/mediation/ad_controller_registry.h"
#include "ads/mediation/ad_view_controller.h"
#include "ads/mediation/itd_selvo_advertisement.h"
#include "ads/mediation/marlin_ad_view_controller.h"
#include "ads/mediation/mediation_context.h"
#include "ads/mediation/mediation_wiring.h"
#include "ads/mediation/orv_ad_controller.h"
#include "ads/mediation/orv_ad_view.h"
#include "ads/mediation/orv_full_page_ads_controller.h"
#include "ads/selvo/selvo_context.h"
#include "app/wiring/mediation_libraries.h"
#include "core/app_registry.h"
#include "offers/orvane/client/orv_ad_model.h"
#include "platform/device/device.h"
#include "platform/foundation/backends.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "platform/foundation/user_defaults.h"
#include "platform/foundation/worker_pool.h"
#include "platform/ui/alert_panel.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/window.h"
#include "reachability/reachability.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_marlin.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::app {
namespace {

struct Core : mediation::OfferCore {
    std::optional<mediation::AdOrder> order;
    std::vector<mediation::AdNetworkRef> banners, fullPage;
    std::vector<std::string> impressions;

    std::optional<mediation::AdOrder> adOrder() const override { return order; }
    std::optional<std::vector<mediation::AdNetworkRef>> adNetworkArray() const override { return banners; }
    fnd::Value genericParameters() const override { return fnd::Value::dictionary(); }
    void adShownWithCampaignID(const std::string& id) override { impressions.push_back(id); }
    void directAdShownWithCampaignID(const std::string& id) override { impressions.push_back(id); }
    std::vector<mediation::AdNetworkRef> fullPageAdNetworkArray() const override { return fullPage; }
};

mediation::AdNetworkRef network(const std::string& key, const std::string& id1, const std::string& id2 = "") {
    auto net = std::make_shared<mediation::AdNetwork>();
    net->adLibraryName = key;
    net->adCampaignId = "c-" + key;
    net->adNetworkGameIDs = {id1, id2, ""};
    return net;
}

class MediationLibraries : public ::testing::Test {
protected:
    void SetUp() override {
        device::Device::current().setUniqueIdentifier("dev-1");
        fnd::CookieStorage::shared().removeAll();
        fnd::UserDefaults::standard().removeObjectForKey("kORVEventID1");
        ui::installScriptHostFactory(ui::DuktapeScriptHost::factory());
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        devserver::addAdwickRoutes(server_);
        selvoRecord_ = devserver::addSelvoRoutes(server_);
        marlinService_ = std::make_shared<devserver::DevMarlinService>();
        devserver::addMarlinRoutes(server_, marlinService_);
        ASSERT_TRUE(server_.start());
        const std::string base = server_.baseURL();
        AppRegistry registry;
        registry.workerPool.factory = [](zelvanAppDelegate&) { return std::make_shared<fnd::WorkerPool>("test", 1); };
        registry.adwick.factory = [base](zelvanAppDelegate& delegate) {
            return adwick::makeAdwick(NetworkEndpoint(base, "/adwick"), delegate.service(&AppRegistry::workerPool));
        };
        registry.selvo.factory = [base](zelvanAppDelegate&) {
            selvo::SelvoConfig config;
            config.endpoint = NetworkEndpoint(base, "/selvo");
            return std::make_shared<selvo::SelvoContext>(std::make_shared<Reachability>(), config);
        };
        registry.marlin.factory = [base](zelvanAppDelegate&) {
            return std::make_shared<marlin::MarlinContext>(NetworkEndpoint(base, "/marlin"));
        };
        registry.mediation.factory = [core = core_](zelvanAppDelegate& delegate) {
            auto context = mediation::makeMediation(makeNetworkLibraries(delegate));
            context->setOfferCore(core);
            return context;
        };
        app_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
        context_ = (*app_)->service(&AppRegistry::mediation);
    }
    void TearDown() override {
        for (const auto& panel : ui::AlertPanel::visiblePanels()) {
            panel->dismissWithClickedButtonIndex(panel->cancelButtonIndex(), ui::Animated::No);
        }
        context_->controllers()->destroy();
        mediation::ORVFullPageAdsController::destroy(*context_);
        context_.reset();
        fnd::RunLoop::main().advance(1);
        app_.reset();
        selvoRecord_->releaseStalls();
        marlinService_->releaseStalls();
        server_.stop();
        window_->setHidden(true);
        fnd::RunLoop::main().advance(1);
        ui::installScriptHostFactory(nullptr);
        fnd::installReachabilityProvider(nullptr);
        fnd::Clock::install(nullptr);
    }

    // Runs the loop in small manual steps, waiting in real time for the network, until `pred` holds.
    static bool until(const std::function<bool()>& pred) {
        for (int i = 0; i < 600; ++i) {
            if (fnd::RunLoop::main().pumpUntil(pred, 0.02)) {
                return true;
            }
            fnd::RunLoop::main().advance(0.05);
        }
        return pred();
    }
    std::string paramOf(const std::string& path, const std::string& name) const {
        for (const auto& request : server_.requests()) {
            if (request.path == path) {
                return request.param(name);
            }
        }
        return "(none)";
    }

    fnd::testing::ScopedAppRoot root_;
    std::shared_ptr<fnd::ManualClock> clock_ = fnd::ManualClock::install();
    std::shared_ptr<fnd::testing::FakeReachability> reachability_ = fnd::testing::FakeReachability::install();
    std::shared_ptr<ui::Window> window_;
    devserver::DevAdsServer server_;
    std::shared_ptr<devserver::DevSelvoRecord> selvoRecord_;
    std::shared_ptr<devserver::DevMarlinService> marlinService_;
    std::shared_ptr<Core> core_ = std::make_shared<Core>();
    std::unique_ptr<ScopedAppDelegate> app_;
    std::shared_ptr<mediation::MediationContext> context_;
};

TEST_F(MediationLibraries, RotatesOverAdwickAndSelvo) {
    core_->banners = {network("adwick", "pub-1"), network("selvo", "demo", "zelvan-demo")};
    core_->order = mediation::AdOrder{5, 2, 1, 0};
    auto controller = context_->controllers()->resetAdController(1);
    auto host = controller->iORVAdView();
    window_->addSubview(host);
    host->setCanRotateFlagAndReturn();
    controller->preLoadAd(1);
    controller->broadcastAd(1);
    auto shows = [&host](const std::string& kind) {
        return host->subviews().size() == 1 && host->subviews().front()->className() == kind &&
               host->subviews().front()->subviews().size() == 1;
    };
    ASSERT_TRUE(until([&] { return shows("AdViewController"); }));
    EXPECT_EQ(paramOf("/adwick/ad_source.php", "s"), "pub-1");
    ASSERT_TRUE(until([&] { return shows("ITDSelvoAdvertisement"); })); // the rotation, 5 s later
    EXPECT_EQ(paramOf("/selvo/adserver/render", "pid"), "demo");
    EXPECT_EQ(core_->impressions, (std::vector<std::string>{"c-adwick", "c-selvo"}));
}

TEST_F(MediationLibraries, ShowsOneFullPageAd) {
    std::vector<std::string> heard;
    std::vector<fnd::ObserverToken> observers;
    for (const char* name : {mediation::kFullPageAdFailureNotification, mediation::kFullPageAdOpenNotification}) {
        observers.push_back(fnd::NotificationCenter::defaultCenter().addObserver(
            name, fnd::Value(), [&heard](const fnd::Notification& note) { heard.push_back(note.name); }));
    }
    core_->fullPage = {network("marlin", "42")};
    auto fullPage = makeFullPageController(**app_);
    ASSERT_TRUE(fullPage);
    fullPage->initFullScreenAdNetworks();
    auto controller = marlin::MNControllerInstance();
    ASSERT_TRUE(controller);
    auto content = controller->contentController();
    ASSERT_TRUE(until([&] { return content->isAdPrefetched() && content->clientState() == 1; }));
    EXPECT_EQ(paramOf("/marlin/AdBridgeServer/req_js.htm", "pubappid"), "42");
    fullPage->showFullScreenAd();
    ASSERT_TRUE(until([&] { return !heard.empty(); }));
    EXPECT_EQ(heard, std::vector<std::string>{mediation::kFullPageAdOpenNotification});
    EXPECT_EQ(core_->impressions, std::vector<std::string>{"c-marlin"});
    fullPage->destroy();
    EXPECT_FALSE(mediation::MarlinAdViewController::sharedObject(*context_));
}

} // namespace
} // namespace zelvan::app
