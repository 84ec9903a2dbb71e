// The Adwick and Selvo adapters over fake clients: the client's questions, one report per attempt taken
// on the main thread after the client's call, refreshed ads, landing pages, a silent client, and networks
// whose client is missing.
#include <gtest/gtest.h>

#include <thread>

#include "ads/mediation/ad_view_controller.h"
#include "ads/mediation/itd_selvo_advertisement.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/application.h"
#include "tests/ads/mediation/library_test_support.h"

namespace zelvan::mediation::testing {
namespace {

using BannerAdapters = LibraryFixture;

TEST_F(BannerAdapters, AdwickLocationFollowsTheHostAndTheOrder) {
    auto adapter = AdViewController::init(context);
    const GeoPoint none{0, 0};
    EXPECT_EQ(adapter->location(), none);
    EXPECT_FALSE(adapter->mayAskForLocation());
    host->location = gfx::Point(48.1, 11.5);
    const GeoPoint given{48.1, 11.5};
    host->order = AdOrder{0, 1, 0, 0};
    EXPECT_EQ(adapter->location(), none);
    host->order->hasLocation = 2;
    EXPECT_EQ(adapter->location(), none);
    host->order->hasLocation = 1;
    EXPECT_EQ(adapter->location(), given);
    host->order.reset();
    EXPECT_EQ(adapter->location(), given);
}

TEST_F(BannerAdapters, AdwickReportsItsFirstAdOnceAfterTheClientsCall) {
    fnd::testing::LogCapture log;
    auto adwick = std::make_shared<FakeAdwick>();
    context->libraries().adwick = adwick;
    host->background = gfx::Color(0.2, 0.3, 0.4);
    order({network("adwick", "pub-7")}, 0, 2, 0);
    auto made = controller();
    made->preLoadAd(1);
    made->broadcastAd(1);
    ASSERT_EQ(adwick->delegates.size(), 1u);
    auto asked = adwick->delegates[0].lock();
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->publisherId(), "pub-7");
    EXPECT_EQ(asked->adBackgroundColor(), host->background);
    EXPECT_EQ(asked->primaryTextColor(), gfx::Color(0, 0, 0, 1));

    auto& banner = *adwick->banners[0]->shown;
    asked->didReceiveAd(banner);
    EXPECT_TRUE(made->iORVAdView()->subviews().empty()); // taken on the next pass
    runLoop();
    ASSERT_EQ(made->iORVAdView()->subviews().size(), 1u);
    auto adapter = std::dynamic_pointer_cast<AdViewController>(made->iORVAdView()->subviews().front());
    ASSERT_TRUE(adapter);
    EXPECT_FALSE(adapter->isHidden());
    EXPECT_EQ(adapter->frame(), gfx::Rect(0, 0, 320, 48));
    EXPECT_EQ(banner.superview(), adapter);
    EXPECT_EQ(banner.frame(), gfx::Rect(0, 0, 320, 48));
    EXPECT_EQ(core->impressions, std::vector<std::string>{"c-adwick"});
    // The banner's later ad: no second report.
    asked->didReceiveAd(banner);
    runLoop();
    EXPECT_EQ(made->iORVAdView()->subviews().size(), 1u);
    EXPECT_EQ(adapter->subviews().size(), 1u);
    EXPECT_FALSE(log.contains("dropped a late or second report"));
    EXPECT_EQ(made->anyPreloadActive(), 0);
}

TEST_F(BannerAdapters, AdwickFailureMovesOnAndTheAdapterGoesLater) {
    auto adwick = std::make_shared<FakeAdwick>();
    context->libraries().adwick = adwick;
    add("b", Reply::View);
    order({network("adwick", "pub"), network("b")}, 0, 2, 1);
    auto made = controller();
    made->preLoadAd(1);
    ASSERT_EQ(adwick->delegates.size(), 1u);
    std::weak_ptr<ui::View> banner = adwick->banners[0]->shown;
    adwick->banners.clear();
    adwick->delegates[0].lock()->didFailToReceiveAd(*banner.lock());
    // Still inside the client's call: the adapter and its banner are alive and nothing moved.
    EXPECT_FALSE(adwick->delegates[0].expired());
    EXPECT_FALSE(banner.expired());
    EXPECT_EQ(started, std::vector<std::string>{});
    runLoop();
    EXPECT_EQ(started, std::vector<std::string>{"b"});
    EXPECT_TRUE(adwick->delegates[0].expired());
    EXPECT_TRUE(banner.expired());
}

TEST_F(BannerAdapters, SelvoCallsFromAnotherThreadLandOnTheMainThread) {
    fnd::testing::LogCapture log;
    auto selvo = std::make_shared<FakeSelvo>();
    context->libraries().selvo = selvo;
    host->background = gfx::Color(1, 1, 0);
    add("b", Reply::View);
    order({network("selvo", "pub-s", "site-s"), network("b")}, 0, 2, 1);
    auto made = controller();
    made->preLoadAd(1);
    ASSERT_EQ(selvo->made, std::vector<std::string>{"1 pub-s site-s 1"});
    EXPECT_FALSE(selvo->testMode);
    EXPECT_EQ(selvo->logging, 0);
    EXPECT_EQ(selvo->banners[0]->displays, 1);
    EXPECT_EQ(selvo->banners[0]->shown->backgroundColor(), gfx::Color::black());

    auto relay = selvo->delegates[0];
    std::thread operation([relay] {
        if (auto to = relay.lock()) {
            to->willRequestAd();
            to->willRefreshCache();
            to->failedWithError("parse error");
            to->failedWithError("parse error");
            to->prefetchCompleted();
        }
    });
    operation.join();
    EXPECT_TRUE(started.empty());
    runLoop();
    EXPECT_EQ(started, std::vector<std::string>{"b"});
    EXPECT_FALSE(log.contains("dropped a late or second report"));
    EXPECT_TRUE(relay.expired());
}

TEST_F(BannerAdapters, SelvoDisplaysOnceAndOpensLandingPages) {
    auto selvo = std::make_shared<FakeSelvo>();
    context->libraries().selvo = selvo;
    ui::Application::shared().clearOpenedUrls();
    order({network("selvo", "p", "s")}, 0, 2, 0);
    auto made = controller();
    made->preLoadAd(1);
    made->broadcastAd(1);
    auto to = selvo->delegates[0].lock();
    ASSERT_TRUE(to);
    to->didDisplayAd(SelvoAd{"ad-1", "http://127.0.0.1:9/land"});
    runLoop();
    ASSERT_EQ(made->iORVAdView()->subviews().size(), 1u);
    auto adapter = std::dynamic_pointer_cast<ITDSelvoAdvertisement>(made->iORVAdView()->subviews().front());
    ASSERT_TRUE(adapter);
    EXPECT_EQ(selvo->banners[0]->shown->superview(), adapter);
    EXPECT_EQ(adapter->qad()->adId, "ad-1");
    EXPECT_EQ(core->impressions, std::vector<std::string>{"c-selvo"});
    to->didDisplayAd(SelvoAd{"ad-2", ""}); // a refreshed ad: noted, not reported
    runLoop();
    EXPECT_EQ(adapter->qad()->adId, "ad-2");
    EXPECT_EQ(core->impressions.size(), 1u);

    // The landing page opens the view's current ad's URL, when it has one.
    for (const auto& current : {std::optional<SelvoAd>(), std::optional<SelvoAd>(SelvoAd{"ad-2", ""}),
                                std::optional<SelvoAd>(SelvoAd{"ad-3", "http://127.0.0.1:9/three"})}) {
        selvo->banners[0]->current = current;
        to->displayLandingPage();
        to->dismiss();
        runLoop();
    }
    EXPECT_EQ(ui::Application::shared().openedUrls(), std::vector<std::string>{"http://127.0.0.1:9/three"});
}

TEST_F(BannerAdapters, SilentSelvoEndsByTheWatchdog) {
    auto selvo = std::make_shared<FakeSelvo>();
    context->libraries().selvo = selvo;
    add("b", Reply::View);
    order({network("selvo", "p", "s"), network("b")}, 0, 2, 1);
    auto made = controller();
    made->preLoadAd(1);
    advance(context->watchdogSeconds() - 1);
    EXPECT_TRUE(started.empty());
    advance(1);
    EXPECT_EQ(started, std::vector<std::string>{"b"});
    runLoop();
    EXPECT_TRUE(selvo->delegates[0].expired());
}

TEST_F(BannerAdapters, NetworksWithoutTheirClientMoveOnWithOneLineEach) {
    fnd::testing::LogCapture log;
    add("b", Reply::View);
    order({network("adwick", "p"), network("selvo", "p", "s"), network("b")}, 0, 2, 2);
    auto made = controller();
    made->preLoadAd(1);
    EXPECT_TRUE(started.empty()); // each moves on at the next pass
    runLoop();
    EXPECT_EQ(started, std::vector<std::string>{"b"});
    advance(1); // b's ad is shown
    made->rotateToNextAd();
    runLoop();
    EXPECT_EQ(started, (std::vector<std::string>{"b", "b"}));
    EXPECT_EQ(log.count("mediation: no adwick client in this run, so it has no ad"), 1u);
    EXPECT_EQ(log.count("mediation: no selvo client in this run, so it has no ad"), 1u);
}

} // namespace
} // namespace zelvan::mediation::testing
