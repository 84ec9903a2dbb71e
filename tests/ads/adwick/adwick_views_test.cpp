// The banner's display views: the attribution rule under synthetic metrics, touch records and the
// click they go with, the spinner around a click's reply, and pictures of the three kinds for a person.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_controller.h"
#include "ads/adwick/adwick_old_school_single_ad_view.h"
#include "ads/adwick/adwick_search_ad_view.h"
#include "ads/adwick/adwick_view.h"
#include "platform/graphics/backends.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text_metrics.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/testing/screenshot.h"
#include "platform/ui/testing/touch_driver.h"
#include "platform/ui/window.h"
#include "tests/ads/adwick/adwick_banner_fixture.h"

namespace zelvan::adwick {
namespace {

using testing::BannerEnv;
using testing::Publisher;

std::shared_ptr<AdwickViewInternal> loadBanner(const std::shared_ptr<Publisher>& publisher) {
    auto view = std::dynamic_pointer_cast<AdwickViewInternal>(AdwickView::requestAdWithDelegate(publisher));
    BannerEnv::pump([&] { return publisher->received + publisher->failed > 0; });
    return view;
}

std::shared_ptr<AdwickOldSchoolSingleAdView> shown(const std::shared_ptr<AdwickViewInternal>& view) {
    return std::dynamic_pointer_cast<AdwickOldSchoolSingleAdView>(view->viewWithTag(AdwickController::kDisplayedTag));
}

size_t colours(const gfx::Image& image) {
    std::set<uint32_t> seen;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const auto p = image.pixelAt(x, y);
            seen.insert((uint32_t(p.r) << 16) | (uint32_t(p.g) << 8) | p.b);
        }
    }
    return seen.size();
}

TEST(AdwickViewsTest, AttributionOnlyUnderTextOfAtMost24Points) {
    BannerEnv env;
    gfx::installTextMetrics(std::make_shared<gfx::SyntheticMetrics>());
    auto text = std::make_shared<std::string>();
    env.host().server().addNetwork(
        "/reply", [text, &env](const devserver::DevAdsRequest&, devserver::DevAdsResponse& r) {
            r.status = 200;
            r.body = R"({"text":")" + *text + R"(","6":"url","204":"/static/iphone/ads/icon.png","jsonp_url":")" +
                     env.host().url("/adwick/click") + R"("})";
            return true;
        });
    // Bold 13 is 16 points a line: one line gets the attribution, two lines (32 points) do not.
    for (const auto& [line, attributed] :
         {std::pair{std::string("Play chess"), true}, std::pair{std::string(60, 'w'), false}}) {
        *text = line;
        auto publisher = std::make_shared<Publisher>();
        publisher->endpoint = env.host().url("/reply/ad");
        auto view = loadBanner(publisher);
        auto banner = shown(view);
        ASSERT_TRUE(banner) << line;
        ASSERT_TRUE(banner->screenshot());
        EXPECT_EQ(banner->drewAttribution(), attributed) << line;
    }
    gfx::installTextMetrics(nullptr);
}

TEST(AdwickViewsTest, TouchRecordsGoWithTheNextClickInside) {
    BannerEnv env;
    auto window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    window->makeKeyAndVisible();
    auto publisher = std::make_shared<Publisher>();
    auto view = loadBanner(publisher);
    window->addSubview(view);
    auto banner = shown(view);
    ASSERT_TRUE(banner);
    ASSERT_TRUE(banner->screenshot()); // the first render starts the touch clock

    env.advance(1.5);
    ui::testing::TouchDriver::touchDown(1, gfx::Point(100, 20));
    EXPECT_TRUE(banner->touched());
    ui::testing::TouchDriver::touchMove(1, gfx::Point(100, 200));
    EXPECT_FALSE(banner->touched());
    ui::testing::TouchDriver::touchUp(1);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(env.hits("/adwick/click"), 0); // ended outside: no click
    ASSERT_TRUE(banner->storedTouches());
    EXPECT_EQ(banner->storedTouches()->count(), 2U);

    ui::testing::TouchDriver::tap(window, gfx::Point(50, 10));
    BannerEnv::pump([&] { return env.hits("/adwick/click") == 1; });
    std::string body;
    for (const auto& request : env.host().server().requests()) {
        if (request.path == "/adwick/click") {
            body = request.body;
        }
    }
    EXPECT_EQ(body, R"({"interactions":["0,100,20,1.500000","1,100,200,1.500000","0,50,10,1.500000",)"
                    R"("1,50,10,1.500000"]})");
    EXPECT_FALSE(banner->storedTouches());
    ui::testing::TouchDriver::reset();
}

TEST(AdwickViewsTest, SpinnerShowsAfterThePulseAndGoesAfterTheRestore) {
    BannerEnv env;
    auto publisher = std::make_shared<Publisher>();
    auto view = loadBanner(publisher);
    auto banner = shown(view);
    ASSERT_TRUE(banner && banner->clickAnimationView());
    auto spinnerShown = [&] { return banner->spinner() && banner->spinner()->superview(); };

    // Restore asked during the pulse: the spinner goes 0.3 s after it appeared.
    ui::AnimationLog::clear();
    banner->animateForClick();
    EXPECT_FALSE(banner->isUserInteractionEnabled());
    const auto entries = ui::AnimationLog::entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().name, "AdwickPulseAnimation");
    EXPECT_DOUBLE_EQ(entries.back().duration, 0.5);
    banner->restoreAdAfterClickAnimation();
    env.advance(0.5); // the pulse ends; the spinner follows 0.3 s later
    env.advance(0.29);
    EXPECT_FALSE(spinnerShown());
    env.advance(0.02);
    EXPECT_TRUE(spinnerShown());
    env.advance(0.27);
    EXPECT_TRUE(spinnerShown());
    env.advance(0.02);
    EXPECT_FALSE(spinnerShown());
    EXPECT_TRUE(banner->isUserInteractionEnabled());

    // Restore asked once the spinner shows: it goes 0.3 s later.
    banner->animateForClick();
    env.advance(0.5);
    env.advance(0.31);
    ASSERT_TRUE(spinnerShown());
    banner->restoreAdAfterClickAnimation();
    env.advance(0.29);
    EXPECT_TRUE(spinnerShown());
    env.advance(0.02);
    EXPECT_FALSE(spinnerShown());
    EXPECT_TRUE(banner->isUserInteractionEnabled());
}

TEST(AdwickViewsTest, PicturesOfTheThreeKinds) {
    BannerEnv env;
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    for (const char* kind : {"text", "banner", "search"}) {
        auto publisher = std::make_shared<Publisher>();
        publisher->kind = kind;
        auto view = loadBanner(publisher);
        ASSERT_EQ(publisher->received, 1) << kind;
        auto picture = view->screenshot();
        ASSERT_TRUE(picture) << kind;
        EXPECT_GT(colours(*picture), 16U) << kind;
        if (std::string(kind) == "search") {
            EXPECT_TRUE(std::dynamic_pointer_cast<AdwickSearchAdView>(shown(view))) << kind;
        }
        EXPECT_TRUE(ui::testing::saveScreenshot(*view, std::string("adwick-") + kind + ".png"));
    }
}

} // namespace
} // namespace zelvan::adwick
