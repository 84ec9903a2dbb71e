// The Ostrom and Kavlo adapters through the application's fetcher against the dev server's ad host on
// 127.0.0.1: what they ask for, which replies become ads, that every attempt ends in one report, and the
// wait between rounds of the order that all fail.
#include <map>

#include "ads/mediation/ad_landing_page.h"
#include "ads/mediation/kavlo_interface.h"
#include "ads/mediation/network_starters.h"
#include "ads/mediation/ostrom_ad_view_controller.h"
#include "ads/mediation/selvo_interface.h"
#include "app/wiring/mediation.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/ui/application.h"
#include "platform/ui/button.h"
#include "platform/ui/web_view.h"
#include "platform/ui/window.h"
#include "tests/ads/mediation/mediation_test_support.h"
#include "tools/devserver/dev_ads_kavlo.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::mediation::testing {
namespace {

struct HostAdapters : Fixture {
    devserver::DevAdsServer ads;
    std::shared_ptr<ORVAdController> made;
    std::vector<std::string> htmlAds;

    void SetUp() override {
        Fixture::SetUp();
        devserver::addOstromRoutes(ads);
        devserver::addKavloRoutes(ads);
        devserver::addSelvoRoutes(ads);
        ASSERT_TRUE(ads.start());
        context->setHouseAdService(app::makeHouseAdService([] { return nullptr; }));
        context->setHtmlAdFactory([this](const std::string& html, gfx::Size) {
            htmlAds.push_back(html);
            return ui::View::create(gfx::Rect(0, 0, 320, 50));
        });
        context->setEndpoint(NetworkEndpoint(ads.baseURL(), ""));
        addNetworkStarters(*context, {});
        add("next", Reply::NoAd);
        fnd::UserDefaults::standard().removeObjectForKey(OstromAdsModel::kUserIdKey);
    }
    void TearDown() override {
        made.reset();
        Fixture::TearDown();
        ads.stop();
    }
    // One attempt of `key` with the game ids `first`, `second`: true when it moved on to the next network
    // (exactly once), false when it put its ad on screen.
    bool attempt(const std::string& key, const std::string& first, const std::string& second = "pub-1") {
        auto net = network(key);
        net->adNetworkGameIDs = {first, second, ""};
        order({net, network("next")}, 0, 2, 1);
        started.clear();
        made = controller();
        made->preLoadAd(1);
        EXPECT_TRUE(fnd::RunLoop::main().pumpUntil(
            [&] { return !made->iORVAdView()->subviews().empty() || !started.empty(); }, 20));
        fnd::RunLoop::main().runUntilIdle();
        const bool shown = !made->iORVAdView()->subviews().empty();
        EXPECT_NE(shown, started == std::vector<std::string>{"next"}) << key << " " << first;
        EXPECT_LE(started.size(), 1u);
        return !shown;
    }
    std::shared_ptr<OstromAdViewController> shownOstrom() const {
        auto subviews = made->iORVAdView()->subviews();
        return subviews.empty() ? nullptr : std::dynamic_pointer_cast<OstromAdViewController>(subviews.front());
    }
    std::vector<devserver::DevAdsRequest> requestsUnder(const std::string& prefix) const {
        std::vector<devserver::DevAdsRequest> out;
        for (auto& request : ads.requests()) {
            if (request.path.starts_with(prefix)) {
                out.push_back(request);
            }
        }
        return out;
    }
};

TEST_F(HostAdapters, OstromQueryUserIdAndImage) {
    EXPECT_FALSE(attempt("ostrom", "space-1"));
    auto requests = requestsUnder("/ostrom");
    ASSERT_EQ(requests.size(), 2u);
    const std::map<std::string, std::string> query(requests[0].query.begin(), requests[0].query.end());
    const std::map<std::string, std::string> expected{
        {"adspace", "space-1"}, {"pub", "pub-1"}, {"beacon", "true"},  {"format", "IMG"}, {"position", "top"},
        {"adcount", "1"},       {"user", "0"},    {"response", "XML"}, {"height", "55"},  {"width", "320"}};
    EXPECT_EQ(query, expected);
    // The image is fetched with the user agent the web view probe gave.
    EXPECT_EQ(requests[1].path, "/ostrom/img/1.png");
    EXPECT_EQ(requests[1].header("User-Agent"), ui::WebView::kDefaultUserAgent);
    auto shown = shownOstrom();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->frame(), gfx::Rect(0, 0, 320, 55));
    EXPECT_EQ(shown->ostromAdsFetcherObj()->ostromAdModelObj()->adId, "ad-1");

    // The reply's user id goes back with the next request; a stored "0" is sent as "0".
    EXPECT_FALSE(attempt("ostrom", "repeated"));
    requests = requestsUnder("/ostrom");
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[2].param("user"), "abc");
    EXPECT_EQ(requests[3].path, "/ostrom/img/2.png"); // a repeated ad reads as its first
    fnd::UserDefaults::standard().setObject(fnd::Value("0"), OstromAdsModel::kUserIdKey);
    EXPECT_TRUE(attempt("ostrom", "error"));
    EXPECT_EQ(requestsUnder("/ostrom").back().param("user"), "0");
}

TEST_F(HostAdapters, OstromFailuresMoveOnOnce) {
    for (const char* space : {"error", "500", "nolink", "notxml"}) {
        const size_t before = requestsUnder("/ostrom").size();
        EXPECT_TRUE(attempt("ostrom", space)) << space;
        // No image is asked for.
        EXPECT_EQ(requestsUnder("/ostrom").size(), before + 1) << space;
    }
    context->setEndpoint(NetworkEndpoint()); // no ad host: nothing is sent
    const size_t before = ads.requests().size();
    EXPECT_TRUE(attempt("ostrom", "space-1"));
    EXPECT_EQ(ads.requests().size(), before);
}

TEST_F(HostAdapters, OstromTapAndLandingPage) {
    auto window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    window->makeKeyAndVisible();
    EXPECT_FALSE(attempt("ostrom", "noclick"));
    auto fetcher = shownOstrom()->ostromAdsFetcherObj();
    auto button = std::dynamic_pointer_cast<ui::Button>(fetcher->ostromAdView()->subviews().back());
    ASSERT_TRUE(button);
    button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_FALSE(fetcher->landingPage()); // an empty click URL: the tap does nothing

    EXPECT_FALSE(attempt("ostrom", "space-1"));
    fetcher = shownOstrom()->ostromAdsFetcherObj();
    ui::AnimationLog::clear();
    fetcher->linkBtnClickAction();
    auto page = fetcher->landingPage();
    ASSERT_TRUE(page && page->webViewLoading());
    EXPECT_EQ(page->savedURL(), ads.baseURL() + "/ostrom/landing?ad=1");
    advance(0.3);
    EXPECT_EQ(transitions(), std::vector<std::string>{"curlUp"});
    // A store link is handed to the system as well, "phobos" for "itunes".
    ui::Application::shared().clearOpenedUrls();
    fnd::UrlRequest store(*fnd::Url::parse("http://itunes.test/app?itunes=1"));
    EXPECT_TRUE(
        page->webViewShouldStartLoadWithRequest(*page->OrvaneWebView(), store, ui::NavigationType::LinkClicked));
    EXPECT_EQ(ui::Application::shared().openedUrls(), std::vector<std::string>{"http://phobos.test/app?phobos=1"});
    page->backtoGameAction();
    page->backtoGameAction();
    advance(0.3);
    EXPECT_EQ(transitions(), (std::vector<std::string>{"curlUp", "curlDown"}));
    EXPECT_FALSE(page->webViewLoading());
}

TEST_F(HostAdapters, KavloRawReplies) {
    EXPECT_FALSE(attempt("kavlo", "", "plain"));
    ASSERT_EQ(htmlAds.size(), 1u);
    EXPECT_NE(htmlAds[0].find("<a href='/kavlo/landing'"), std::string::npos);
    const auto query = requestsUnder("/kavlo").back();
    EXPECT_EQ(query.param("a"), "plain");
    EXPECT_EQ(query.param("ip"), KavloInterface::kIp);
    EXPECT_EQ(query.param("ll"), KavloInterface::kLocation);
    EXPECT_EQ(query.param("ua"), KavloInterface::kUserAgent); // sent as given, escaped once more
    EXPECT_FALSE(query.param("u").empty());

    EXPECT_FALSE(attempt("kavlo", "", "upper")); // "A HREF" counts
    EXPECT_TRUE(attempt("kavlo", "", "empty"));
    context->setEndpoint(NetworkEndpoint("http://127.0.0.1:9", "")); // nothing listens: a transport error
    EXPECT_TRUE(attempt("kavlo", "", "plain"));
    EXPECT_TRUE(context->kavloInterface()->hasError());
    EXPECT_EQ(htmlAds.size(), 2u);
}

// Nothing in the client starts the raw Selvo adapter; here a starter wires it to an attempt.
TEST_F(HostAdapters, SelvoRawAdapter) {
    context->setStarter("selvoraw",
                        [this](ORVAdController& controller, AttemptToken token) -> std::shared_ptr<MediationAdapter> {
                            context->selvoInterface()->setAdController(controller.weak_from_this(), token);
                            context->selvoInterface()->fetchAd();
                            return nullptr;
                        });
    EXPECT_FALSE(attempt("selvoraw", "pub-7"));
    ASSERT_EQ(htmlAds.size(), 1u);
    auto selvo = context->selvoInterface();
    EXPECT_NE(htmlAds[0].find(selvo->bannerURL()), std::string::npos);
    EXPECT_EQ(selvo->adWidth(), 320);
    const auto query = requestsUnder("/selvo").back();
    EXPECT_EQ(query.param("pid"), "pub-7");
    EXPECT_EQ(query.param("fmt"), "xml");
    EXPECT_TRUE(attempt("selvoraw", "garbage"));
    EXPECT_EQ(htmlAds.size(), 1u);
}

// Both networks of the order fail at once on the host. Simulated minutes, second by second, each second's
// attempts left to finish on the host before the clock moves on: a round of the order, then 30 s, 60 s ...
// until an ad shows, after which the waits start over.
TEST_F(HostAdapters, FailedRoundsWaitLongerEachTime) {
    fnd::testing::LogCapture log;
    auto ostrom = network("ostrom");
    ostrom->adNetworkGameIDs = {"500", "pub-1", ""};
    auto kavlo = network("kavlo");
    kavlo->adNetworkGameIDs = {"", "empty", ""};
    order({ostrom, kavlo}, 10, 2, 1);
    made = controller();
    // Without a wait the host sees this many requests long before the first simulated second ends.
    constexpr size_t kFlood = 200;
    auto run = [&](int seconds) {
        for (int i = 0; i < seconds && ads.requests().size() <= kFlood; ++i) {
            fnd::RunLoop::main().pumpUntil(
                [&] { return made->anyPreloadActive() != 1 || ads.requests().size() > kFlood; }, 20);
            advance(1);
        }
    };
    auto waits = [&] {
        std::vector<double> out;
        for (const auto& line : log.lines()) {
            if (auto at = line.find("the next round in "); at != std::string::npos) {
                out.push_back(std::stod(line.substr(at + 18)));
            }
        }
        return out;
    };
    made->preLoadAd(1);
    run(600); // rounds at 0, 30, 90, 210 and 450 s; the next is due at 930 s
    EXPECT_EQ(requestsUnder("/ostrom").size(), 5u);
    EXPECT_EQ(requestsUnder("/kavlo").size(), 5u);
    EXPECT_EQ(waits(), (std::vector<double>{30, 60, 120, 240, 480}));

    // The round at 930 s shows a Kavlo ad; the rotation 10 s later fails in full and waits 30 s again.
    kavlo->adNetworkGameIDs[1] = "plain";
    run(335);
    ASSERT_EQ(htmlAds.size(), 1u);
    kavlo->adNetworkGameIDs[1] = "empty";
    run(60); // rounds at 940 and 970 s
    EXPECT_EQ(requestsUnder("/ostrom").size(), 8u);
    EXPECT_EQ(requestsUnder("/kavlo").size(), 8u);
    EXPECT_EQ(waits(), (std::vector<double>{30, 60, 120, 240, 480, 30, 60}));
}

} // namespace
} // namespace zelvan::mediation::testing
