// The house-ad banner: what it shows for HTML, a picture or both, where a tap goes ("OpenIn"), and its
// landing page (one at a time, Back once, the curls, Retry, landscape).
#include <gtest/gtest.h>

#include <filesystem>

#include "ads/mediation/itd_orvane_advertisement.h"
#include "core/data_helpers.h"
#include "platform/device/device.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/url_error.h"
#include "platform/graphics/image.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/application.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/window.h"

namespace zelvan::mediation {
namespace {

using ui::testing::AlertDriver;
using ui::testing::WebViewDriver;

class HouseBannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        ui::Application::shared().clearOpenedUrls();
        ui::AnimationLog::clear();
        chrome_.adsBackground = gfx::Color::fromRgbHex(0x112233);
        chrome_.headerBar = [this](const std::string& title, const std::string&, std::function<void()> back, bool) {
            titles_.push_back(title);
            back_ = std::move(back);
            return ui::View::create(gfx::Rect(0, 0, 320, 44));
        };
        chrome_.applicationAngle = [this] { return angle_; };
        chrome_.orientationEnabled = [] { return true; };
    }
    void TearDown() override {
        while (AlertDriver::visible()) {
            AlertDriver::tap(0);
        }
        window_->setHidden(true);
        ui::Application::shared().clearOpenedUrls();
        fnd::RunLoop::current().runUntilIdle();
        fnd::Clock::install(nullptr);
    }
    std::shared_ptr<ITDOrvaneAdvertisement> banner(HouseAd ad) {
        auto view = ITDOrvaneAdvertisement::init(std::move(ad), chrome_);
        view->load();
        window_->addSubview(view);
        return view;
    }
    static std::string picture(int width, int height) {
        auto image = gfx::Image::fromPixels(width, height, fnd::Bytes(size_t(width * height * 4), 0xff));
        return base64Encode(gfx::pngRepresentation(*image));
    }
    std::vector<std::string> transitions() const {
        std::vector<std::string> out;
        for (const auto& entry : ui::AnimationLog::entries()) {
            if (!entry.transition.empty()) {
                out.push_back(entry.transition);
            }
        }
        return out;
    }
    void advance(double seconds) { fnd::RunLoop::current().advance(seconds); }

    std::shared_ptr<fnd::ManualClock> clock_ = fnd::ManualClock::install();
    std::shared_ptr<ui::Window> window_;
    AdChrome chrome_;
    std::vector<std::string> titles_;
    std::function<void()> back_;
    int angle_ = 0;
};

TEST_F(HouseBannerTest, ShowsHtmlOrPictureAndOpensTheClickURL) {
    const std::string png = picture(300, 40);
    auto both = banner(HouseAd{png, "<b>house</b>", "http://127.0.0.1:9/a", true});
    EXPECT_TRUE(both->html()); // HTML wins over the picture
    EXPECT_EQ(both->frame(), gfx::Rect(0, 0, 320, 55));
    EXPECT_EQ(both->backgroundColor(), gfx::Color::fromRgbHex(0x112233));
    auto web = std::dynamic_pointer_cast<ui::WebView>(both->subviews().at(0));
    ASSERT_TRUE(web);
    ASSERT_EQ(web->subviews().size(), 2u); // its page view and the clear overlay button
    auto overlay = std::dynamic_pointer_cast<ui::Button>(web->subviews().back());
    ASSERT_TRUE(overlay);
    overlay->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(ui::Application::shared().openedUrls(), std::vector<std::string>{"http://127.0.0.1:9/a"});

    auto noClick = banner(HouseAd{"", "<b>house</b>", "", false});
    EXPECT_EQ(noClick->subviews().at(0)->subviews().size(), 1u); // no overlay without a click URL

    // For a person to look at: the HTML banner, then (below) its landing page.
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    both->setFrame(gfx::Rect(0, 425, 320, 55));
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "screenshots/mediation-house-banner.png"));
    auto pictureAd = banner(HouseAd{png, "", "http://127.0.0.1:9/b?x=%41%20", false});
    EXPECT_FALSE(pictureAd->html());
    auto image = std::dynamic_pointer_cast<ui::ImageView>(pictureAd->subviews().at(0));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->frame(), gfx::Rect(0, 0, 300, 40));
    EXPECT_TRUE(image->isUserInteractionEnabled());
    pictureAd->touchesEnded({}, nullptr); // any "OpenIn" but "Safari": the landing page
    pictureAd->touchesEnded({}, nullptr); // a second tap while it is open: ignored
    EXPECT_EQ(titles_, std::vector<std::string>{"Orvane"});
    auto page = pictureAd->landingPage();
    ASSERT_TRUE(page->OrvaneWebView());
    EXPECT_FALSE(page->OrvaneView()->superview());
    advance(0.2);
    ASSERT_TRUE(page->OrvaneWebView()->request());
    EXPECT_EQ(page->OrvaneWebView()->request()->url().absoluteString(), "http://127.0.0.1:9/b?x=%41%20");
    EXPECT_EQ(page->OrvaneView()->superview(), window_);
    EXPECT_EQ(page->lblTitle()->text(), "Loading...");
    EXPECT_TRUE(ui::Snapshot::saveViewAsPng(*window_, "screenshots/mediation-house-landing.png"));

    auto broken = banner(HouseAd{"not a picture", "", "", false});
    EXPECT_TRUE(broken->subviews().empty()); // still the 320 x 55 banner
    EXPECT_EQ(broken->frame(), gfx::Rect(0, 0, 320, 55));

    std::weak_ptr<ITDOrvaneAdvertisement> weak = pictureAd;
    pictureAd.reset();
    ASSERT_TRUE(weak.lock()); // the open page keeps its banner
    auto shown = page->OrvaneView();
    back_();
    back_(); // Back twice closes once
    advance(0.2);
    EXPECT_FALSE(shown->superview());
    EXPECT_EQ(transitions(), (std::vector<std::string>{"curlUp", "curlDown"}));
    weak.lock()->removeFromSuperview();
    EXPECT_FALSE(weak.lock());
}

TEST_F(HouseBannerTest, RetryRebuildsAndLandscapeLayout) {
    angle_ = 90;
    auto ad = banner(HouseAd{"", "<p>x</p>", "http://127.0.0.1:9/landing", false});
    ad->adClicked();
    auto page = ad->landingPage();
    const double top = ui::Application::shared().statusBarHidden() ? 0 : 20;
    EXPECT_EQ(page->OrvaneView()->frame(), gfx::Rect(0, top, 480, 320 - top));
    EXPECT_EQ(page->OrvaneWebView()->frame(), gfx::Rect(0, 44, 480, 320 - top - 44));
    advance(0.2);
    auto first = page->OrvaneWebView();
    page->webViewDidFailLoadWithError(*first, fnd::Error("fnd.url", -1004, std::string_view("down")));
    auto alert = AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->message(), "Service is unreachable.\nDo you want to try again?");
    EXPECT_EQ(alert->tag(), 100);
    ASSERT_TRUE(AlertDriver::tap("Retry"));
    EXPECT_NE(page->OrvaneWebView(), first);
    EXPECT_FALSE(first->superview());
    advance(0);
    ASSERT_TRUE(page->OrvaneWebView()->request());
    EXPECT_EQ(page->OrvaneWebView()->request()->url().absoluteString(), "http://127.0.0.1:9/landing");
    EXPECT_EQ(page->OrvaneWebView()->frame().size.width, 480);
    page->webViewDidFailLoadWithError(*page->OrvaneWebView(), fnd::Error("fnd.url", -1004, std::string_view("down")));
    auto shown = page->OrvaneView();
    ASSERT_TRUE(shown);
    ASSERT_TRUE(AlertDriver::tap("Cancel")); // closes the page
    advance(0.2);
    EXPECT_FALSE(shown->superview());
    EXPECT_FALSE(page->webViewLoading());
}

TEST_F(HouseBannerTest, PageOptionsForTheTwoStepAdapter) {
    auto page = std::make_shared<AdLandingPage>(chrome_, LandingOptions{"Ostrom", false, true});
    page->show("about:blank", nullptr);
    EXPECT_EQ(titles_, std::vector<std::string>{"Ostrom"});
    ASSERT_TRUE(page->activityIndicator()); // at once, before any load
    EXPECT_TRUE(page->activityIndicator()->isAnimating());
    ASSERT_TRUE(WebViewDriver(page->OrvaneWebView()).finishLoad());
    advance(0.2); // the page loaded before the label came: it does not stay "Loading..."
    auto label = page->lblTitle();
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->isHidden()); // hidden, not removed
    EXPECT_EQ(label->superview(), page->OrvaneView());
    EXPECT_FALSE(page->activityIndicator()->superview());
    back_();
    advance(0.2);
    EXPECT_FALSE(page->OrvaneView());
}

} // namespace
} // namespace zelvan::mediation
