// The session object and facade against the dev server's fake offer service: the connect started from the
// feature list, offer clicks, pictures and quotes with every bad reply, the ad order (one request in
// flight) driving a recording ad model, impressions, full-page orientation and the facade's settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/services.h"
#include "offers/orvane/client/orv_log.h"
#include "offers/orvane/client/orv_model_controller.h"
#include "offers/orvane/client/orv_shadow.h"
#include "offers/orvane/client/orvane_connect.h"
#include "offers/orvane/client/orvane_context.h"
#include "offers/orvane/orvane_wiring.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/thread.h"
#include "platform/ui/view.h"
#include "tests/support/scoped_app_delegate.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::orvane {
namespace {

using devserver::OrvaneReplyMode;

// Records the calls the session object makes on the banner mediation, in order.
struct FakeMediation : ORVAdModel, ORVAdController, ORVBannerHost, std::enable_shared_from_this<FakeMediation> {
    std::vector<std::string> calls;
    std::vector<int> controllers; // events with a controller
    std::shared_ptr<ui::View> view = std::make_shared<ui::View>();

    void resetAdController(int e) override {
        calls.push_back("reset " + std::to_string(e));
        controllers.push_back(e);
    }
    std::shared_ptr<ORVAdController> getAdController(int e) override {
        calls.push_back("get " + std::to_string(e));
        bool has = std::find(controllers.begin(), controllers.end(), e) != controllers.end();
        return has ? std::static_pointer_cast<ORVAdController>(shared_from_this()) : nullptr;
    }
    void destroy() override { calls.push_back("destroy"); }
    void setCurrentEventID(int e) override { calls.push_back("event " + std::to_string(e)); }
    void setCurrentAdProviderIndex(int i) override { calls.push_back("index " + std::to_string(i)); }
    void preLoadAd() override { calls.push_back("preLoadAd"); }
    std::shared_ptr<ui::View> broadcastAd(int e) override {
        calls.push_back("broadcast " + std::to_string(e));
        return view;
    }
    std::shared_ptr<ORVBannerHost> hostView() override { return shared_from_this(); }
    bool areAdsRotating() const override { return false; }
    int setCanRotateFlagAndReturn() override {
        calls.push_back("canRotate");
        return 1;
    }
};

struct Host : OrvaneConnectDelegate {
    bool answers = true;
    std::vector<std::string> shown;
    bool respondsToAdShown() const override { return answers; }
    void adShownWithCampaignID(const std::string& id) override { shown.push_back(id); }
};

// Counts the notifications of one name, noting whether each came on the main thread with no object.
struct Heard {
    explicit Heard(const char* name)
        : token(fnd::NotificationCenter::defaultCenter().addObserver(name, fnd::Value(), [this](const auto& n) {
              ++count;
              offMainOrObject |= !fnd::isMainThread() || !n.object.isNull();
              object = n.object;
          })) {}
    int count = 0;
    bool offMainOrObject = false;
    fnd::Value object;
    fnd::ObserverToken token;
};

class OrvaneServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        devserver::addOrvaneRoutes(ads_, service_);
        ASSERT_TRUE(ads_.start());
        install(ads_.baseURL());
    }
    void TearDown() override {
        service_->releaseStalls();
        fnd::RunLoop::main().runUntilIdle();
        ads_.stop();
        // A request the last replies sent ends now (refused), so no fetcher outlives the test.
        fnd::RunLoop::main().pumpUntil([] { return false; }, 0.3);
    }
    void install(const std::string& base) {
        delegate_.reset();
        context_ = makeOrvane(NetworkEndpoint(base, "/orvane"), "/skin");
        context_->setDeviceId("device-1");
        context_->setAdModel(mediation_);
        AppRegistry registry;
        registry.orvane.factory = ServiceSlot<OrvaneContext>::fixed(context_);
        delegate_ = std::make_unique<ScopedAppDelegate>(std::move(registry));
    }
    // The requests of `method` the fake answered so far.
    std::vector<devserver::DevAdsRequest> requestsOf(const std::string& method) {
        std::vector<devserver::DevAdsRequest> out;
        for (auto& r : ads_.requests()) {
            if (r.path == "/orvane/Service1.asmx/" + method) {
                out.push_back(r);
            }
        }
        return out;
    }
    bool pump(const std::function<bool()>& until) { return fnd::RunLoop::main().pumpUntil(until, 20.0); }
    ORVShadow& shadow() { return *context_->shadow(); }

    devserver::DevAdsServer ads_;
    std::shared_ptr<devserver::DevOrvaneService> service_ = std::make_shared<devserver::DevOrvaneService>();
    std::shared_ptr<FakeMediation> mediation_ = std::make_shared<FakeMediation>();
    std::shared_ptr<OrvaneContext> context_;
    std::unique_ptr<ScopedAppDelegate> delegate_;
};

TEST_F(OrvaneServiceTest, TheFeatureStarterConnectsOnceAndTheOrderRunsTheRememberedPreload) {
    EXPECT_FALSE(OrvaneConnect::sharedOrvaneConnect());
    Heard order(kORVAdOrderReceived);
    auto starters = app::makeRegistry().adFeatureStarters;
    ASSERT_TRUE(starters.count("orvane"));
    starters["orvane"](**delegate_, LoginSession{});
    auto facade = OrvaneConnect::sharedOrvaneConnect();
    ASSERT_TRUE(facade);
    EXPECT_EQ(shadow().getAdOrderState(), 0); // preloadAds 1 remembered before the order
    ASSERT_TRUE(pump([&] { return order.count == 1 && shadow().getAdOrderState() == 1; }));
    EXPECT_EQ(OrvaneConnect::requestOrvaneConnectWithDelegate(nullptr), facade); // starts nothing
    fnd::RunLoop::main().runUntilIdle();

    ASSERT_EQ(requestsOf("Connect").size(), 1u);
    const auto connect = requestsOf("Connect")[0];
    EXPECT_EQ(connect.status, 200);
    EXPECT_EQ(connect.param("AppID"), OrvaneContext::kAppId);
    EXPECT_EQ(connect.param("DeviceID"), "device-1");
    EXPECT_EQ(shadow().connectState(), ORVShadow::ConnectState::Connected); // the fake accepted the key
    EXPECT_EQ(context_->modelController()->orvaneUserAccountObj()->tapPoints, 120);
    EXPECT_EQ(requestsOf("GetAdOrder").size(), 1u);
    EXPECT_FALSE(order.offMainOrObject);
    // The Part's calls for the remembered event once the order came.
    EXPECT_EQ(mediation_->calls,
              (std::vector<std::string>{"reset 1", "reset 1", "get 1", "event 1", "index 0", "preLoadAd"}));
    std::vector<std::string> keys;
    for (const auto& key : shadow().genericParameters().asDictionary()->allKeys()) {
        keys.push_back(key.stringKey());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"AppID", "DeviceID", "SDKVersion", "Timestamp", "ConnectKey"}));
}

TEST_F(OrvaneServiceTest, PicturesAndQuotesCacheGoodRepliesAndKeepTheCacheOnBadOnes) {
    Heard good(kORVPictureReceived), bad(kORVPictureFailed), quoteGood(kORVQuoteReceived), quoteBad(kORVQuoteFailed);
    shadow().getPicture();
    ASSERT_TRUE(pump([&] { return good.count == 1; }));
    auto model = context_->modelController();
    ASSERT_TRUE(model->getOrvanePictureReturnObj());
    EXPECT_EQ(model->getOrvanePictureReturnObj()->imageName, "pixel.png");
    int expected = 0;
    for (auto mode : {OrvaneReplyMode::ErrorMessage, OrvaneReplyMode::Garbage, OrvaneReplyMode::Empty,
                      OrvaneReplyMode::ServerError}) {
        service_->setMode("GetPicture", mode);
        service_->setMode("GetQuote", mode);
        fnd::testing::LogCapture capture;
        shadow().getPicture();
        shadow().getQuote();
        ++expected;
        ASSERT_TRUE(pump([&] { return bad.count == expected && quoteBad.count == expected; }));
        EXPECT_EQ(capture.count("GetPicture failed"), 1u);
        EXPECT_EQ(capture.count("GetQuote failed"), 1u);
        EXPECT_EQ(model->getOrvanePictureReturnObj()->imageName, "pixel.png"); // kept
    }
    EXPECT_EQ(good.count, 1);
    EXPECT_EQ(quoteGood.count, 0);
    EXPECT_FALSE(model->getOrvaneQuoteReturnObj());
    EXPECT_FALSE(good.offMainOrObject || bad.offMainOrObject || quoteBad.offMainOrObject);

    shadow().SubmitOfferClick("offer-7", "record&9");
    ASSERT_TRUE(pump([&] { return requestsOf("SubmitOfferClick").size() == 1; }));
    const auto click = requestsOf("SubmitOfferClick")[0];
    EXPECT_EQ(click.param("CachedOfferID"), "offer-7");
    EXPECT_EQ(click.param("PublisherUserRecordID"), "record&9");
    EXPECT_EQ(click.param("DeviceID"), "device-1");

    // Without --ads-base: "18" at once (never inside the call), nothing sent.
    const size_t sent = ads_.requests().size();
    install("");
    Heard offline(kORVPictureFailed);
    ORVShadow::sharedInstance()->getPicture();
    EXPECT_EQ(offline.count, 0);
    ASSERT_TRUE(pump([&] { return offline.count == 1; }));
    EXPECT_EQ(ads_.requests().size(), sent);
}

TEST_F(OrvaneServiceTest, AFailedOrderIsAskedForAgainWithOneRequestInFlight) {
    Heard received(kORVAdOrderReceived), failed(kORVAdOrderFailed);
    service_->setMode("GetAdOrder", OrvaneReplyMode::ErrorMessage);
    OrvaneConnect::requestOrvaneConnectWithDelegate(nullptr);
    ASSERT_TRUE(pump([&] { return failed.count == 1; }));
    EXPECT_TRUE(shadow().adOrderError());
    EXPECT_EQ(shadow().getAdOrderState(), -1);

    // After the error every preload and show asks again: only one request goes out.
    service_->setMode("GetAdOrder", OrvaneReplyMode::Good);
    shadow().preLoadAdWithEvent(1);
    EXPECT_EQ(shadow().getAdOrderState(), 0);
    shadow().showAdBox(1, gfx::Rect{{0, 0}, {320, 50}});
    shadow().showAdBox(1, gfx::Rect{{0, 0}, {320, 50}});
    shadow().preLoadAdWithEvent(1);
    ASSERT_TRUE(pump([&] { return received.count == 1; }));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(requestsOf("GetAdOrder").size(), 2u);
    EXPECT_EQ(received.count, 1);
    EXPECT_FALSE(shadow().adOrderError());
    EXPECT_EQ(shadow().getAdOrderState(), 1);
    EXPECT_EQ(mediation_->calls.back(), "preLoadAd");

    // In state 1 a show without a controller preloads first, then frames the banner.
    mediation_->calls.clear();
    auto view = shadow().showAdBox(2, gfx::Rect{{0, 430}, {320, 50}});
    ASSERT_EQ(view, mediation_->view);
    EXPECT_TRUE(view->isUserInteractionEnabled());
    EXPECT_EQ(view->frame(), (gfx::Rect{{0, 430}, {320, 50}}));
    EXPECT_EQ(mediation_->calls, (std::vector<std::string>{"get 2", "reset 2", "get 2", "event 2", "index 0",
                                                           "preLoadAd", "get 2", "broadcast 2", "canRotate"}));
}

TEST_F(OrvaneServiceTest, ImpressionsFullPageAndFacadeSettings) {
    service_->setMode("GetAdOrder", OrvaneReplyMode::ErrorMessage); // the order never arrives here
    auto host = std::make_shared<Host>();
    auto facade = OrvaneConnect::requestOrvaneConnectWithDelegate(host);
    shadow().adShownWithCampaignID(std::string("c-1"));
    shadow().adShownWithCampaignID(std::nullopt);
    shadow().directAdShownWithCampaignID(std::string("c-2"));
    host->answers = false;
    shadow().adShownWithCampaignID(std::string("c-3"));
    ASSERT_TRUE(pump([&] { return requestsOf("AdShown").size() == 4; }));
    EXPECT_EQ(host->shown, (std::vector<std::string>{"c-1", "", "c-2"}));
    auto shown = requestsOf("AdShown");
    std::vector<std::string> ids;
    for (auto& r : shown) {
        ids.push_back(r.query.empty() ? "<none>" : r.query.count("CampaignID") ? r.param("CampaignID") : "<missing>");
        EXPECT_EQ(r.status, 200);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"", "<none>", "c-1", "c-3"}));

    Heard failure(kORVFullPageAdFailure);
    fnd::testing::LogCapture capture;
    shadow().fullPageAdOrientation(45);
    EXPECT_EQ(shadow().geFullPageAdAngel(), 0.0f);
    EXPECT_TRUE(capture.contains("You can set angle= 0 OR 90 OR 180 OR 270, setting angle to default = 0"));
    shadow().fullPageAdOrientation(270);
    EXPECT_EQ(shadow().geFullPageAdAngel(), 270.0f);
    shadow().showFullPageAd();
    EXPECT_EQ(failure.count, 1);
    EXPECT_EQ(failure.object, fnd::Value("Ad Order data is not returned Yet"));

    for (auto [opening, closing] : {std::pair{-1, -1}, {0, 5}, {1, 6}, {2, 7}, {3, 8}, {4, 9}, {12, 5}}) {
        facade->setTransitionEffect(opening);
        EXPECT_EQ(facade->getreverseTransitionEffect(), closing) << opening;
    }
    EXPECT_EQ(OrvaneConnect::getTransitionDelay(), 0.5f);
    facade->setTransitionsEnabled(false);
    EXPECT_EQ(OrvaneConnect::getTransitionDelay(), 0.0f);
    EXPECT_FALSE(OrvaneConnect::didApplicationEnabledOrientation());
    EXPECT_EQ(OrvaneConnect::getApplicationAngel(), 0);

    ORVLog::setLogThreshold(4);
    fnd::setMinLogLevel(fnd::LogLevel::Debug);
    capture.clear();
    facade->startSubBeaconWithName("ORV Show Offers Tab", true);
    facade->endSubBeaconWithName("ORV Show Offers Tab");
    EXPECT_EQ(capture.count("BEACON ("), 0u);
    EXPECT_TRUE(facade->beaconRecorder().sections().empty());
    facade->setBeaconSwitch(2);
    facade->startSubBeaconWithName("ORV Show Offers Tab", true);
    facade->endSubBeaconWithName("ORV Show Offers Tab");
    fnd::setMinLogLevel(fnd::LogLevel::Info);
    ORVLog::setLogThreshold(ORVLog::kDefaultThreshold);
    EXPECT_EQ(capture.count("BEACON (2):: Ending EVENT= ORV Show Offers Tab"), 1u);
    ASSERT_EQ(facade->beaconRecorder().sections().size(), 1u);
    EXPECT_TRUE(facade->beaconRecorder().sections()[0].ended);
    EXPECT_TRUE(facade->beaconRecorder().sections()[0].duration);
}

} // namespace
} // namespace zelvan::orvane
