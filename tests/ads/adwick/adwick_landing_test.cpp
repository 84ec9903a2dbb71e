// The landing screens on the ad host under a manual clock: the take-over's transitions and the hand-over
// between screens, the embedded browser's link policy, error alerts, toolbar and mail link, the search
// screen's suggestions and search click, and banner clicks that open each screen end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_canvas_web_view.h"
#include "ads/adwick/adwick_controller.h"
#include "ads/adwick/adwick_landing_screens.h"
#include "ads/adwick/adwick_old_school_single_ad_view.h"
#include "ads/adwick/adwick_search_bar.h"
#include "ads/adwick/adwick_view.h"
#include "platform/foundation/url_error.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/image_view.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/screenshot.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/web_view.h"
#include "platform/ui/window.h"
#include "tests/ads/adwick/adwick_banner_fixture.h"

namespace zelvan::adwick {
namespace {

using testing::BannerEnv;

struct Screen : AdwickModalViewController {
    Screen() : AdwickModalViewController(context()) {}
    std::vector<std::string> hooks;
    void landingPageDidAppear() override { hooks.push_back("appear"); }
    void landingPageDidDisappear() override { hooks.push_back("disappear"); }
};

// A key window whose one subview fills it below the status bar, holding a 320 x 48 banner at `y`.
struct Stage {
    std::shared_ptr<ui::Window> window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    std::shared_ptr<ui::View> root = ui::View::create(gfx::Rect(0, 20, 320, 460));
    std::shared_ptr<ui::View> banner;
    explicit Stage(double y) : banner(ui::View::create(gfx::Rect(0, y, 320, 48))) {
        window->addSubview(root);
        root->addSubview(banner);
        window->makeKeyAndVisible();
    }
};

// Saves a picture of `view` for a person to look at.
void savePicture(ui::View& view, const std::string& name) {
    ASSERT_TRUE(view.screenshot());
    EXPECT_TRUE(ui::testing::saveScreenshot(view, name));
}

const ui::AnimationLogEntry* findEntry(const std::vector<ui::AnimationLogEntry>& entries, const std::string& name) {
    auto it = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.name == name; });
    return it == entries.end() ? nullptr : &*it;
}

TEST(AdwickLandingTest, TakeOverTransitionsAndHandOver) {
    BannerEnv env;
    Stage stage(240);
    ui::AnimationLog::clear();
    auto first = std::make_shared<Screen>();
    first->commandeerScreenFromAdView(*stage.banner, AdwickModalViewController::kTransitionMoveAdToTop);
    auto entries = ui::AnimationLog::entries();
    const auto* move = findEntry(entries, "AdwickModalAdMoveToTop");
    ASSERT_TRUE(move);
    EXPECT_DOUBLE_EQ(move->duration, 0.4); // 240 / 480 x 0.8
    EXPECT_EQ(move->curve, ui::AnimationCurve::EaseIn);
    EXPECT_TRUE(stage.banner->isHidden());
    EXPECT_EQ(first->screenshotOfAd()->frame(), gfx::Rect(0, 0, 320, 48));
    env.advance(0.45);
    ASSERT_TRUE(findEntry(ui::AnimationLog::entries(), "LandingPageFadeIn"));
    EXPECT_EQ(ui::Application::shared().keyWindow(), first->modalWindow());
    env.advance(0.45);
    EXPECT_EQ(first->hooks, std::vector<std::string>{"appear"});
    EXPECT_EQ(AdwickModalViewController::landingScreenOnScreen(), first);
    EXPECT_EQ(first->previousKeyWindow(), stage.window);

    // A second screen comes in without a transition; its maker lets go of the first meanwhile, which
    // is given back (no longer key: at once) when the newcomer has faded in.
    ui::AnimationLog::clear();
    std::weak_ptr<Screen> weakFirst = first;
    auto firstHooks = &first->hooks;
    auto second = std::make_shared<Screen>();
    second->commandeerScreenFromAdView(*stage.banner, AdwickModalViewController::kTransitionBackgroundExpand);
    EXPECT_FALSE(findEntry(ui::AnimationLog::entries(), "AdwickModalBackgroundExpand"));
    EXPECT_EQ(second->previousKeyWindow(), stage.window);
    first.reset();
    ASSERT_FALSE(weakFirst.expired()); // still on screen
    EXPECT_EQ(firstHooks->size(), 1U);
    env.advance(0.45);
    EXPECT_TRUE(weakFirst.expired());
    EXPECT_EQ(AdwickModalViewController::landingScreenOnScreen(), second);
    EXPECT_FALSE(stage.banner->isHidden()); // the first's finish showed it again

    // Giving the key screen back fades it out; with no backdrop or snapshot it finishes then.
    ui::AnimationLog::clear();
    second->relinquishScreen();
    entries = ui::AnimationLog::entries();
    const auto* fadeOut = findEntry(entries, "LandingPageFadeOut");
    ASSERT_TRUE(fadeOut);
    EXPECT_DOUBLE_EQ(fadeOut->duration, 0.4);
    env.advance(0.45);
    EXPECT_EQ(second->hooks, (std::vector<std::string>{"appear", "disappear"}));
    EXPECT_FALSE(second->modalWindow());
    EXPECT_FALSE(AdwickModalViewController::landingScreenOnScreen());
    EXPECT_EQ(ui::Application::shared().keyWindow(), stage.window);

    // A banner already at its target skips the move and fades in at once; the backdrop grows in 0.4 s.
    Stage top(0);
    ui::AnimationLog::clear();
    auto third = std::make_shared<Screen>();
    third->commandeerScreenFromAdView(*top.banner, AdwickModalViewController::kTransitionMoveAdToTop);
    entries = ui::AnimationLog::entries();
    EXPECT_FALSE(findEntry(entries, "AdwickModalAdMoveToTop"));
    EXPECT_TRUE(findEntry(entries, "LandingPageFadeIn"));
    env.advance(0.45);
    third->relinquishScreen();
    env.advance(0.45);
    entries = ui::AnimationLog::entries();
    const auto* back = findEntry(entries, "AdwickModalAdMoveToTop");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->curve, ui::AnimationCurve::EaseOut);
    env.advance(0.1);
    EXPECT_FALSE(third->modalWindow());
    EXPECT_FALSE(top.banner->isHidden());
}

TEST(AdwickLandingTest, BrowserLinkPolicyErrorsToolbarAndMail) {
    using D = AdwickBrowserController::LinkDecision;
    const std::vector<std::string> maps{"maps.atlas.test"};
    const std::vector<std::string> videos{"vidora.test", "www.vidora.test"};
    auto decide = [&](const std::string& text) {
        return AdwickBrowserController::linkDecision(*fnd::Url::parse(text), maps, videos);
    };
    EXPECT_EQ(decide("file:///etc/passwd"), D::Refuse);
    EXPECT_EQ(decide("about:blank"), D::Allow);
    EXPECT_EQ(decide("tel:5550100"), D::OpenInSystem);
    EXPECT_EQ(decide("http://maps.atlas.test/?q=x"), D::OpenInSystem);
    EXPECT_EQ(decide("http://www.vidora.test/watch?v=1"), D::OpenInSystem);
    EXPECT_EQ(decide("http://vidora.test/v/abc"), D::OpenInSystem);
    EXPECT_EQ(decide("http://vidora.test/about"), D::Allow);
    EXPECT_EQ(decide("http://store.test/app/x/id1"), D::Clean);
    EXPECT_EQ(decide("https://example.test/"), D::Allow);

    EXPECT_EQ(AdwickBrowserController::errorMessageKeyForCode(-1003), "That page could not be loaded.");
    EXPECT_EQ(AdwickBrowserController::errorMessageKeyForCode(-1001), "Couldn't connect to that page.");
    EXPECT_EQ(AdwickBrowserController::errorMessageKeyForCode(-3003), "That file can't be displayed.");
    EXPECT_EQ(AdwickBrowserController::errorMessageKeyForCode(-1204), "That page is not secure.");
    EXPECT_EQ(AdwickBrowserController::mailURL("A&B=C #1", "http://x.test/?a=1&b=2"),
              "mailto:?subject=A%26B%3DC%20%231&body=http%3A%2F%2Fx.test%2F%3Fa%3D1%26b%3D2");

    BannerEnv env;
    Stage stage(240);
    auto browser = std::make_shared<AdwickBrowserController>(context());
    browser->presentBrowserFromView(*stage.banner, *fnd::Url::parse(env.host().url("/adwick/landing.html")));
    auto web = browser->webView();
    ui::testing::WebViewDriver driver(web);
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(web->frame(), gfx::Rect(0, 44, 320, 480 - 88));
    auto items = browser->bottomToolbar()->items();
    ASSERT_EQ(items.size(), 7U);
    EXPECT_FALSE(items[0]->isEnabled());
    EXPECT_EQ(items[4]->systemItem(), ui::BarButtonSystemItem::Refresh);

    // Handed-off links are refused by the web view and opened by the system; no alert.
    ui::Application::shared().clearOpenedUrls();
    driver.clickLink("tel:5550100");
    driver.clickLink("http://maps.atlas.test/?q=zelvan");
    driver.clickLink("file:///etc/passwd");
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(ui::Application::shared().openedUrls(),
              (std::vector<std::string>{"tel:5550100", "http://maps.atlas.test/?q=zelvan"}));
    EXPECT_FALSE(ui::testing::AlertDriver::visibleAlert());
    EXPECT_EQ(web->documentUrl()->absoluteString(), env.host().url("/adwick/landing.html"));

    // A plain link loads; back is then enabled with its own image.
    driver.clickLink(env.host().url("/adwick/search_help.html"));
    ASSERT_TRUE(driver.finishLoad());
    items = browser->bottomToolbar()->items();
    EXPECT_TRUE(items[0]->isEnabled());
    EXPECT_FALSE(items[2]->isEnabled());
    EXPECT_EQ(browser->topNavItem()->title(), "Search help");

    // Errors by code: a cancel shows nothing, others the table's message.
    browser->webViewDidFailLoadWithError(*web, fnd::Error(std::string(fnd::kUrlErrorDomain), -999));
    EXPECT_FALSE(ui::testing::AlertDriver::visibleAlert());
    browser->webViewDidFailLoadWithError(*web, fnd::Error(std::string(fnd::kUrlErrorDomain), -1001));
    auto alert = ui::testing::AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Whoops");
    EXPECT_EQ(alert->message(), "Couldn't connect to that page.");
    ui::testing::AlertDriver::tap(0);
    ui::testing::AlertDriver::finishAnimations();

    // The mail item opens the page's title and URL, each escaped.
    ui::Application::shared().clearOpenedUrls();
    browser->mail();
    ASSERT_EQ(ui::Application::shared().openedUrls().size(), 1U);
    EXPECT_EQ(ui::Application::shared().openedUrls()[0],
              AdwickBrowserController::mailURL("Search help", web->request()->url().absoluteString()));

    // Done keeps the web view 10 s after the screen is gone.
    std::weak_ptr<ui::WebView> weakWeb = web;
    web.reset();
    driver = ui::testing::WebViewDriver(nullptr);
    env.advance(1);
    browser->dismissModal();
    browser.reset();
    env.advance(1);
    EXPECT_FALSE(weakWeb.expired());
    env.advance(10);
    EXPECT_TRUE(weakWeb.expired());
}

struct SearchBanner {
    std::shared_ptr<testing::Publisher> publisher = std::make_shared<testing::Publisher>();
    std::shared_ptr<AdwickViewInternal> view;
    Stage stage{240};
    SearchBanner(const char* kind, std::optional<std::string> action = std::nullopt) {
        publisher->kind = kind;
        publisher->action = std::move(action);
        view = std::dynamic_pointer_cast<AdwickViewInternal>(AdwickView::requestAdWithDelegate(publisher));
        view->setFrame(gfx::Rect(0, 240, 320, 48));
        stage.root->addSubview(view);
        BannerEnv::pump([this] { return publisher->received + publisher->failed > 0; });
    }
    std::shared_ptr<AdwickSingleAdView> shown() const {
        return std::dynamic_pointer_cast<AdwickSingleAdView>(view->viewWithTag(AdwickController::kDisplayedTag));
    }
    void click() const {
        view->controller()->clickWithData(*shown(), std::nullopt);
        BannerEnv::pump([this] { return view->controller()->currentlyDisplayedAd()->state() == AdwickAd::kLoaded; });
    }
};

TEST(AdwickLandingTest, SearchScreenSuggestionsAndSearch) {
    BannerEnv env;
    context()->setLandingScreens(defaultLandingScreens());
    SearchBanner banner("search");
    auto ad = banner.view->controller()->currentlyDisplayedAd();
    ASSERT_EQ(ad->medium(), AdwickAd::kSearchAd);
    std::dynamic_pointer_cast<AdwickOldSchoolSingleAdView>(banner.shown())->clickDidHappen();
    env.advance(1);
    auto search =
        std::dynamic_pointer_cast<AdwickSearchViewController>(AdwickModalViewController::landingScreenOnScreen());
    ASSERT_TRUE(search);
    ASSERT_TRUE(search->webView());
    EXPECT_EQ(search->searchBar()->frame(), gfx::Rect(0, 0, 320, 48));

    auto type = [&](const std::string& text) {
        search->searchBar()->setText(text);
        search->searchBarTextDidChange(*search->searchBar()->searchBar(), text);
    };
    // Two quick letters: the one-letter reply changes nothing whenever it comes.
    type("c");
    type("ch");
    EXPECT_EQ(search->activeSuggestionDownloadCount(), 2U);
    BannerEnv::pump([&] { return search->activeSuggestionDownloadCount() == 0; });
    ASSERT_TRUE(search->suggestionList());
    EXPECT_EQ(*search->suggestionList(), (std::vector<std::string>{"chess", "chess clubs", "checkers", "chat"}));
    EXPECT_FALSE(search->suggestionTable()->isHidden());
    EXPECT_EQ(env.hits("/adwick/suggest"), 2);
    savePicture(*search->modalWindow(), "adwick-search-screen.png");
    const auto& view = search->view()->subviews();
    EXPECT_EQ(view.front(), search->webView()); // sent to the back while typing
    // The list makes room for the keyboard while it is up.
    auto& center = fnd::NotificationCenter::defaultCenter();
    center.postNotificationName(
        std::string(ui::kKeyboardDidShowNotification), fnd::Value(),
        fnd::Value::dictionary({{std::string(ui::kKeyboardBoundsUserInfoKey),
                                 ui::KeyboardController::valueFromRect(gfx::Rect(0, 0, 320, 216))}}));
    EXPECT_EQ(search->suggestionTable()->frame(), gfx::Rect(0, 48, 320, 480 - 48 - 216));
    center.postNotificationName(std::string(ui::kKeyboardWillHideNotification));
    EXPECT_EQ(search->suggestionTable()->frame(), gfx::Rect(0, 48, 320, 480 - 48));
    // Clearing hides the list and brings the help page forward.
    type("");
    EXPECT_TRUE(search->suggestionTable()->isHidden());
    EXPECT_FALSE(search->suggestionList());
    EXPECT_EQ(search->view()->subviews().back(), search->webView());

    // Only string rows are kept; other shapes give none.
    auto rows = [](const std::string& text) {
        return AdwickSearchViewController::suggestionsFromReply(fnd::Bytes(text.begin(), text.end()));
    };
    EXPECT_EQ(rows(R"({"data":["a",1,{"b":2},["c"],"d"]})"), (std::vector<std::string>{"a", "d"}));
    EXPECT_TRUE(rows(R"({"data":{"a":1}})").empty());
    EXPECT_TRUE(rows("[\"a\"]").empty());
    EXPECT_TRUE(rows("not json").empty());
    // The typed text cannot add parameters.
    auto url = AdwickSearchViewController::suggestionURL(*ad, "a&b=c");
    ASSERT_TRUE(url);
    EXPECT_NE(url->find("&query=a%26b%3Dc"), std::string::npos) << *url;

    // Searching posts the query with every demographic key, and a failed click gives the screen back.
    search->performSearch("chess");
    EXPECT_TRUE(search->spinner()->isAnimating());
    EXPECT_FALSE(search->searchBar()->isUserInteractionEnabled());
    BannerEnv::pump([&] { return env.hits("/adwick/click") == 1; });
    std::string body;
    for (const auto& request : env.host().server().requests()) {
        if (request.path == "/adwick/click") {
            body = request.body;
        }
    }
    EXPECT_NE(body.find(R"("query":"chess")"), std::string::npos) << body;
    for (const auto& [key, value] : ad->userDemographicInfo()) {
        EXPECT_NE(body.find("\"" + key + "\""), std::string::npos) << key;
    }
    BannerEnv::pump([&] { return ad->state() == AdwickAd::kLoaded; });
    banner.view->controller()->clickDidFail(*ad);
    env.advance(1);
    EXPECT_FALSE(search->modalWindow());
    EXPECT_FALSE(AdwickModalViewController::landingScreenOnScreen());
}

TEST(AdwickLandingTest, BannerClicksOpenTheirScreensEndToEnd) {
    BannerEnv env;
    context()->setLandingScreens(defaultLandingScreens());
    ui::installScriptHostFactory(ui::DuktapeScriptHost::factory());

    // The canvas page's callback runs and its close link closes the screen.
    SearchBanner canvas("text", "canvas");
    ui::AnimationLog::clear();
    canvas.click();
    EXPECT_TRUE(findEntry(ui::AnimationLog::entries(), "AdwickModalBackgroundExpand"));
    env.advance(1);
    auto screen = std::dynamic_pointer_cast<AdwickCanvasController>(AdwickModalViewController::landingScreenOnScreen());
    ASSERT_TRUE(screen);
    EXPECT_TRUE(findEntry(ui::AnimationLog::entries(), "DarkenBackground"));
    ui::testing::WebViewDriver driver(screen->canvas());
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(screen->canvas()->stringByEvaluatingJavaScriptFromString("document.getElementById('title').textContent"),
              "Zelvan Chess");
    driver.clickLink("adwick://closecanvas");
    driver.finishLoad();
    env.advance(1);
    EXPECT_FALSE(screen->modalWindow());
    EXPECT_FALSE(AdwickModalViewController::landingScreenOnScreen());

    // A web click opens the embedded browser on the landing page.
    SearchBanner web("text", "url");
    // An ad without a suggestion URL asks for no suggestions.
    EXPECT_FALSE(AdwickSearchViewController::suggestionURL(*web.view->controller()->currentlyDisplayedAd(), "ch"));
    web.click();
    env.advance(1);
    auto browser =
        std::dynamic_pointer_cast<AdwickBrowserController>(AdwickModalViewController::landingScreenOnScreen());
    ASSERT_TRUE(browser);
    ASSERT_TRUE(ui::testing::WebViewDriver(browser->webView()).finishLoad());
    EXPECT_EQ(browser->webView()->documentUrl()->absoluteString(), env.host().url("/adwick/landing.html"));
    EXPECT_EQ(browser->topNavItem()->title(), "Zelvan Chess");
    savePicture(*browser->modalWindow(), "adwick-browser.png");
    browser->dismissModal();
    env.advance(1);
    EXPECT_FALSE(browser->modalWindow());
    ui::installScriptHostFactory(nullptr);
}

} // namespace
} // namespace zelvan::adwick
