// The offer wall's client against the dev server's ad host on 127.0.0.1: the configuration request's
// query, the replies read by publisher key, the JSON request helpers, the install report and the offer
// e-mail with their alerts, and the encoders.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/services.h"
#include "offers/brightpoint/bp_advertising.h"
#include "offers/brightpoint/bp_error_view_controller.h"
#include "offers/brightpoint/bp_navigation_controller.h"
#include "offers/brightpoint/bp_payment_controller.h"
#include "offers/brightpoint/bp_reachability.h"
#include "offers/brightpoint/bp_web_pages.h"
#include "offers/brightpoint/brightpoint.h"
#include "offers/brightpoint/brightpoint_context.h"
#include "offers/brightpoint/brightpoint_wiring.h"
#include "platform/foundation/locale.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/fake_reachability.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/application.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/tab_bar_item.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/view.h"
#include "platform/ui/web_view.h"
#include "tests/offers/brightpoint/bp_wall_fixture.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::brightpoint {
namespace {

using ui::testing::AlertDriver;

class BrightpointTest : public BPWallFixture {
protected:
    std::vector<devserver::DevAdsRequest> requestsOf(const std::string& path) {
        std::vector<devserver::DevAdsRequest> out;
        for (auto& r : ads_.requests()) {
            if (r.path == path) {
                out.push_back(r);
            }
        }
        return out;
    }

    // The configuration reply for publisher key `key`, fetched with the client's own URL.
    BPConfigurationOutcome configure(const std::string& key) {
        auto client = Brightpoint::shared();
        client->setKey(key);
        auto url = client->configurationURL();
        EXPECT_TRUE(url);
        auto reply = fnd::UrlConnection::sendSynchronousRequest(fnd::UrlRequest(*fnd::Url::parse(*url)));
        return client->applyConfigurationReply(reply ? reply->data : fnd::Bytes());
    }

    // Title and message of the alert in front ("" without one), after the main loop ran its posts.
    std::string frontAlert() {
        fnd::RunLoop::main().runUntilIdle();
        auto alert = AlertDriver::visibleAlert();
        std::string text = alert ? alert->title() + "|" + alert->message() : "";
        if (alert) {
            AlertDriver::tap(0);
        }
        return text;
    }

    // Asks for the wall with publisher key `key` and runs the main loop until the reply is read.
    std::shared_ptr<Brightpoint> open(const std::string& key) {
        auto client = Brightpoint::shared();
        client->setKey(key);
        client->displayPaymentWindow();
        EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !client->isLoading(); }, 20));
        return client;
    }

    // What the root page presents, as its class name ("" for nothing).
    static std::shared_ptr<ui::ViewController> presented() {
        auto root = Brightpoint::shared()->rootController();
        return root ? root->modalViewController() : nullptr;
    }

    // The message of the error page that shows, or "" when none does.
    static std::string errorPage() {
        auto nav = std::dynamic_pointer_cast<BPNavigationController>(presented());
        auto page = nav ? std::dynamic_pointer_cast<BPErrorViewController>(nav->topViewController()) : nullptr;
        return page ? page->message() : "";
    }

    // Runs the main loop until `start`'s work calls the completion it is handed.
    static void await(const std::function<void(std::function<void()>)>& start) {
        bool ended = false;
        start([&ended] { ended = true; });
        ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return ended; }, 20));
    }

    // The value a JSON request helper gives, once it has.
    std::optional<fnd::Value>
    reply(const std::function<void(std::weak_ptr<const void>, Brightpoint::JSONCompletion)>& request) {
        std::optional<fnd::Value> value;
        await([&](std::function<void()> done) {
            request(owner_, [&value, done](std::optional<fnd::Value> got) {
                value = std::move(got);
                done();
            });
        });
        return value;
    }
    std::optional<fnd::Value> get(const std::string& url) {
        return reply([&](auto owner, auto done) { Brightpoint::getRequest(url, owner, done); });
    }
    std::optional<fnd::Value> post(const std::string& url, const std::string& body) {
        return reply([&](auto owner, auto done) { Brightpoint::postRequest(url, body, owner, done); });
    }

    // Waits for the alert an offer e-mail always ends with.
    static void awaitAlert() {
        ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([] { return AlertDriver::visibleAlert() != nullptr; }, 20));
    }

    static bool logged(const std::string& transition, const std::string& side) {
        for (const auto& e : ui::AnimationLog::entries()) {
            if (e.transition == transition && e.transitionSubtype == side && e.duration == 0.5 &&
                e.timingFunction == ui::TimingFunction::EaseInEaseOut) {
                return true;
            }
        }
        return false;
    }

    std::shared_ptr<int> owner_ = std::make_shared<int>(0);
};

TEST(BrightpointEncodersTest, UrlEncodeColorForHexAndBase64) {
    EXPECT_EQ(Brightpoint::urlEncode("a b&c-d"), "a%20b%26c%2Dd");
    EXPECT_EQ(Brightpoint::urlEncode("%'\"?=+<>;:"), "%25%27%22%3F%3D%2B%3C%3E%3B%3A");
    EXPECT_EQ(Brightpoint::urlEncode("Az09_.!~*()/@$,#"), "Az09_.!~*()/@$,#");
    EXPECT_EQ(Brightpoint::urlEncode("caf\xC3\xA9"), std::nullopt);

    const gfx::Color orange(1.0, 128 / 255.0, 0, 1);
    for (const char* text : {"#ff8000", "FF8000", " \t#FF8000\r\n"}) {
        EXPECT_EQ(Brightpoint::colorForHex(text), orange) << text;
    }
    for (const char* text : {"#FFF", "FF80", "#12345", "GG8000", "##FF8000", ""}) {
        EXPECT_EQ(Brightpoint::colorForHex(text), gfx::Color(0, 0, 0, 1)) << text;
    }

    const uint8_t bytes[] = {'M', 'a', 'n', 'y'};
    EXPECT_EQ(Brightpoint::base64Encode(bytes, 0), "");
    EXPECT_EQ(Brightpoint::base64Encode(bytes, 1), "TQ==");
    EXPECT_EQ(Brightpoint::base64Encode(bytes, 3), "TWFu");
    EXPECT_EQ(Brightpoint::base64Encode(bytes, 4), "TWFueQ==");
}

TEST_F(BrightpointTest, TheConfigurationQueryCarriesItsKeysInOrderEscaped) {
    auto client = Brightpoint::shared();
    ASSERT_TRUE(client);
    EXPECT_EQ(client->uid(), "dev1");
    const std::string locale = fnd::Locale::current().countryCode();
    const std::string tail = "&ver=9&uuid=dev1&locale=" + locale;
    auto url = client->configurationURL();
    ASSERT_TRUE(url);
    EXPECT_EQ(url->rfind(ads_.baseURL() + "/brightpoint/iphone/config?uid=dev1&key=" + tail + "&app_ver=", 0), 0u)
        << *url;
    EXPECT_NE(url->find("&model=LinuxDevice&sys_name=Linux&sys_ver=3.1"), std::string::npos) << *url;
    EXPECT_EQ(url->find("&age="), std::string::npos);

    client->setUID("42");
    client->setKey("k&x=1");
    client->setAge("30");
    client->setSex("m f");
    url = client->configurationURL();
    ASSERT_TRUE(url);
    EXPECT_NE(url->find("?uid=42&key=k%26x%3D1" + tail), std::string::npos) << *url;
    EXPECT_TRUE(url->ends_with("&sys_ver=3.1&age=30&sex=m%20f")) << *url;

    fnd::testing::LogCapture log;
    client->setUID("j\xC3\xBCrgen");
    EXPECT_FALSE(client->configurationURL());
    EXPECT_TRUE(log.contains("its uid is not ASCII text"));
    client->setAge(std::nullopt);
    client->setSex(std::nullopt);
}

TEST_F(BrightpointTest, RepliesByKeyGiveTheWallOrTheErrorText) {
    auto outcome = configure("Qm4RtzWpLak72HVbYUXEnfgsPuzKoqjd");
    ASSERT_TRUE(outcome.showWall);
    const BPConfiguration& c = Brightpoint::shared()->configuration();
    EXPECT_EQ(c.currencyName, "Gems");
    EXPECT_EQ(c.currencyColor, gfx::Color(1.0, 128 / 255.0, 0, 1));
    EXPECT_TRUE(c.appsTabEnabled && c.offersTabEnabled && c.directTabEnabled && c.inAppTabEnabled);
    EXPECT_EQ(c.defaultTab, "inapp");
    EXPECT_EQ(c.statusURL, ads_.baseURL() + "/brightpoint/status.html");
    EXPECT_EQ(c.appTabTitles, std::vector<std::string>{"Top"});
    EXPECT_EQ(c.offerTabUrls, (std::vector<std::string>{ads_.baseURL() + "/brightpoint/offers?tab=0",
                                                        ads_.baseURL() + "/brightpoint/offers?tab=1"}));
    EXPECT_EQ(c.userAgent, "ZelvanWall/1.0");
    EXPECT_EQ(requestsOf("/brightpoint/iphone/config").back().param("ver"), "9");

    ASSERT_TRUE(configure("alloff").showWall);
    EXPECT_FALSE(Brightpoint::shared()->configuration().appsTabEnabled ||
                 Brightpoint::shared()->configuration().inAppTabEnabled);

    outcome = configure("refuse");
    EXPECT_FALSE(outcome.showWall);
    EXPECT_EQ(outcome.errorMessage, "This wall is closed for maintenance.");
    for (const char* key : {"other", "nosucc", "garbage", "empty", "error500"}) {
        outcome = configure(key);
        EXPECT_FALSE(outcome.showWall) << key;
        EXPECT_EQ(outcome.errorMessage, kBPNoInternetMessage) << key;
    }

    // Fields of the wrong kind count as missing; a text array keeps only its texts.
    ASSERT_TRUE(configure("wrongkinds").showWall);
    EXPECT_EQ(c.currencyColor, gfx::Color(0, 0, 0, 1));
    EXPECT_FALSE(c.appsTabEnabled);
    EXPECT_TRUE(c.offersTabEnabled);
    EXPECT_FALSE(c.defaultTab || c.statusURL || c.userAgent);
    EXPECT_TRUE(c.appTabUrls.empty());
    EXPECT_EQ(c.appTabTitles, std::vector<std::string>{"Top"});
    EXPECT_FALSE(Brightpoint::shared()->applyConfigurationReply(fnd::Bytes{'[', '1', ']'}).showWall);
}

TEST_F(BrightpointTest, SynchronousRequestsAnswerOnlyJsonWith200) {
    const std::string config = ads_.baseURL() + "/brightpoint/iphone/config?key=";
    auto reply = get(config + "refuse");
    ASSERT_TRUE(reply && reply->isDictionary());
    EXPECT_FALSE(get(config + "error500"));
    EXPECT_FALSE(get(config + "garbage"));
    EXPECT_FALSE(get(ads_.baseURL() + "/brightpoint/missing"));
    EXPECT_FALSE(get("not a url"));

    ASSERT_TRUE(post(ads_.baseURL() + "/brightpoint/iphone/email_offer", "email=a%40b"));
    auto posts = requestsOf("/brightpoint/iphone/email_offer");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].method, "POST");
    EXPECT_EQ(posts[0].body, "email=a%40b");
    EXPECT_EQ(posts[0].header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(BrightpointTest, AnInstallIsReportedOncePerAdKeyAndOnlyASuccessCounts) {
    auto client = Brightpoint::shared();
    auto& defaults = fnd::UserDefaults::standard();
    for (const char* key : {"ad-7", "refuse"}) {
        defaults.removeObjectForKey(Brightpoint::reportedKey(key));
    }

    await([&](auto done) { client->reportInstall("ad-7", done); });
    auto reports = requestsOf("/brightpoint/iphone/report_install");
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].param("uuid"), "dev1");
    EXPECT_EQ(reports[0].param("ad_key"), "ad-7");
    EXPECT_TRUE(defaults.boolForKey("BP:ad_reported:ad-7"));
    EXPECT_EQ(frontAlert(), "Thanks!|Your install was reported.");

    await([&](auto done) { client->reportInstall("ad-7", done); });
    EXPECT_EQ(requestsOf("/brightpoint/iphone/report_install").size(), 1u);

    await([&](auto done) { client->reportInstall("refuse", done); });
    EXPECT_EQ(requestsOf("/brightpoint/iphone/report_install").size(), 2u);
    EXPECT_FALSE(defaults.boolForKey("BP:ad_reported:refuse"));
    EXPECT_EQ(frontAlert(), "");

    // Without a completion: the alert comes to the main loop.
    client->reportInstall("thread-ad");
    defaults.removeObjectForKey(Brightpoint::reportedKey("thread-ad"));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([] { return AlertDriver::visibleAlert() != nullptr; }, 20));
    EXPECT_EQ(frontAlert(), "Thanks!|Your install was reported.");
    defaults.removeObjectForKey(Brightpoint::reportedKey("thread-ad"));
}

TEST_F(BrightpointTest, AnOfferEmailPostsItsFormAndShowsTheReply) {
    auto client = Brightpoint::shared();
    client->setKey("pub1");
    client->setUID("42");
    auto& defaults = fnd::UserDefaults::standard();
    defaults.removeObjectForKey(Brightpoint::emailKey("pub1"));
    const fnd::Value offer = fnd::Value::dictionary(
        {{"offer_id", "7&x=1"}, {"url", "http://o.test/a?b=c"}, {"title", "Win big"}, {"offer_provider", "p-q"}});

    client->sendOffer(offer, "a@b.test");
    awaitAlert();
    auto posts = requestsOf("/brightpoint/iphone/email_offer");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].body, "email=a@b.test&key=pub1&url=http%3A//o.test/a%3Fb%3Dc&uid=42&uuid=dev1"
                             "&title=Win%20big&offer_id=7%26x%3D1&offer_provider=p%2Dq");
    EXPECT_EQ(defaults.stringForKey("BP:app_email:pub1"), "a@b.test");
    EXPECT_EQ(frontAlert(), "Sent|Check your inbox.");

    defaults.removeObjectForKey(Brightpoint::emailKey("pub1"));
    client->sendOffer(offer, "refuse@b.test");
    awaitAlert();
    EXPECT_FALSE(defaults.stringForKey("BP:app_email:pub1"));
    EXPECT_EQ(frontAlert(), "Not sent|That address was refused.");

    const std::string error = "Error|" + std::string(kBPEmailFailedMessage);
    client->sendOffer(offer, "j\xC3\xBC@b.test");
    EXPECT_EQ(requestsOf("/brightpoint/iphone/email_offer").size(), 2u);
    EXPECT_EQ(frontAlert(), error);

    Brightpoint offline("", {});
    offline.sendOffer(offer, "a@b.test");
    EXPECT_EQ(requestsOf("/brightpoint/iphone/email_offer").size(), 2u);
    EXPECT_EQ(frontAlert(), error);
}

TEST_F(BrightpointTest, TheWallShowsItsTabsAndCloseRemovesIt) {
    ui::AnimationLog::clear();
    auto& app = ui::Application::shared();
    app.setStatusBarStyle(ui::StatusBarStyle::Default);
    auto client = Brightpoint::shared();
    client->setKey("Qm4RtzWpLak72HVbYUXEnfgsPuzKoqjd");
    client->displayPaymentWindow();
    client->displayPaymentWindow(); // in flight: sends nothing
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !client->isLoading(); }, 20));
    EXPECT_EQ(requestsOf("/brightpoint/iphone/config").size(), 1u);

    auto wall = std::dynamic_pointer_cast<BPPaymentController>(presented());
    ASSERT_TRUE(wall);
    wall->view();
    std::vector<std::string> titles;
    for (const auto& tab : wall->viewControllers()) {
        titles.push_back(std::static_pointer_cast<ui::NavigationController>(tab)->topViewController()->title());
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Apps", "Offers", "Pay", "Pay", "Status"}));
    EXPECT_EQ(wall->viewControllers()[0]->tabBarItem()->tag(), 1);
    EXPECT_EQ(wall->selectedIndex(), 3u);
    EXPECT_EQ(app.statusBarStyle(), ui::StatusBarStyle::BlackOpaque);
    EXPECT_TRUE(logged("moveIn", "fromTop"));
    shoot("bp-offer-wall-tabs.png");

    // The shown page and a page pushed inside a tab carry "Close", and it closes the whole wall.
    auto inApp = std::static_pointer_cast<ui::NavigationController>(wall->viewControllers()[3]);
    ASSERT_TRUE(inApp->topViewController()->navigationItem()->rightBarButtonItem());
    wall->setSelectedIndex(1);
    auto offers = std::static_pointer_cast<ui::NavigationController>(wall->viewControllers()[1]);
    auto details = std::make_shared<ui::ViewController>();
    offers->pushViewController(details, ui::Animated::No);
    auto close = details->navigationItem()->rightBarButtonItem();
    ASSERT_TRUE(close);
    EXPECT_EQ(close->title(), "Close");
    close->action()(*close);
    EXPECT_FALSE(presented());
    EXPECT_FALSE(client->rootController()->view()->superview());
    EXPECT_EQ(app.statusBarStyle(), ui::StatusBarStyle::Default);
    EXPECT_TRUE(logged("reveal", "fromBottom"));

    // Offers alone with no default tab: the fallback picks it.
    open("wrongkinds");
    wall = std::dynamic_pointer_cast<BPPaymentController>(presented());
    ASSERT_TRUE(wall);
    wall->view();
    EXPECT_EQ(wall->selectedViewController(), wall->viewControllers()[0]);
    EXPECT_EQ(wall->viewControllers().size(), 2u);
    client->dismissWindow();
}

TEST_F(BrightpointTest, ErrorRepliesShowTheErrorPage) {
    auto client = open("refuse");
    EXPECT_EQ(errorPage(), "This wall is closed for maintenance.");
    auto nav = std::static_pointer_cast<BPNavigationController>(presented());
    auto page = std::static_pointer_cast<BPErrorViewController>(nav->topViewController());
    EXPECT_EQ(page->title(), "Error");
    EXPECT_EQ(page->errorLabel()->frame().origin.y, 230);
    EXPECT_EQ(page->errorLabel()->frame().size.width, 280);
    EXPECT_GT(page->errorLabel()->frame().size.height, 0);
    EXPECT_EQ(page->navigationItem()->rightBarButtonItem()->title(), "Close");
    shoot("bp-error-page.png");
    EXPECT_TRUE(client->isDisplayingErrorWindow());
    client->dismissWindow();
    for (const char* key : {"garbage", "nosucc", "empty", "error500"}) {
        open(key);
        EXPECT_EQ(errorPage(), kBPNoInternetMessage) << key;
        client->dismissWindow();
    }

    // Every tab off: the wall shows, then the configuration error replaces it on a later turn.
    open("alloff");
    auto wall = std::dynamic_pointer_cast<BPPaymentController>(presented());
    ASSERT_TRUE(wall);
    wall->view();
    EXPECT_EQ(wall->viewControllers().size(), 1u);
    fnd::RunLoop::main().advance(0.1);
    EXPECT_EQ(errorPage(), kBPConfigErrorMessage);
    client->dismissWindow();

    // A failed connection clears the loading state and shows the error page.
    ads_.stop();
    open("any");
    EXPECT_EQ(errorPage(), kBPNoInternetMessage);
    EXPECT_FALSE(client->isLoading());
    client->dismissWindow();
}

TEST_F(BrightpointTest, UnreachableShowsTheErrorAtOnceAndRetriesWhenTheNetworkReturns) {
    reachability_->setFlagsForAddress(0, 0);
    auto client = Brightpoint::shared();
    client->setKey("k1");
    client->displayPaymentWindow();
    EXPECT_FALSE(client->isLoading());
    EXPECT_EQ(errorPage(), kBPNoInternetMessage);
    EXPECT_TRUE(requestsOf("/brightpoint/iphone/config").empty());

    reachability_->setFlagsForAddress(0, fnd::ReachabilityFlag::Reachable);
    reachability_->change();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] { return !client->isLoading() && !requestsOf("/brightpoint/iphone/config").empty(); }, 20));
    EXPECT_EQ(requestsOf("/brightpoint/iphone/config").size(), 1u);
    EXPECT_TRUE(std::dynamic_pointer_cast<BPPaymentController>(presented()));
    EXPECT_FALSE(client->isDisplayingErrorWindow());
    client->dismissWindow();
}

TEST_F(BrightpointTest, ThePagesOfferActionOpensTheWallForType2Only) {
    fnd::testing::LogCapture log;
    BPOfferWallOpener opener;
    opener.showOffers(3);
    EXPECT_TRUE(log.contains("offers of type 3 are not offered here"));
    EXPECT_FALSE(Brightpoint::shared()->isLoading());
    opener.showOffers(2);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([] { return !Brightpoint::shared()->isLoading(); }, 20));
    EXPECT_EQ(requestsOf("/brightpoint/iphone/config").size(), 1u);
    EXPECT_TRUE(std::dynamic_pointer_cast<BPPaymentController>(presented()));
    Brightpoint::shared()->dismissWindow();
}

struct InstructionsHeard : BPAdvertisingDelegate {
    std::vector<std::string> texts;
    void displayInstructionsAlert(const std::string& text) override { texts.push_back(text); }
};

TEST_F(BrightpointTest, TheAdvertiserReportsOnceAndShowsTheServersText) {
    auto ads = BPAdvertising::shared();
    ASSERT_TRUE(ads);
    auto& defaults = fnd::UserDefaults::standard();
    for (const char* key : {"adv-1", "empty", "error500"}) {
        defaults.removeObjectForKey(Brightpoint::reportedKey(key));
    }
    ads->reportInstall(); // no default ad key: nothing
    await([&](auto done) { ads->displayInstructions("adv-1", done); });
    EXPECT_EQ(frontAlert(), "Instructions|Open the app once to earn your reward.");
    auto asked = requestsOf("/brightpoint/iphone/get_install_instructions");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].param("uuid"), "dev1");
    EXPECT_EQ(asked[0].param("ad_key"), "adv-1");
    EXPECT_EQ(asked[0].param("sys_name"), "Linux");

    await([&](auto done) { ads->reportInstall("adv-1", done); });
    EXPECT_TRUE(defaults.boolForKey("BP:ad_reported:adv-1"));
    EXPECT_NE(frontAlert().find("Success!|{\"succ\":\"1\""), std::string::npos);
    await([&](auto done) { ads->displayInstructions("adv-1", done); }); // reported: no request
    await([&](auto done) { ads->reportInstall("adv-1", done); });
    EXPECT_EQ(requestsOf("/brightpoint/iphone/get_install_instructions").size(), 1u);
    EXPECT_EQ(requestsOf("/brightpoint/iphone/report_install_basic").size(), 1u);

    await([&](auto done) { ads->reportInstall("empty", done); }); // marked, nothing shown
    EXPECT_TRUE(defaults.boolForKey("BP:ad_reported:empty"));
    await([&](auto done) { ads->reportInstall("error500", done); }); // not marked, nothing shown
    EXPECT_FALSE(defaults.boolForKey("BP:ad_reported:error500"));
    EXPECT_EQ(frontAlert(), "");

    // A delegate takes the text instead of the alert; the form without a completion reaches it through the
    // main loop.
    auto heard = std::make_shared<InstructionsHeard>();
    ads->setDelegate(heard);
    ads->setDefaultAdKey("adv-2");
    defaults.removeObjectForKey(Brightpoint::reportedKey("adv-2"));
    ads->displayInstructions();
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return !heard->texts.empty(); }, 20));
    EXPECT_EQ(heard->texts, std::vector<std::string>{"Open the app once to earn your reward."});
    EXPECT_EQ(frontAlert(), "");
    ads->setDelegate({});
    ads->setDefaultAdKey(std::nullopt);
    for (const char* key : {"adv-1", "empty"}) {
        defaults.removeObjectForKey(Brightpoint::reportedKey(key));
    }
}

TEST_F(BrightpointTest, WebPagesSendTheUserAgentAndHandStoreLinksToTheSystem) {
    ui::Application::shared().clearOpenedUrls();
    ASSERT_TRUE(configure("k").showWall);
    auto status = std::make_shared<BPStatusViewController>(pageServices());
    status->view();
    auto web = status->webView();
    ASSERT_TRUE(web);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] { return !web->isLoading() && web->document().title() == "Account status"; }, 20));
    EXPECT_FALSE(status->loadingView()->isAnimating());
    auto pages = requestsOf("/brightpoint/status.html");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].header("User_Agent"), "ZelvanWall/1.0");
    EXPECT_EQ(web->document().title(), "Account status");

    for (const char* link : {"itms://store.test/app/id100", "http://store.test/app/id7"}) {
        web->simulateNavigation(link);
        fnd::RunLoop::main().runUntilIdle();
    }
    EXPECT_EQ(ui::Application::shared().openedUrls(),
              (std::vector<std::string>{"itms://store.test/app/id100", "http://store.test/app/id7"}));
    EXPECT_EQ(web->document().title(), "Account status");
    EXPECT_EQ(requestsOf("/brightpoint/status.html").size(), 1u);

    // Another web view's request is allowed without the store check.
    auto other = ui::View::create<ui::WebView>(gfx::Rect(0, 0, 10, 10));
    fnd::UrlRequest store(*fnd::Url::parse("itms://store.test/app/id1"));
    EXPECT_TRUE(status->webViewShouldStartLoadWithRequest(*other, store, ui::NavigationType::Other));
    EXPECT_EQ(store.valueForHTTPHeaderField("User_Agent"), "ZelvanWall/1.0");
    ui::Application::shared().clearOpenedUrls();
}

TEST_F(BrightpointTest, TheCompletionPagesToolbarFollowsTheLoad) {
    ASSERT_TRUE(configure("k").showWall);
    auto page = BPWebViewController::initWithURL(ads_.baseURL() + "/brightpoint/direct.html", false, pageServices());
    page->view();
    EXPECT_EQ(page->title(), "Complete Offer");
    EXPECT_TRUE(page->webView()->scalesPageToFit());
    auto items = [&] { return page->toolbar()->items(); };
    ASSERT_EQ(items().size(), 7u);
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil(
        [&] { return !page->webView()->isLoading() && page->webView()->document().title() == "Direct payment"; }, 20));
    EXPECT_EQ(items()[6], page->refreshButton());
    EXPECT_FALSE(page->stopButton()->isEnabled());
    EXPECT_TRUE(page->refreshButton()->isEnabled());
    EXPECT_FALSE(page->backButton()->isEnabled());
    window_->addSubview(page->view());
    shoot("bp-complete-offer.png");
    page->view()->removeFromSuperview();

    // While a load runs: the spinner in the refresh button's place, stop on; a failure puts refresh back.
    page->webViewDidStartLoad(*page->webView());
    EXPECT_EQ(items()[6], page->activityButton());
    EXPECT_TRUE(page->stopButton()->isEnabled());
    EXPECT_FALSE(page->refreshButton()->isEnabled());
    page->webViewDidFailLoadWithError(*page->webView(), fnd::Error("test", -1));
    EXPECT_EQ(items()[6], page->refreshButton());
    EXPECT_FALSE(page->stopButton()->isEnabled());
    EXPECT_TRUE(page->refreshButton()->isEnabled());

    auto zoomed = BPWebViewController::initWithURL("http://127.0.0.1:9/", true, pageServices());
    zoomed->view();
    EXPECT_FALSE(zoomed->webView()->scalesPageToFit());
    zoomed->webView()->stopLoading();
}

TEST_F(BrightpointTest, TheFeatureStarterGivesThePublisherKeyAndTheUserId) {
    auto starters = app::makeRegistry().adFeatureStarters;
    ASSERT_TRUE(starters.count("brightpoint"));
    LoginSession session;
    session.userId = 4071;
    starters["brightpoint"](**delegate_, session);
    EXPECT_EQ(Brightpoint::shared()->key(), "Qm4RtzWpLak72HVbYUXEnfgsPuzKoqjd");
    EXPECT_EQ(Brightpoint::shared()->uid(), "4071");
}

TEST(BPChooseTabsTest, TheDefaultTabMatchesExactlyAndOnlyAPresentTab) {
    BPConfiguration c;
    c.appsTabEnabled = c.offersTabEnabled = c.directTabEnabled = c.inAppTabEnabled = true;
    c.defaultTab = "inapp";
    BPTabChoice choice = BPChooseTabs(c);
    EXPECT_EQ(choice.tabs,
              (std::vector<BPTab>{BPTab::Apps, BPTab::Offers, BPTab::Direct, BPTab::InApp, BPTab::Status}));
    EXPECT_EQ(choice.selected, 3u);
    c.defaultTab = "Offers"; // another case: no match, the first present
    EXPECT_EQ(BPChooseTabs(c).selected, 0u);
    c.appsTabEnabled = false;
    c.defaultTab = "apps"; // names a tab that is off: the fallback
    EXPECT_EQ(BPChooseTabs(c).selected, 0u);
    c.defaultTab = "direct";
    EXPECT_EQ(BPChooseTabs(c).selected, 1u);
    c = BPConfiguration{};
    c.defaultTab = "offers";
    choice = BPChooseTabs(c);
    EXPECT_EQ(choice.tabs, std::vector<BPTab>{BPTab::Status});
    EXPECT_FALSE(choice.selected);
}

TEST(BrightpointContextTest, WithoutAnAdsBaseNothingIsAddressed) {
    auto ctx = makeBrightpoint(NetworkEndpoint(), nullptr);
    EXPECT_EQ(ctx->server(), "");
    EXPECT_FALSE(ctx->client()->configurationURL());
    EXPECT_EQ(ctx->client(), ctx->client());
    EXPECT_EQ(BrightpointContext(NetworkEndpoint("http://h:1", "/brightpoint")).server(), "http://h:1/brightpoint");
}

} // namespace
} // namespace zelvan::brightpoint
