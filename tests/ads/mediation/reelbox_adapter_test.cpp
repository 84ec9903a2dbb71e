// The Reelbox adapter and its ad frame view against the dev server's Reelbox pages on 127.0.0.1: with a
// recording script host playing the ad page's functions, and once with the real script engine running the
// pages' own scripts.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "ads/mediation/ad_frame_view.h"
#include "ads/mediation/network_starters.h"
#include "ads/mediation/reelbox_ad_controller.h"
#include "app/wiring/mediation.h"
#include "platform/device/device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/application.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/recording_script_host.h"
#include "platform/ui/screen.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/touch.h"
#include "platform/ui/window.h"
#include "tests/ads/mediation/mediation_test_support.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::mediation::testing {
namespace {

struct Reelbox : Fixture {
    devserver::DevAdsServer ads;
    std::map<std::string, std::string> page; // what the ad page's functions answer
    std::shared_ptr<ORVAdController> made;

    void SetUp() override {
        Fixture::SetUp();
        devserver::addReelboxRoutes(ads);
        ASSERT_TRUE(ads.start());
        context->setEndpoint(NetworkEndpoint(ads.baseURL(), ""));
        addNetworkStarters(*context, {});
        add("next", Reply::NoAd);
        ui::installScriptHostFactory([this] {
            auto host = std::make_shared<ui::RecordingScriptHost>();
            for (const auto& [expression, answer] : page) {
                host->answer(expression, answer);
            }
            return host;
        });
        ui::Application::shared().setStatusBarHidden(false);
    }
    void TearDown() override {
        made.reset();
        Fixture::TearDown();
        ui::installScriptHostFactory(nullptr);
        ads.stop();
    }
    std::string base() const { return ads.baseURL() + "/reelbox"; }
    std::shared_ptr<AdFrameView> frameView() {
        auto view = AdFrameView::create(gfx::Rect(0, 0, 300, 50));
        view->setServerBase(base());
        return view;
    }
    static bool finish(const std::shared_ptr<ui::WebView>& web) {
        return ui::testing::WebViewDriver(web).finishLoad(10);
    }
    static std::vector<std::string> evaluations(const std::shared_ptr<ui::WebView>& web) {
        auto host = ui::testing::WebViewDriver(web).recordingHost();
        return host ? host->evaluations() : std::vector<std::string>();
    }
    // One "reelbox" attempt for `publisher`: true when it moved on, false when it showed its ad.
    bool attempt(const std::string& publisher, const std::function<void()>& meanwhile = {}) {
        auto net = network("reelbox");
        net->adNetworkGameIDs = {publisher, "area-1", ""};
        order({net, network("next")}, 0, 2, 1);
        started.clear();
        made = controller();
        made->preLoadAd(1);
        if (meanwhile) {
            meanwhile();
        }
        EXPECT_TRUE(fnd::RunLoop::main().pumpUntil(
            [&] { return !made->iORVAdView()->subviews().empty() || !started.empty(); }, 20));
        fnd::RunLoop::main().runUntilIdle();
        return !started.empty();
    }
    std::shared_ptr<ReelboxAdController> shown() const {
        auto subviews = made->iORVAdView()->subviews();
        return subviews.empty() ? nullptr : std::dynamic_pointer_cast<ReelboxAdController>(subviews.front());
    }
};

TEST_F(Reelbox, AdTagAndSamplePage) {
    auto view = frameView();
    view->requestAd({{"publisher", "TestPublisher"}});
    ASSERT_TRUE(finish(view->bannerView()));
    EXPECT_EQ(view->bannerView()->request()->url().absoluteString(), base() + AdFrameView::kSamplePath);

    view->requestAd({{"publisher", "pub"}, {"area", "ar"}, {"_site", "mine"}, {"_x", "1"}, {"plain", "2"}});
    ASSERT_TRUE(finish(view->bannerView()));
    const std::string device = device::Device::current().uniqueIdentifier();
    const std::string rid = device + fnd::format("%08x", static_cast<uint32_t>(fnd::Clock::now().since1970()));
    EXPECT_EQ(view->bannerView()->request()->url().absoluteString(),
              base() + "/LSERVER/hserver/aamsz=iphone/rid=" + rid + "/pui=" + device +
                  "/ccid=/area=fb_ar/pb=pub/adVersion=1.0.4/dim=300x50/site=mine/x=1");
    // The page has no getCloseBounds() answer: no ad.
    EXPECT_EQ(view->lastError(), AdFrameView::kNoAdError);
    EXPECT_FALSE(view->isUserInteractionEnabled());
}

TEST_F(Reelbox, OneOutcomePerAttempt) {
    EXPECT_TRUE(attempt("type1")); // no getCloseBounds(): the next network
    page = {{"getCloseBounds()", "0,0,20,20"}, {"getAdType()", "9"}};
    // Another banner's failure while this attempt loads is not its outcome.
    auto other = frameView();
    EXPECT_FALSE(attempt("type1", [&] {
        fnd::NotificationCenter::defaultCenter().postNotificationName(AdFrameView::kVELoadFailure, fnd::Value(other));
    }));
    auto adapter = shown();
    ASSERT_TRUE(adapter);
    EXPECT_EQ(adapter->frame(), gfx::Rect(0, 0, 300, 50));
    EXPECT_EQ(adapter->adView()->alpha(), 1);
    EXPECT_EQ(ads.requests().back().path.find("/reelbox/LSERVER/hserver/aamsz=iphone/"), 0u);
    EXPECT_NE(ads.requests().back().path.find("/area=fb_area-1/pb=type1/"), std::string::npos);
    // A later failure of the same banner changes nothing.
    adapter->adView()->webViewDidFailLoadWithError(*adapter->adView()->bannerView(), fnd::Error("test", 1));
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(shown(), adapter);

    context->setEndpoint(NetworkEndpoint()); // no ad host: nothing is sent
    const size_t before = ads.requests().size();
    EXPECT_TRUE(attempt("type1"));
    EXPECT_EQ(ads.requests().size(), before);
}

TEST_F(Reelbox, AdTypesPrepareTheTakeover) {
    const std::string takeover = ads.baseURL() + "/reelbox/ads/takeover.html";
    const std::string rule = "document.getElementById( 'gfx' ).sheet.cssRules";
    page = {{"getCloseBounds()", "1"},           {"getTakeoverURL()", takeover + "?three"},
            {"getBanner()", takeover + "?four"}, {rule + ".length", "2"},
            {rule + "[0].cssText", "a{}"},       {rule + "[1].cssText", "b{}"}};
    auto load = [&](const std::string& type, const std::string& publisher) {
        page["getAdType()"] = type;
        auto view = frameView();
        view->requestAd({{"adURL", base() + "/LSERVER/hserver/pb=" + publisher + "/"}});
        EXPECT_TRUE(finish(view->bannerView()));
        EXPECT_TRUE(finish(view->takeoverView()));
        return view;
    };
    auto one = load("", "type1"); // an empty type is 1: the banner's own markup at its address
    EXPECT_EQ(one->takeoverView()->request()->url().absoluteString(), base() + "/LSERVER/hserver/pb=type1/");
    auto two = load("2", "type2"); // the style link replaced by the page's rules
    const std::string html =
        two->takeoverView()->stringByEvaluatingJavaScriptFromString("document.documentElement.innerHTML");
    EXPECT_NE(html.find("<style type=\"text/css\">a{}b{}</style>"), std::string::npos);
    EXPECT_EQ(html.find("<link"), std::string::npos);
    EXPECT_EQ(load("3", "type3")->takeoverView()->request()->url().absoluteString(), takeover + "?three");
    auto four = load("4", "type4");
    EXPECT_EQ(four->takeoverView()->request()->url().absoluteString(), takeover + "?four");
    EXPECT_FALSE(four->bannerView()->isUserInteractionEnabled());
    // A rule count the page makes huge is capped; one that is no number is none.
    page[rule + ".length"] = "99999999";
    auto many = load("2", "type2");
    size_t reads = 0;
    for (const auto& expression : evaluations(many->bannerView())) {
        reads += expression.ends_with("].cssText") ? 1 : 0;
    }
    EXPECT_EQ(reads, static_cast<size_t>(AdFrameView::kMaxStyleRules));
    page[rule + ".length"] = "1e3";
    EXPECT_TRUE(load("2", "type2")
                    ->takeoverView()
                    ->stringByEvaluatingJavaScriptFromString("document.documentElement.innerHTML")
                    .find("<style type=\"text/css\"></style>") != std::string::npos);
}

TEST_F(Reelbox, TakeoverReturnAndLinks) {
    page = {{"getCloseBounds()", "1"}, {"getAdType()", "7"}};
    auto window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    window->makeKeyAndVisible();
    window->setBounds(gfx::Rect(0, 0, 320, 460));
    auto view = frameView();
    window->addSubview(view);
    view->requestAd({{"publisher", "type1"}});
    ASSERT_TRUE(finish(view->bannerView()));
    ASSERT_TRUE(view->isUserInteractionEnabled());
    const std::string bannerURL = view->bannerView()->request()->url().absoluteString();
    std::vector<std::string> heard;
    std::vector<fnd::ObserverToken> tokens;
    for (const char* name : {AdFrameView::kVELaunchedAd, AdFrameView::kVEClosedAd}) {
        tokens.push_back(fnd::NotificationCenter::defaultCenter().addObserver(
            name, fnd::Value(view), [&heard](const fnd::Notification& note) { heard.push_back(note.name); }));
    }
    ui::AnimationLog::clear();
    view->touchesBegan({ui::Touch::begin(window, gfx::Point(10, 10))}, nullptr);
    ASSERT_TRUE(view->takeoverVisible());
    EXPECT_EQ(window->bounds(), ui::Screen::main().bounds());
    EXPECT_EQ(view->takeoverContainer()->superview().get(), window.get());
    EXPECT_EQ(heard, std::vector<std::string>{"VELaunchedAd"});
    auto entries = ui::AnimationLog::entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "showTakeover");
    EXPECT_EQ(entries[0].duration, AdFrameView::kTakeoverSeconds);
    EXPECT_EQ(entries[0].transition, "curlUp");
    view->touchesBegan({ui::Touch::begin(window, gfx::Point(10, 10))}, nullptr); // already open
    EXPECT_EQ(heard.size(), 1u);
    view->requestAd({{"publisher", "TestPublisher"}}); // ignored while the takeover shows
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(view->bannerView()->request()->url().absoluteString(), bannerURL);
    advance(0.6);
    EXPECT_FALSE(ui::Application::shared().statusBarHidden());
    advance(0.1);
    EXPECT_TRUE(ui::Application::shared().statusBarHidden());
    advance(1);
    EXPECT_EQ(evaluations(view->takeoverView()).back(), "sendTapBeacons()");

    // Links inside the takeover.
    auto ask = [&](const std::string& url, ui::NavigationType type) {
        fnd::UrlRequest request(*fnd::Url::parse(url));
        return view->webViewShouldStartLoadWithRequest(*view->takeoverView(), request, type);
    };
    EXPECT_FALSE(ask("http://127.0.0.1:9/page", ui::NavigationType::LinkClicked));
    ASSERT_TRUE(view->landingView());
    EXPECT_EQ(view->landingView()->frame(), gfx::Rect(0, 44, 320, 436));
    EXPECT_TRUE(view->landingView()->scalesPageToFit());
    EXPECT_TRUE(view->activityIndicator()->isAnimating());
    EXPECT_TRUE(ask("http://127.0.0.1:9/frame", ui::NavigationType::Other));
    EXPECT_FALSE(ask("video://media.test/clip.mp4", ui::NavigationType::Other));
    EXPECT_EQ(view->generateRequest("http://media.test/clip.mp4")->url().absoluteString(),
              "http://media.test/clip.mp4");
    EXPECT_TRUE(ask("mailto:someone@test", ui::NavigationType::LinkClicked));

    // Return: curled down, beacons, the window and status bar as they were.
    ui::AnimationLog::clear();
    view->onCloseEvent();
    EXPECT_EQ(evaluations(view->takeoverView()).back(), "sendTSpentBeacons()");
    entries = ui::AnimationLog::entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "hideTakeover");
    EXPECT_EQ(entries[0].transition, "curlDown");
    EXPECT_EQ(view->bannerView()->superview().get(), view.get());
    advance(0.5);
    EXPECT_FALSE(ui::Application::shared().statusBarHidden());
    advance(1.1);
    EXPECT_EQ(heard, (std::vector<std::string>{"VELaunchedAd", "VEClosedAd"}));
    EXPECT_EQ(window->bounds(), gfx::Rect(0, 0, 320, 460));
    EXPECT_FALSE(view->landingView());
    EXPECT_FALSE(view->takeoverContainer()->superview());
    EXPECT_TRUE(ask("http://127.0.0.1:9/page", ui::NavigationType::LinkClicked)); // no takeover: allowed
}

// A page from the application bundle, and the takeover's links looked up there too.
TEST_F(Reelbox, BundledAd) {
    const std::string folder = ::testing::TempDir() + "reelbox_bundle";
    std::filesystem::create_directories(folder);
    for (const char* name : {"ad.html", "clip.mp4"}) {
        std::ofstream(folder + "/" + name) << "<html><body>bundled</body></html>";
    }
    setenv("ZELVAN_BUNDLE", folder.c_str(), 1);
    fnd::Bundle::resetMain();
    page = {{"getCloseBounds()", "1"}};
    auto view = frameView();
    bool succeeded = false;
    auto token = fnd::NotificationCenter::defaultCenter().addObserver(
        AdFrameView::kVELoadSuccess, fnd::Value(view), [&](const fnd::Notification&) { succeeded = true; });
    view->requestAd({{"localAd", "ad"}, {"publisher", "TestPublisher"}});
    EXPECT_TRUE(view->localAd());
    ASSERT_TRUE(finish(view->bannerView()));
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(view->bannerView()->request()->url().path(), folder + "/ad.html");
    EXPECT_EQ(view->generateRequest("http://media.test/a/clip.v2.mp4")->url().path(), folder + "/clip.mp4");
    EXPECT_FALSE(view->generateRequest("http://media.test/a/other.mp4"));
    auto missing = frameView();
    missing->requestAd({{"localAd", "absent"}});
    EXPECT_EQ(missing->lastError(), AdFrameView::kNoAdError);
    unsetenv("ZELVAN_BUNDLE");
    fnd::Bundle::resetMain();
}

// The pages' own scripts, run by the script engine.
TEST_F(Reelbox, ScriptEnginePages) {
    ui::installScriptHostFactory(ui::DuktapeScriptHost::factory());
    EXPECT_FALSE(attempt("type3"));
    EXPECT_TRUE(attempt("noclose"));
}

} // namespace
} // namespace zelvan::mediation::testing
