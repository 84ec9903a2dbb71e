// The hook-ad banner over a parser filled with the ad host's sample reply, its source for the ad wrapper
// view, and page-view counting through the controllers' delegates.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "analytics/tallio/tallio_ad_impression.h"
#include "analytics/tallio/tallio_ad_parser.h"
#include "analytics/tallio/tallio_ad_view.h"
#include "analytics/tallio/tallio_api.h"
#include "analytics/tallio/tallio_hook_ad_source.h"
#include "analytics/tallio/tallio_page_view_delegate.h"
#include "analytics/tallio/tallio_session.h"
#include "platform/device/testing/device_simulators.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/url.h"
#include "platform/ui/application.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/tab_bar_controller.h"
#include "platform/ui/window.h"
#include "tallio_test_support.h"
#include "tools/devserver/dev_tallio_reply.h"

namespace zelvan::tallio {
namespace {

using testing::kKey;

void touchBanner(TallioAdView& view) {
    view.touchesBegan({}, nullptr);
}

class TurningScreen : public ui::ViewController {
public:
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) override { return true; }
};

class TallioBannerTest : public testing::TallioTest {
protected:
    void SetUp() override {
        TallioTest::SetUp();
        newRun();
        session_ = TallioSession::createActiveTallioSession(*context_, kKey);
    }
    void parseReply() {
        const std::string reply = devserver::devTallioReply();
        // The phase changes on a thread of its own, as the report's reply does.
        std::thread([&] {
            context_->adParser()->parseData({reinterpret_cast<const uint8_t*>(reply.data()), reply.size()});
        }).join();
    }
    static std::shared_ptr<TallioAdView> banner(const std::string& hook,
                                                const std::shared_ptr<ui::ViewController>& screen,
                                                const std::string* orientation = nullptr) {
        return std::dynamic_pointer_cast<TallioAdView>(TallioAPI::getHook(hook, 0, 0, screen, false, orientation));
    }
    std::vector<int> results() const {
        std::lock_guard guard(context_->lock());
        std::vector<int> out;
        for (const auto& impression : session_->adLog()) {
            out.push_back(impression->adResult());
        }
        return out;
    }

    std::shared_ptr<TallioSession> session_;
};

TEST_F(TallioBannerTest, WaitsForTheReplyThenShowsAndScreensGetDistinctAds) {
    auto screen = std::make_shared<ui::ViewController>();
    auto early = banner("zelvan", screen);
    ASSERT_TRUE(early);
    EXPECT_TRUE(early->isHidden());
    EXPECT_EQ(early->frame(), gfx::Rect(0, 0, 320, 48));
    EXPECT_EQ(early->adImpression()->adResult(), TallioAdImpression::kRequested);

    parseReply();
    EXPECT_TRUE(early->isHidden()); // the refresh waits for the main loop
    fnd::RunLoop::main().runUntilIdle();
    ASSERT_FALSE(early->isHidden());
    ASSERT_TRUE(early->ad());
    EXPECT_EQ(early->appNameLabel()->text(), "Pebble Match");
    EXPECT_EQ(early->sellMessageLabel()->text(), "Free for a limited time");
    EXPECT_TRUE(early->advertiserLabel()->isHidden());
    EXPECT_FALSE(early->portraitBackground()->isHidden());
    EXPECT_TRUE(early->landscapeBackground()->isHidden());
    // Subviews back to front: icon, landscape, portrait, sell message, name, advertiser.
    ASSERT_EQ(early->subviews().size(), 6u);
    EXPECT_EQ(early->subviews()[0], early->icon());
    EXPECT_EQ(early->subviews()[2], early->portraitBackground());
    EXPECT_EQ(early->subviews()[5], early->advertiserLabel());

    // Asked after the reply: shown at once with another ad of the block.
    auto late = banner("zelvan", screen);
    ASSERT_FALSE(late->isHidden());
    EXPECT_NE(late->ad()->adId, early->ad()->adId);
    touchBanner(*late);
    EXPECT_EQ(results(), (std::vector<int>{1, 2}));

    // An unknown hook falls back to the two-ad block: two banners on one screen, the third stays
    // hidden until one of the two goes away. The screen is a navigation controller: the hand-out and
    // the release are keyed by it alike.
    auto nav = ui::NavigationController::initWithRootViewController(std::make_shared<ui::ViewController>());
    auto a = banner("elsewhere", nav);
    auto b = banner("elsewhere", nav);
    auto c = banner("elsewhere", nav);
    EXPECT_FALSE(a->isHidden());
    EXPECT_FALSE(b->isHidden());
    EXPECT_NE(a->ad()->adId, b->ad()->adId);
    EXPECT_TRUE(c->isHidden());
    EXPECT_EQ(c->adImpression()->adResult(), TallioAdImpression::kRequested);
    a.reset();
    EXPECT_FALSE(banner("elsewhere", nav)->isHidden());
}

TEST_F(TallioBannerTest, OrientationsAndTheBareBanner) {
    parseReply();
    auto screen = std::make_shared<ui::ViewController>();
    const std::string upper = "LANDSCAPE";
    auto wide = banner("zelvan", screen, &upper);
    EXPECT_EQ(wide->frame(), gfx::Rect(0, 0, 480, 48));
    EXPECT_FALSE(wide->advertiserLabel()->isHidden());
    EXPECT_EQ(wide->advertiserLabel()->frame(), gfx::Rect(220, 27, 190, 15));
    EXPECT_EQ(wide->icon()->frame(), gfx::Rect(170, 4, 40, 40));
    EXPECT_TRUE(wide->portraitBackground()->isHidden());
    EXPECT_FALSE(wide->landscapeBackground()->isHidden());
    EXPECT_TRUE(testing::saveShot(*wide, "tallio-banner-landscape.png"));

    // No orientation given: the screen's, again at each turn of the device.
    auto window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    window->makeKeyAndVisible();
    auto turning = std::make_shared<TurningScreen>();
    window->setRootViewController(turning);
    device::testing::OrientationDriver::setOrientation(device::DeviceOrientation::LandscapeLeft);
    ASSERT_TRUE(ui::Application::shared().rotateTo(ui::InterfaceOrientation::LandscapeLeft));
    auto following = banner("zelvan", turning);
    EXPECT_EQ(following->frame().size.width, 480);
    ASSERT_TRUE(ui::Application::shared().rotateTo(ui::InterfaceOrientation::Portrait));
    device::testing::OrientationDriver::setOrientation(device::DeviceOrientation::Portrait);
    EXPECT_EQ(following->frame().size.width, 320);
    EXPECT_TRUE(following->advertiserLabel()->isHidden());
    EXPECT_TRUE(testing::saveShot(*following, "tallio-banner-portrait.png"));
    window->setRootViewController(nullptr);
    window->setHidden(true);

    // An ad without an icon: shown, blue, without elements.
    TallioAd bare;
    bare.adId = 7;
    auto plain = TallioAdView::initWithAd(bannerParts(context_), std::make_shared<TallioAd>(bare), "zelvan", 5, 6,
                                          screen, false, std::string("portrait"));
    EXPECT_FALSE(plain->isHidden());
    EXPECT_TRUE(plain->subviews().empty());
    EXPECT_EQ(plain->backgroundColor(), gfx::Color::blue());
    EXPECT_EQ(plain->frame(), gfx::Rect(5, 6, 320, 48));
}

TEST_F(TallioBannerTest, CanvasAddressEscapesHookAndCookie) {
    parseReply();
    clock_->advance(2.5);
    auto view = banner("zel van", std::make_shared<ui::ViewController>());
    ASSERT_TRUE(view->ad());
    const std::string address = view->canvasAddress();
    const std::string expected = context_->canvasURL() + "?apik=" + kKey +
                                 "&cid=" + std::to_string(view->ad()->canvasId) +
                                 "&adid=" + std::to_string(view->ad()->adId) + "&pid=" + TallioSession::phoneId() +
                                 "&sid=" + std::to_string(session_->startTime()) +
                                 "&its=2500&hid=zel%20van&ac=" + fnd::escapeUnreserved(view->ad()->adCookieString()) +
                                 "&ats=" + std::to_string(TallioSession::millisSince1970(fnd::Clock::now()));
    EXPECT_EQ(address, expected);
    // The sample's first ad carries a five-byte cookie, whose text holds a blank.
    const std::string first = banner("zelvan", std::make_shared<ui::ViewController>())->canvasAddress();
    EXPECT_NE(first.find("&hid=zelvan&ac=0a0b0c0d%200e&ats="), std::string::npos) << first;
    EXPECT_TRUE(fnd::Url::parse(first)) << first;
}

TEST_F(TallioBannerTest, HookSourceReportsTheAdOnce) {
    auto screen = std::make_shared<ui::ViewController>();
    auto source = TallioHookAdSource::create(context_->hookViewFactory(), screen);
    int available = 0;
    source->onAdAvailable = [&] { ++available; };
    EXPECT_FALSE(source->isAdViewReady());
    EXPECT_EQ(source->adView(), nullptr);
    parseReply();
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(available, 1);
    ASSERT_TRUE(source->isAdViewReady());
    EXPECT_EQ(source->adSize(), (gfx::Size{320, 48}));
    EXPECT_EQ(source->banner()->hook(), "zelvan");
}

// Records what reaches it; answers "should select" only when told.
class PreviousDelegate : public ui::TabBarControllerDelegate, public ui::NavigationControllerDelegate {
public:
    std::optional<bool> tabBarControllerShouldSelectViewController(ui::TabBarController&,
                                                                   ui::ViewController&) override {
        ++asked;
        return answer;
    }
    void tabBarControllerDidSelectViewController(ui::TabBarController&, ui::ViewController&) override { ++selected; }
    void navigationControllerDidShowViewController(ui::NavigationController&, ui::ViewController&,
                                                   ui::Animated) override {
        ++shown;
    }
    std::optional<bool> answer;
    int asked = 0, selected = 0, shown = 0;
};

TEST_F(TallioBannerTest, PageViewsCountedThroughTheProxies) {
    auto tabs = std::make_shared<ui::TabBarController>();
    auto first = std::make_shared<ui::ViewController>();
    auto previous = std::make_shared<PreviousDelegate>();
    tabs->setDelegate(previous);
    TallioAPI::countPageViews(tabs);
    auto proxy = tabs->delegate();
    ASSERT_TRUE(proxy);
    ASSERT_NE(proxy, std::static_pointer_cast<ui::TabBarControllerDelegate>(previous));
    EXPECT_EQ(proxy->tabBarControllerShouldSelectViewController(*tabs, *first), true);
    previous->answer = false;
    EXPECT_EQ(proxy->tabBarControllerShouldSelectViewController(*tabs, *first), false);
    EXPECT_EQ(previous->asked, 2);
    proxy->tabBarControllerDidSelectViewController(*tabs, *first);
    clock_->advance(0.2);
    proxy->tabBarControllerDidSelectViewController(*tabs, *first);
    EXPECT_EQ(previous->selected, 2);
    EXPECT_EQ(session_->pageViewCount(), 1);

    // Changes at 0, 0.25 and 0.5 s: the third is measured from the first.
    clock_->advance(1);
    auto nav = ui::NavigationController::initWithRootViewController(first);
    nav->setDelegate(previous);
    TallioAPI::countPageViews(nav);
    auto navProxy = nav->delegate();
    navProxy->navigationControllerDidShowViewController(*nav, *first, ui::Animated::No);
    clock_->advance(0.25);
    navProxy->navigationControllerDidShowViewController(*nav, *first, ui::Animated::No);
    clock_->advance(0.25);
    navProxy->navigationControllerDidShowViewController(*nav, *first, ui::Animated::No);
    EXPECT_EQ(previous->shown, 3);
    EXPECT_EQ(session_->pageViewCount(), 3);

    // Another kind of controller gets no proxy.
    EXPECT_EQ(TallioPageViewDelegate::createDelegateOnTarget(*context_, first), nullptr);
}

} // namespace
} // namespace zelvan::tallio
