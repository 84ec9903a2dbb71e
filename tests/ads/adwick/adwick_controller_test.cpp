// The ad controller behind a banner view, on the ad host under a manual clock: the first ad, the 30 s
// guard, the flip, silent and superseded fresh ads, the click dispatch and the call and contact alerts.
#include <gtest/gtest.h>

#include <algorithm>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_contact.h"
#include "ads/adwick/adwick_controller.h"
#include "ads/adwick/adwick_old_school_single_ad_view.h"
#include "ads/adwick/adwick_view.h"
#include "platform/device/address_book.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"
#include "tests/ads/adwick/adwick_banner_fixture.h"

namespace zelvan::adwick {
namespace {

using testing::BannerEnv;
using testing::Publisher;

struct Banner {
    std::shared_ptr<Publisher> publisher = std::make_shared<Publisher>();
    std::shared_ptr<AdwickViewInternal> view;
    std::shared_ptr<AdwickController> controller() const { return view->controller(); }

    explicit Banner(std::string kind, std::optional<std::string> action = std::nullopt) {
        publisher->kind = std::move(kind);
        publisher->action = std::move(action);
        view = std::dynamic_pointer_cast<AdwickViewInternal>(AdwickView::requestAdWithDelegate(publisher));
        BannerEnv::pump([this] { return publisher->received + publisher->failed > 0; });
    }
    std::shared_ptr<AdwickSingleAdView> shown() const {
        return std::dynamic_pointer_cast<AdwickSingleAdView>(view->viewWithTag(AdwickController::kDisplayedTag));
    }
    bool freshDone() const {
        return BannerEnv::pump([this] { return controller()->loadingAd() == nullptr; });
    }
};

TEST(AdwickControllerTest, FirstAdGuardFlipAndSilentFailures) {
    BannerEnv env;
    Banner banner("text");
    ASSERT_EQ(banner.publisher->received, 1);
    EXPECT_EQ(banner.view->bounds(), gfx::Rect(0, 0, 320, 48));
    auto first = banner.shown();
    ASSERT_TRUE(std::dynamic_pointer_cast<AdwickOldSchoolSingleAdView>(first));
    auto firstAd = banner.controller()->currentlyDisplayedAd();

    ui::AnimationLog::clear();
    banner.view->requestFreshAd();
    ASSERT_TRUE(banner.freshDone());
    auto entries = ui::AnimationLog::entries();
    auto flip = std::find_if(entries.begin(), entries.end(), [](const auto& e) { return e.name == "newAdwickAd"; });
    ASSERT_NE(flip, entries.end());
    EXPECT_DOUBLE_EQ(flip->duration, 0.7);
    EXPECT_EQ(flip->transition, "flipFromRight");
    EXPECT_EQ(banner.publisher->received, 1); // no delegate call for a fresh ad
    EXPECT_NE(banner.shown(), first);
    EXPECT_EQ(first->tag(), 0);
    EXPECT_FALSE(firstAd->adDelegate()); // the replaced ad no longer reports
    env.advance(0.8);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_FALSE(first->superview());

    // Within 30 s nothing is asked; at 30 s the next request goes out.
    const int before = env.hits("/adwick/ad_source.php");
    env.advance(29);
    banner.view->requestFreshAd();
    EXPECT_FALSE(banner.controller()->loadingAd());
    env.advance(1);
    banner.publisher->kind = "404"; // a failed fresh ad is dropped silently
    auto shownBefore = banner.shown();
    banner.view->requestFreshAd();
    ASSERT_TRUE(banner.controller()->loadingAd());
    ASSERT_TRUE(banner.freshDone());
    EXPECT_EQ(env.hits("/adwick/ad_source.php"), before + 1);
    EXPECT_EQ(banner.publisher->failed, 0);
    EXPECT_EQ(banner.shown(), shownBefore);

    // A fresh ad replaced by a newer one is ignored when it loads; only the newer is shown.
    banner.publisher->kind = "text";
    env.advance(31);
    banner.view->requestFreshAd();
    auto superseded = banner.controller()->loadingAd();
    env.clock->advance(31); // no loop turn: the first reply cannot land before the newer request
    banner.view->requestFreshAd();
    auto newer = banner.controller()->loadingAd();
    ASSERT_NE(superseded, newer);
    EXPECT_FALSE(superseded->adDelegate());
    ASSERT_TRUE(banner.freshDone());
    EXPECT_EQ(banner.controller()->currentlyDisplayedAd(), newer);
}

TEST(AdwickControllerTest, NoFreshAdUnderAnImageBannerAndAFailedFirstAd) {
    BannerEnv env;
    Banner banner("banner");
    ASSERT_EQ(banner.controller()->currentlyDisplayedAd()->medium(), AdwickAd::kImageBanner);
    banner.view->requestFreshAd();
    EXPECT_FALSE(banner.controller()->loadingAd());
    EXPECT_TRUE(banner.controller()->lastRequestForFreshAd()); // the window restarts all the same

    Banner empty("empty");
    EXPECT_EQ(empty.publisher->failed, 1);
    EXPECT_FALSE(empty.controller()->currentlyDisplayedAd());
    empty.publisher->kind = "text";
    empty.view->requestFreshAd();
    ASSERT_TRUE(empty.freshDone());
    EXPECT_TRUE(empty.shown()); // swapped in with the flip, still no delegate call
    EXPECT_EQ(empty.publisher->received, 0);
}

TEST(AdwickControllerTest, ClickRepliesAreDispatchedByAction) {
    BannerEnv env;
    auto click = [](Banner& banner) {
        auto view = banner.shown();
        banner.controller()->clickWithData(*view, std::nullopt);
        BannerEnv::pump([&] { return banner.controller()->currentlyDisplayedAd()->state() == AdwickAd::kLoaded; });
    };
    Banner url("text", "url");
    click(url);
    Banner canvas("text", "canvas");
    click(canvas);
    ASSERT_EQ(env.landings.log.size(), 2U);
    EXPECT_EQ(env.landings.log[0], "browser " + env.host().url("/adwick/landing.html"));
    EXPECT_EQ(env.landings.log[1],
              "canvas " + env.host().url("/adwick/static/iphone/landing.html?canvas=1") + " Zelvan Chess");

    // The affiliate link is followed to the store and opened there.
    Banner app("text", "app");
    click(app);
    BannerEnv::pump([] { return !ui::Application::shared().openedUrls().empty(); });
    ASSERT_EQ(ui::Application::shared().openedUrls().size(), 1U);
    EXPECT_TRUE(ui::Application::shared().openedUrls()[0].starts_with("http://media.store.test/app/"))
        << ui::Application::shared().openedUrls()[0];

    // Direct replies: the store test comes first; a missing or non-string redirect is a click failure.
    auto& controller = *url.controller();
    auto& ad = *url.controller()->currentlyDisplayedAd();
    ui::Application::shared().clearOpenedUrls();
    env.landings.log.clear();
    controller.clickDidSucceed(ad, fnd::Value::dictionary({{"redirect_url", "http://store.test/app/x"}}));
    EXPECT_EQ(ui::Application::shared().openedUrls(), std::vector<std::string>{"http://media.store.test/app/x"});
    controller.clickDidSucceed(ad, fnd::Value::dictionary({{"redirect_url", "javascript:alert(1)"}}));
    controller.clickDidSucceed(ad, fnd::Value::dictionary({{"redirect_url", fnd::Value(5)}}));
    controller.clickDidSucceed(ad, fnd::Value::dictionary({}));
    EXPECT_TRUE(env.landings.log.empty());
    EXPECT_EQ(ui::Application::shared().openedUrls().size(), 1U);

    // A search ad opens the search screen with its placeholder; a later click failure gives it back.
    Banner search("search");
    ASSERT_EQ(search.controller()->currentlyDisplayedAd()->medium(), AdwickAd::kSearchAd);
    std::dynamic_pointer_cast<AdwickOldSchoolSingleAdView>(search.shown())->clickDidHappen();
    search.controller()->clickDidFail(*search.controller()->currentlyDisplayedAd());
    EXPECT_EQ(env.landings.log,
              (std::vector<std::string>{"tile", "placeholder Find games and friends",
                                        "help " + env.host().url("/adwick/search_help.html"), "search", "relinquish"}));
}

TEST(AdwickControllerTest, CallAndContactAlertsFetchTheAcquisitionFirst) {
    BannerEnv env;
    auto window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    window->makeKeyAndVisible();
    Banner call("text", "call");
    window->addSubview(call.view);
    call.controller()->clickWithData(*call.shown(), std::nullopt);
    BannerEnv::pump([] { return ui::testing::AlertDriver::visibleAlert() != nullptr; });
    auto alert = ui::testing::AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Call 5550100?");
    const int tracked = env.hits("/adwick/pixel/track");
    ASSERT_TRUE(ui::testing::AlertDriver::tap("Call"));
    // The number is dialled once the acquisition has been recorded.
    BannerEnv::pump([] { return !ui::Application::shared().openedUrls().empty(); });
    EXPECT_EQ(env.hits("/adwick/pixel/track"), tracked + 1);
    EXPECT_EQ(ui::Application::shared().openedUrls(), std::vector<std::string>{"tel:5550100"});

    Banner contact("text", "contact");
    window->addSubview(contact.view);
    contact.controller()->clickWithData(*contact.shown(), std::nullopt);
    BannerEnv::pump([] { return ui::testing::AlertDriver::visibleAlert() != nullptr; });
    alert = ui::testing::AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Add Zelvan Games to your Address Book?");
    std::weak_ptr<ui::AlertView> held = alert;
    alert.reset();
    ASSERT_TRUE(ui::testing::AlertDriver::tap("Add"));
    BannerEnv::pump([&] { return env.hits("/adwick/pixel/track") == tracked + 2; });
    EXPECT_TRUE(AdwickContact::initWithAddressBookEntryForOrganization("Zelvan Games"));
    // The alert keeps itself until its acquisition request has ended, then lets go.
    BannerEnv::pump([&] { return held.expired(); });
    EXPECT_TRUE(held.expired());
}

} // namespace
} // namespace zelvan::adwick
