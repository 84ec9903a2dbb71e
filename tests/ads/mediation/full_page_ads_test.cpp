// Full-page ads over a fake Marlin client: choosing the network, the application id and restarts, showing,
// the library's callbacks as notifications, a library that throws, destroy, and a missing client.
#include <gtest/gtest.h>

#include "ads/mediation/marlin_ad_view_controller.h"
#include "ads/mediation/orv_full_page_ads_controller.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/testing/log_capture.h"
#include "tests/ads/mediation/library_test_support.h"

namespace zelvan::mediation::testing {
namespace {

struct FullPage : LibraryFixture {
    std::shared_ptr<FakeMarlin> marlin = std::make_shared<FakeMarlin>();
    std::vector<std::string> heard;
    std::vector<fnd::ObserverToken> observers;

    void SetUp() override {
        LibraryFixture::SetUp();
        context->libraries().marlin = marlin;
        for (const char* name :
             {kFullPageAdFailureNotification, kFullPageAdOpenNotification, kFullPageAdCloseNotification}) {
            observers.push_back(fnd::NotificationCenter::defaultCenter().addObserver(
                name, fnd::Value(), [this](const fnd::Notification& note) {
                    heard.push_back(note.name + (note.object.isNull() ? "" : " " + note.object.stringValue()));
                }));
        }
    }
    void TearDown() override {
        MarlinAdViewController::destroy(*context);
        LibraryFixture::TearDown();
    }
    std::shared_ptr<ORVFullPageAdsController> chooser() { return ORVFullPageAdsController::shared(*context); }
    std::string failure(const std::string& why) const {
        return std::string(kFullPageAdFailureNotification) + " " + why;
    }
};

TEST_F(FullPage, ApplicationIdsAndRestarts) {
    auto probe = std::make_shared<MarlinAdViewController>(context);
    EXPECT_EQ(probe->applicationId(), -1);
    for (const char* text : {"0", "abc", "", " 0x12"}) {
        probe->setAppIdFromStr(text);
        EXPECT_EQ(probe->applicationId(), MarlinAdViewController::kDefaultApplicationId) << text;
    }
    probe->setAppIdFromStr(" 42x");
    EXPECT_EQ(probe->applicationId(), 42);

    host->angle = 90;
    auto first = network("marlin", "0");
    host->fullPage = {network("Marlin", "5"), network("other", "6"), first};
    chooser()->initFullScreenAdNetworks();
    EXPECT_EQ(chooser()->currentNetworkIndex(), 2);
    EXPECT_EQ(marlin->calls, (std::vector<std::string>{"MNInit 618204", "MNSetDelegate", "MNSetTimeout 15",
                                                       "MNSetRelativeRotation 90"}));
    auto shared = MarlinAdViewController::sharedObject(*context);
    ASSERT_TRUE(shared);
    EXPECT_EQ(chooser()->currentFullPageNetwork(), shared);
    EXPECT_TRUE(shared->marlinInitialized());

    // The same id, or id "0": nothing changes. Another id: stopped and started again.
    marlin->calls.clear();
    EXPECT_EQ(MarlinAdViewController::sharedObjectWithNetworkInfo(*context, network("marlin", "618204")), shared);
    EXPECT_EQ(MarlinAdViewController::sharedObjectWithNetworkInfo(*context, network("marlin", "0")), shared);
    EXPECT_TRUE(marlin->calls.empty());
    EXPECT_EQ(MarlinAdViewController::sharedObjectWithNetworkInfo(*context, network("marlin", "77")), shared);
    EXPECT_EQ(marlin->calls, (std::vector<std::string>{"MNDealloc", "MNInit 77", "MNSetDelegate", "MNSetTimeout 15",
                                                       "MNSetRelativeRotation 90"}));
    EXPECT_EQ(shared->applicationId(), 77);
    EXPECT_EQ(shared->networkObj(), first);
}

TEST_F(FullPage, ShowsAndAnnouncesEveryOutcome) {
    // No "marlin" entry in the order.
    host->fullPage = {network("marlin ", "1")};
    chooser()->initFullScreenAdNetworks();
    chooser()->showFullScreenAd();
    EXPECT_EQ(heard, std::vector<std::string>{failure("No Full Ad Network initialized")});
    EXPECT_TRUE(marlin->calls.empty());

    heard.clear();
    host->fullPage = {network("marlin", "9")};
    chooser()->initFullScreenAdNetworks();
    marlin->displays = false;
    chooser()->showFullScreenAd();
    EXPECT_EQ(heard, std::vector<std::string>{failure("Marlin: No Ad to display")});

    heard.clear();
    marlin->displays = true;
    chooser()->showFullScreenAd();
    EXPECT_TRUE(heard.empty());
    auto listener = marlin->listener.lock();
    ASSERT_TRUE(listener);
    listener->marlinDisplayWillOpen();
    EXPECT_TRUE(heard.empty()); // taken after the client's call
    runLoop();
    EXPECT_EQ(heard, std::vector<std::string>{kFullPageAdOpenNotification});
    EXPECT_EQ(core->impressions, std::vector<std::string>{"c-marlin"});
    listener->marlinDisplayWillClose();
    listener->marlinAdDisplayFailed();
    listener->marlinConnectionFailed();
    listener->marlinDidReceiveMemoryWarning();
    runLoop();
    EXPECT_EQ(heard,
              (std::vector<std::string>{kFullPageAdOpenNotification, kFullPageAdCloseNotification,
                                        failure("Marlin: Ad display failed"), failure("Marlin: Connection failed")}));
}

TEST_F(FullPage, ALibraryThatThrowsStaysStopped) {
    fnd::testing::LogCapture log;
    marlin->throwOnInit = true;
    host->fullPage = {network("marlin", "3")};
    chooser()->initFullScreenAdNetworks();
    auto shared = MarlinAdViewController::sharedObject(*context);
    ASSERT_TRUE(shared);
    EXPECT_FALSE(shared->marlinInitialized());
    EXPECT_TRUE(log.contains("Marlin threw an exception and not initialized"));
    chooser()->showFullScreenAd();
    EXPECT_EQ(heard, std::vector<std::string>{failure("Marlin: No Ad to display")});
    EXPECT_EQ(marlin->calls, std::vector<std::string>{"MNInit 3"});
}

TEST_F(FullPage, DestroyStopsTheLibraryAndForgetsTheNetwork) {
    host->fullPage = {network("marlin", "3")};
    chooser()->initFullScreenAdNetworks();
    std::weak_ptr<MarlinAdViewController> shared = MarlinAdViewController::sharedObject(*context);
    chooser()->setFullPagenNetworkOrientation(180);
    ORVFullPageAdsController::destroy(*context);
    EXPECT_TRUE(shared.expired());
    EXPECT_EQ(chooser()->currentFullPageNetwork(), nullptr);
    EXPECT_EQ(marlin->calls.back(), "MNDealloc");
    EXPECT_EQ(marlin->calls[4], "MNSetRelativeRotation 180");
    // A rotation after destroy does not bring the client's controller back; a show says there is none.
    marlin->calls.clear();
    chooser()->setFullPagenNetworkOrientation(90);
    chooser()->showFullScreenAd();
    EXPECT_TRUE(marlin->calls.empty());
    EXPECT_EQ(heard, std::vector<std::string>{failure("No Full Ad Network initialized")});
    // The next order's selection starts it again.
    chooser()->initFullScreenAdNetworks();
    EXPECT_EQ(marlin->calls.front(), "MNInit 3");
}

TEST_F(FullPage, MissingClientHasNoAdWithOneLine) {
    fnd::testing::LogCapture log;
    context->libraries().marlin.reset();
    host->fullPage = {network("marlin", "3")};
    chooser()->initFullScreenAdNetworks();
    chooser()->showFullScreenAd();
    chooser()->showFullScreenAd();
    EXPECT_EQ(heard, (std::vector<std::string>(2, failure("Marlin: No Ad to display"))));
    EXPECT_EQ(log.count("mediation: no marlin client in this run, so it has no ad"), 1u);
}

} // namespace
} // namespace zelvan::mediation::testing
