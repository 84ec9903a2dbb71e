// The Selvo ad view's request cycle against the ad host: the factories, what the delegate hears and on
// which thread, the busy rule, default ads, the network-down refusal, click URLs, the two timers, and
// tear-down with work in flight.
#include <gtest/gtest.h>

#include "ads/selvo/sv_ad_type.h"
#include "ads/selvo/sv_run_mode.h"
#include "ads/selvo/view/sv_banner_ad_view.h"
#include "ads/selvo/view/sv_interstitial_ad_view.h"
#include "ads/selvo/view/sv_text_ad_view.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/application.h"
#include "tests/ads/selvo/view/selvo_view_fixture.h"

namespace zelvan::selvo {
namespace {

using testing::RecordingDelegate;

class SVAdViewTest : public testing::SelvoViewFixture {};

TEST_F(SVAdViewTest, FactoriesMakeEachKindAtItsSize) {
    auto small = SVAdView::adViewWithType(context_, 1, "pub", "site", 1, delegate_);
    ASSERT_TRUE(std::dynamic_pointer_cast<SVSmallBannerAdView>(small));
    EXPECT_EQ(small->frame(), gfx::Rect(0, 0, 320, 50));
    EXPECT_EQ(small->placement(), 3);
    EXPECT_EQ(small->realType(), 1);
    EXPECT_EQ(std::dynamic_pointer_cast<SVAdViewConcrete>(small)->requestAdType(), 0);
    EXPECT_EQ(std::dynamic_pointer_cast<SVAdViewConcrete>(small)->batchSize(), 0U);
    EXPECT_EQ(SVAdView::adViewWithType(context_, 1, "pub", "site", 3, delegate_)->frame(), gfx::Rect(0, 0, 460, 50));
    EXPECT_EQ(SVAdView::adViewWithType(context_, 0, "pub", "site", 1, delegate_)->frame(), gfx::Rect(0, 0, 320, 80));
    auto text = SVAdView::adViewWithType(context_, 2, "pub", "site", 4, delegate_);
    ASSERT_TRUE(std::dynamic_pointer_cast<SVTextAdView>(text));
    EXPECT_EQ(text->frame(), gfx::Rect(0, 0, 460, 50));
    EXPECT_TRUE(text->font()->isBold());
    auto interstitial = SVAdView::adViewWithType(context_, 3, "pub", "site", 1, delegate_);
    ASSERT_TRUE(std::dynamic_pointer_cast<SVInterstitialAdView>(interstitial));
    EXPECT_EQ(interstitial->frame(), gfx::Rect(0, 0, 0, 0));
    EXPECT_EQ(interstitial->textColor(), gfx::Color::white());
    EXPECT_EQ(SVAdView::adViewWithType(context_, 5, "pub", "site", 1, delegate_), nullptr);
    EXPECT_EQ(SVAdView::adViewWithType(context_, -1, "pub", "site", 1, delegate_), nullptr);
    EXPECT_EQ(SVAdView::libBuildInfo(), "SelvoMobile iPhone SDK (simulator) Version 2.0.0 Built Jul  9 2009 18:31:02");
    SVAdView::setTestMode(*context_, true);
    EXPECT_EQ(SVRunMode(*context_), 1);
}

TEST_F(SVAdViewTest, DisplayNewAdShowsTheDefaultThenTheFetchedAdOnMain) {
    verbose();
    fnd::testing::LogCapture log;
    delegate_->fallback = ad("default");
    auto banner = view(1, "pub");
    banner->displayNewAd();
    EXPECT_EQ(RecordingDelegate::idOf(banner->ad()), "default");
    banner->displayNewAd(); // still busy
    EXPECT_EQ(log.count("SVADView already busy, returning with out requesting new ads."), 1U);

    ASSERT_TRUE(pump([&] { return delegate_->didDisplay == 2 && !banner->isBusy(); }));
    EXPECT_FALSE(delegate_->displayedOffMain);
    EXPECT_EQ(delegate_->willRequest, 1);
    EXPECT_EQ(requestsTo("/selvo/adserver/render"), 1U);
    ASSERT_TRUE(banner->ad());
    EXPECT_TRUE(banner->ad()->adID().starts_with("s"));
    EXPECT_EQ(delegate_->willDisplaySaw, (std::vector<std::string>{"none", "default"}));
    // The tracking pixel is pinged on a thread of its own; the layer shows the picture.
    ASSERT_TRUE(pump([&] { return requestsTo("/selvo/pixel/") == 1; }));
    banner->layoutIfNeeded();
    ASSERT_TRUE(banner->imageLayer());
    EXPECT_TRUE(banner->imageLayer()->contents());

    // Once idle it asks again.
    banner->displayNewAd();
    ASSERT_TRUE(pump([&] { return delegate_->didDisplay == 3; }));
    EXPECT_EQ(requestsTo("/selvo/adserver/render"), 2U);
}

TEST_F(SVAdViewTest, ServerErrorsFailOffMainWhileEmptyRepliesSayNothing) {
    auto failing = view(1, "error500");
    failing->displayNewAd();
    ASSERT_TRUE(pump([&] { return delegate_->failed == 1 && !failing->isBusy(); }));
    EXPECT_FALSE(delegate_->failedOnMain);
    EXPECT_EQ(delegate_->failedCode, 500);
    EXPECT_EQ(failing->ad(), nullptr);

    auto empty = view(1, "empty");
    empty->displayNewAd();
    ASSERT_TRUE(pump([&] { return !empty->isBusy(); }));
    EXPECT_EQ(delegate_->failed, 1);
    EXPECT_EQ(delegate_->didDisplay, 0);
    EXPECT_EQ(empty->ad(), nullptr);

    // A server that cannot be reached: a download failure, told to nobody.
    SelvoConfig nowhere;
    nowhere.endpoint = NetworkEndpoint("http://127.0.0.1:1", "/selvo");
    auto unreachable = std::dynamic_pointer_cast<SVAdViewConcrete>(
        SVAdView::adViewWithType(std::make_shared<SelvoContext>(nullptr, nowhere), 1, "pub", "site", 1, delegate_));
    unreachable->displayNewAd();
    ASSERT_TRUE(pump([&] { return !unreachable->isBusy(); }));
    EXPECT_EQ(delegate_->failed, 1);
    EXPECT_EQ(delegate_->didDisplay, 0);
    EXPECT_EQ(SVAdView::cachedAdsCount(*context_, 0, "pub", "site", 3, std::nullopt), 0);
}

TEST_F(SVAdViewTest, NetworkDownKeepsTheAdShown) {
    verbose();
    fnd::testing::LogCapture log;
    auto banner = view(0, "pub");
    banner->setAd(ad("first"));
    reachability_->setDefaultFlags(0);
    clock_->advance(SVCacheManager::kPingLifetime + 1);
    banner->setAd(ad("second"));
    EXPECT_EQ(RecordingDelegate::idOf(banner->ad()), "first");
    EXPECT_EQ(delegate_->didDisplay, 1);
    EXPECT_TRUE(log.contains("network down, not setting ad"));
}

TEST_F(SVAdViewTest, ClicksCarryTheDeviceIdAsQuid) {
    auto banner = view(0, "pub");
    banner->setOpenInSafari(true);
    ui::Application::shared().clearOpenedUrls();
    for (const auto& [link, expected] : {std::pair{"http://shop.test/a", "http://shop.test/a?quid=dev-1"},
                                         std::pair{"http://shop.test/a?x=1", "http://shop.test/a?x=1&quid=dev-1"}}) {
        banner->setAd(ad("a", link));
        banner->touchesEnded({}, nullptr);
        ASSERT_FALSE(ui::Application::shared().openedUrls().empty());
        EXPECT_EQ(ui::Application::shared().openedUrls().back(), expected);
    }
    EXPECT_EQ(delegate_->willFollow, 2);
    EXPECT_EQ(delegate_->didFollow, 2);
    EXPECT_TRUE(banner->clickedOn());

    // In the application: the delegate gets the landing page for the same address.
    banner->setOpenInSafari(false);
    banner->touchesEnded({}, nullptr);
    ASSERT_TRUE(delegate_->landing);
    EXPECT_EQ(delegate_->landing->url()->absoluteString(), "http://shop.test/a?x=1&quid=dev-1");
    EXPECT_TRUE(banner->openWebview());
    banner->dismissWebview(*delegate_->landing);
    EXPECT_FALSE(banner->openWebview());
    EXPECT_EQ(delegate_->dismissed, 1);
}

TEST_F(SVAdViewTest, RotationTimerRequestsEachIntervalAndWaitsWhileTheLandingPageIsOpen) {
    verbose();
    fnd::testing::LogCapture log;
    auto banner = view(1, "pub");
    banner->setDisplayMode(2);
    banner->setAdInterval(30);
    banner->displayNewAd();
    ASSERT_TRUE(pump([&] { return delegate_->didDisplay == 1 && !banner->isBusy(); }));
    clock_->advance(30);
    ASSERT_TRUE(pump([&] { return delegate_->didDisplay == 2 && !banner->isBusy(); }));
    EXPECT_EQ(requestsTo("/selvo/adserver/render"), 2U);

    banner->touchesEnded({}, nullptr); // opens the landing page
    ASSERT_TRUE(banner->openWebview());
    clock_->advance(30);
    ASSERT_TRUE(pump([&] { return log.contains("Webview open, skip setting new ad"); }));
    EXPECT_EQ(requestsTo("/selvo/adserver/render"), 2U);
    banner->dismissWebview(*delegate_->landing);
    clock_->advance(30);
    ASSERT_TRUE(pump([&] { return delegate_->didDisplay == 3; }));
    EXPECT_EQ(requestsTo("/selvo/adserver/render"), 3U);
}

TEST_F(SVAdViewTest, DismissTimerTakesTheViewOffItsParent) {
    auto parent = ui::View::create(gfx::Rect(0, 0, 320, 480));
    auto banner = view(1, "pub");
    parent->addSubview(banner);
    banner->setDisplayMode(1);
    banner->setAdInterval(5);
    banner->displayNewAd();
    ASSERT_TRUE(pump([&] { return delegate_->didDisplay == 1; }));
    EXPECT_EQ(banner->superview(), parent);
    clock_->advance(5);
    ASSERT_TRUE(pump([&] { return delegate_->didClose == 1; }));
    EXPECT_EQ(delegate_->willClose, 1);
    EXPECT_EQ(banner->superview(), nullptr);
}

TEST_F(SVAdViewTest, TearDownWithWorkInFlightNeitherHangsNorReachesTheView) {
    // A request still running on the view's queue.
    auto stalled = view(1, "stall");
    stalled->displayNewAd();
    ASSERT_TRUE(pump([&] { return delegate_->willRequest == 1; }));
    record_->releaseStalls();
    stalled.reset();

    // A view gone right after its request finished: the posted completion and the pixel thread find
    // no view.
    auto quick = view(1, "pub");
    quick->displayNewAd();
    // (The released stall is answered under the same path, in any order with this one.)
    ASSERT_TRUE(pump([&] { return requestsTo("/selvo/adserver/render", "pub") == 1; }));
    quick.reset();
    fnd::RunLoop::current().runUntilIdle();
    EXPECT_EQ(delegate_->didDisplay, 0);

    // Batch requests and prefetches finishing while more are queued from the main thread.
    auto batch = view(0, "pub", 5);
    for (int i = 0; i < 20; ++i) {
        batch->displayNewAd();
        batch->prefetchAds(std::vector<SVAdRequest>{SVAdRequest::adRequestsForType(0, 5)});
    }
    ASSERT_TRUE(pump([&] { return delegate_->prefetched == 20 && batch->runningBatchOps().empty(); }));
    EXPECT_GE(delegate_->didDisplay, 20);
    batch->displayNewAd();
    batch.reset(); // with a batch operation queued
}

} // namespace
} // namespace zelvan::selvo
