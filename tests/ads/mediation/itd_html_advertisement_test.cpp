// The HTML banner ad: its layout, which loads leave the application (only the user's first link tap) and
// which stay in the banner, and its detail page over the first window.
#include <gtest/gtest.h>

#include "ads/mediation/itd_advertisement.h"
#include "platform/foundation/clock.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/window.h"

namespace zelvan::mediation {
namespace {

using ui::testing::WebViewDriver;

class HtmlAdTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
        window_->makeKeyAndVisible();
        ui::Application::shared().clearOpenedUrls();
    }
    void TearDown() override {
        window_->setHidden(true);
        ui::Application::shared().clearOpenedUrls();
        fnd::Clock::install(nullptr);
    }
    static std::shared_ptr<ui::WebView> webViewOf(ITDHTMLAdvertisement& ad) {
        return std::dynamic_pointer_cast<ui::WebView>(ad.subviews().at(0)->subviews().at(0));
    }
    const std::vector<std::string>& opened() { return ui::Application::shared().openedUrls(); }

    std::shared_ptr<fnd::ManualClock> clock_ = fnd::ManualClock::install();
    std::shared_ptr<ui::Window> window_;
};

TEST_F(HtmlAdTest, OnlyTheFirstLinkTapLeavesTheApplication) {
    AdChrome chrome;
    chrome.adsBackground = gfx::Color::fromRgbHex(0x203040);
    auto empty = ITDHTMLAdvertisement::initWithHTML(std::nullopt, gfx::Size(300, 50), chrome);
    empty->load();
    EXPECT_EQ(empty->frame(), gfx::Rect(0, 0, 320, 50));
    EXPECT_EQ(empty->subviews().at(0)->backgroundColor(), gfx::Color::fromRgbHex(0x203040));
    auto emptyWeb = webViewOf(*empty);
    EXPECT_EQ(emptyWeb->frame(), gfx::Rect(10, 0, 300, 50));
    ASSERT_TRUE(WebViewDriver(emptyWeb).finishLoad());
    EXPECT_EQ(emptyWeb->document().source(), ITDHTMLAdvertisement::kEmptyPage);
    EXPECT_TRUE(opened().empty());

    // A redirect and a frame of the ad before any tap stay inside and open nothing.
    const std::string landing = "http://127.0.0.1:9/landing";
    auto ad = ITDHTMLAdvertisement::initWithHTML("<html><body><a href=\"" + landing +
                                                     "\">Play</a><iframe src=\"about:blank\"></iframe></body></html>",
                                                 gfx::Size(320, 50));
    ad->load();
    window_->addSubview(ad);
    auto web = webViewOf(*ad);
    WebViewDriver driver(web);
    ASSERT_TRUE(driver.finishLoad());
    ASSERT_TRUE(web->simulateNavigation("about:blank#moved", ui::NavigationType::Other));
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_TRUE(opened().empty());
    EXPECT_GE(ad->loadCount(), 2);

    // The first tap opens its URL outside and the ad stays; a second tap loads in the banner.
    ASSERT_TRUE(driver.clickLink(landing));
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(opened(), std::vector<std::string>{landing});
    EXPECT_EQ(ad->superview(), window_);
    const std::string second = "about:blank#second";
    ASSERT_TRUE(driver.clickLink(second));
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(opened().size(), 1u);
    EXPECT_EQ(web->request()->url().absoluteString(), second);
}

TEST_F(HtmlAdTest, ALinkWithAnotherSchemeOpensAsGiven) {
    auto ad = ITDHTMLAdvertisement::initWithHTML("<p>ad</p>", gfx::Size(320, 50));
    ad->load();
    fnd::UrlRequest call(*fnd::Url::parse("tel:5550100"));
    EXPECT_FALSE(ad->webViewShouldStartLoadWithRequest(*webViewOf(*ad), call, ui::NavigationType::LinkClicked));
    EXPECT_EQ(opened(), std::vector<std::string>{"tel:5550100"}); // not "http://tel:..."
}

TEST_F(HtmlAdTest, DetailPageOpensOverTheFirstWindowAndBackClosesIt) {
    int backs = 0;
    AdChrome chrome;
    std::function<void()> back;
    chrome.headerBar = [&](const std::string& title, const std::string& backTitle, std::function<void()> action, bool) {
        EXPECT_EQ(title, "Kavlo");
        EXPECT_EQ(backTitle, " Back ");
        back = std::move(action);
        ++backs;
        return ui::View::create(gfx::Rect(0, 0, 320, 44));
    };
    std::weak_ptr<ITDHTMLAdvertisement> weak;
    {
        auto ad = ITDHTMLAdvertisement::initWithHTML("<p>ad</p>", gfx::Size(300, 50), chrome);
        weak = ad;
        ad->ShowAdDetailedWebView("http://127.0.0.1:9/detail");
        ASSERT_TRUE(ad->KavloView());
        EXPECT_EQ(ad->KavloView()->superview(), ui::Application::shared().windows().front());
        EXPECT_EQ(ad->KavloView()->frame(), gfx::Rect(0, 0, 320, 480));
        EXPECT_EQ(ad->KavloView()->backgroundColor(), gfx::Color::lightGray());
        EXPECT_EQ(ad->KavloView()->subviews().at(0)->frame(), gfx::Rect(0, 46, 320, 434));
    }
    ASSERT_TRUE(weak.lock()); // the open page keeps the ad
    EXPECT_EQ(backs, 1);
    auto page = weak.lock()->KavloView();
    back();
    EXPECT_FALSE(page->superview());
    EXPECT_FALSE(weak.lock());
    back(); // a second Back does nothing
}

} // namespace
} // namespace zelvan::mediation
