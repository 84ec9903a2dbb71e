// The Kavlo banner and in-app browser against the ad host's Kavlo routes on 127.0.0.1: the ad query, the
// replies and their failure codes, "shouldOpen()", link touches, the refresh timer and the wrapper
// source's 60 s rule, and the browser's open/close, accelerometer protocol and link filter.
#include "analytics/kavlo/kavlo_ad_view.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "analytics/kavlo/kavlo_ad_source.h"
#include "analytics/kavlo/kavlo_browser.h"
#include "platform/device/accelerometer.h"
#include "platform/device/location.h"
#include "platform/foundation/dictionary.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/animation_log.h"
#include "platform/ui/application.h"
#include "platform/ui/backends.h"
#include "platform/ui/recording_script_host.h"
#include "platform/ui/testing/web_view_driver.h"
#include "tests/analytics/kavlo/kavlo_test_support.h"

namespace zelvan::kavlo {
namespace {

using testing::KavloTest;

struct Heard : KavloAdViewDelegate {
    std::vector<std::string> events;
    std::vector<int64_t> codes;
    std::optional<std::string> keywordsAnswer, queryAnswer;
    bool allowTouchThrough = true;
    void adViewDidFinishLoad(KavloAdView&) override { events.push_back("finish"); }
    void adViewDidFailLoad(KavloAdView&) override { events.push_back("fail"); }
    void adViewDidFailLoadWithError(KavloAdView&, const fnd::Error& error) override {
        events.push_back("error");
        EXPECT_EQ(error.domain(), kKavloAdViewErrorDomain);
        codes.push_back(error.code());
    }
    bool adViewShouldTouchThrough(KavloAdView&) override {
        events.push_back("should");
        return allowTouchThrough;
    }
    void adViewDidFinishTouchThrough(KavloAdView&) override { events.push_back("through"); }
    void adViewDidTouchCustomAdWithString(KavloAdView&, const std::string& text) override {
        events.push_back("custom:" + text);
    }
    std::optional<std::string> keywords() override { return keywordsAnswer; }
    std::optional<std::string> query() override { return queryAnswer; }
};

std::string pageText(const KavloAdView& view) {
    const auto& tree = view.document().tree();
    const auto bodies = tree->elementsByTagName("body");
    return bodies.empty() ? std::string() : tree->textContent(bodies.front());
}

// Saves a picture of `view` for a person to look at; the number of different colours it shows.
size_t savePicture(ui::View& view, const std::string& name) {
    std::error_code ec;
    std::filesystem::create_directories("screenshots", ec);
    view.layoutIfNeeded();
    gfx::beginImageContext(view.bounds().size);
    auto context = gfx::getCurrentContext();
    view.renderInContext(*context);
    EXPECT_TRUE(gfx::savePng(*context, "screenshots/" + name));
    std::set<uint32_t> colours;
    for (int y = 0; y < static_cast<int>(view.bounds().size.height); y += 2) {
        for (int x = 0; x < static_cast<int>(view.bounds().size.width); x += 2) {
            const auto p = context->pixelAt(x, y);
            colours.insert(uint32_t{p.r} << 24 | uint32_t{p.g} << 16 | uint32_t{p.b} << 8 | p.a);
        }
    }
    gfx::endImageContext();
    return colours.size();
}

class KavloAdViewTest : public KavloTest {
protected:
    void SetUp() override {
        KavloTest::SetUp();
        bundleWith({});
        newRun();
        Kavlo::start();
        heard_ = std::make_shared<Heard>();
    }
    void TearDown() override {
        ui::installScriptHostFactory(nullptr);
        device::Accelerometer::shared().reset();
        ui::Application::shared().setStatusBarHidden(false);
        view_.reset();
        KavloTest::TearDown();
    }
    std::shared_ptr<MMABannerXLAdView> banner() {
        view_ = MMABannerXLAdView::make(context_);
        view_->setAdDelegate(heard_);
        window_->addSubview(view_);
        return view_;
    }
    size_t adQueries(const std::string& path = "/kavlo") {
        size_t n = 0;
        for (const auto& request : ads_.requests()) {
            n += request.method == "GET" && request.path == path ? 1 : 0;
        }
        return n;
    }
    // Pumps until the delegate heard `count` events and the page settled.
    void settle(size_t count) {
        ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return heard_->events.size() >= count; }));
        ASSERT_TRUE(ui::testing::WebViewDriver(view_).finishLoad());
    }
    std::string prefix() {
        const auto& shared = *view_->shared();
        return context_->serverURL() + "?i=test-app&s=300x50&p=iphone&v=3.1.0&u=" + shared.deviceId +
               "&dt=" + shared.deviceModel + "&sv=" + shared.deviceSystemVersion + "&l=" + shared.locale;
    }
    std::shared_ptr<Heard> heard_;
    std::shared_ptr<MMABannerXLAdView> view_;
};

TEST_F(KavloAdViewTest, QueryTable) {
    banner();
    EXPECT_EQ(view_->frame().size, gfx::Size(300, 50));
    EXPECT_EQ(view_->adSize(), "300x50");
    EXPECT_FALSE(view_->isOpaque());
    // No location, no delegate answers, no demographics.
    EXPECT_EQ(view_->adQueryURL(), prefix());
    // Keywords answered with escapes, an empty query, a location, demographics in and out of the table.
    heard_->keywordsAnswer = "games & more";
    heard_->queryAnswer = "";
    auto controller = KavloController::getInstance();
    EXPECT_EQ(view_->adQueryURL(), prefix() + "&k=games%20%26%20more&q=");
    controller->updateLocation(device::Location::initWithLatitude(51.5, -0.12));
    controller->setInfoDictionaryValue(
        "9", fnd::Value::dictionary({{"dg", "f"}, {"zz", "out"}, {"dbd", 1990}, {"dci", "New York"}}));
    EXPECT_EQ(view_->adQueryURL(), prefix() + "&ll=51.500000,-0.120000&k=games%20%26%20more&q=&g=f&ci=New%20York");
    // An ad code replaces the application id and the size.
    heard_->keywordsAnswer.reset();
    heard_->queryAnswer.reset();
    view_->setAdCode("XYZ");
    std::string coded = prefix();
    coded.replace(coded.find("?i=test-app&s=300x50"), 20, "?a=XYZ");
    EXPECT_EQ(view_->adQueryURL(), coded + "&ll=51.500000,-0.120000&g=f&ci=New%20York");
    // Both sizes; the shared values belong to every live view and are rebuilt after the last one.
    auto rectangle = IABRectangleMAdView::make(context_);
    EXPECT_EQ(rectangle->frame().size, gfx::Size(300, 250));
    EXPECT_EQ(rectangle->adSize(), "300x250");
    EXPECT_EQ(rectangle->shared(), view_->shared());
    std::weak_ptr<KavloAdShared> shared = view_->shared();
    rectangle.reset();
    view_->removeFromSuperview();
    view_.reset();
    EXPECT_TRUE(shared.expired());
}

TEST_F(KavloAdViewTest, RepliesAndFailureCodes) {
    banner()->getAd();
    settle(1);
    EXPECT_EQ(heard_->events, std::vector<std::string>{"finish"});
    const std::string page = pageText(*view_);
    EXPECT_NE(page.find("play the new game"), std::string::npos);
    devserver::DevAdsRequest sent;
    for (const auto& request : ads_.requests()) {
        if (request.method == "GET" && request.path == "/kavlo") {
            sent = request;
        }
    }
    EXPECT_EQ(sent.header("Accept-Encoding"), "gzip,deflate");
    EXPECT_EQ(sent.param("s"), "300x50");
    EXPECT_GT(savePicture(*view_, "kavlo-banner.png"), 2u);

    view_->setAdCode("251");
    view_->getAd();
    settle(3);
    view_->setAdCode("404");
    view_->getAd();
    settle(5);
    EXPECT_EQ(heard_->events, (std::vector<std::string>{"finish", "fail", "error", "fail", "error"}));
    EXPECT_EQ(heard_->codes, (std::vector<int64_t>{7, -503}));
    // The failures kept the page.
    EXPECT_EQ(pageText(*view_), page);

    // A second request before the first reply silences the first.
    view_->setAdCode("");
    const size_t before = adQueries();
    view_->getAd();
    view_->getAd();
    settle(6);
    EXPECT_GE(adQueries(), before + 1);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(heard_->events.size(), 6u);
    EXPECT_EQ(heard_->events.back(), "finish");
}

TEST_F(KavloAdViewTest, RefusedPortAndNoServerFailWithZero) {
    newRun("http://127.0.0.1:1");
    Kavlo::start();
    banner()->getAd();
    settle(2);
    newRun("");
    Kavlo::start();
    banner()->getAd();
    EXPECT_EQ(heard_->events, (std::vector<std::string>{"fail", "error", "fail", "error"}));
    EXPECT_EQ(heard_->codes, (std::vector<int64_t>{0, 0}));
}

TEST_F(KavloAdViewTest, ShouldOpenOpensOnlyAUrl) {
    std::string answer;
    ui::installScriptHostFactory([&answer] {
        auto host = std::make_shared<ui::RecordingScriptHost>();
        host->answer("shouldOpen()", ui::ScriptResult(answer));
        return host;
    });
    banner();
    for (const std::string& text : std::vector<std::string>{"", "abcdef", ads_.baseURL() + "/kavlo/landing"}) {
        answer = text;
        heard_->events.clear();
        view_->getAd();
        settle(1);
        auto browser = KavloBrowser::sharedBrowser();
        EXPECT_EQ(browser->isVisible(), text.size() > 6) << text;
    }
    EXPECT_EQ(heard_->events, (std::vector<std::string>{"finish", "should"}));
    KavloBrowser::close();
    EXPECT_EQ(heard_->events.back(), "through");
}

TEST_F(KavloAdViewTest, LinkTouches) {
    banner()->setAdCode("custom");
    view_->getAd();
    settle(1);
    const std::string page = pageText(*view_);
    ui::testing::WebViewDriver driver(view_);
    ASSERT_TRUE(driver.clickLink(size_t{0}));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return adQueries("/kavlo/touch") == 1; }));
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(heard_->events.back(), "custom:play now");
    EXPECT_EQ(pageText(*view_), page);
    EXPECT_EQ(kavloCustomAdCommand("http://h/x?next=KAVLO%3A%2F%2Fa%20b"), "a b");
    EXPECT_EQ(kavloCustomAdCommand("http://h/x"), std::nullopt);

    // Another link: vetoed, then opened in the browser; closing it reaches the delegate.
    view_->setAdCode("");
    view_->getAd();
    settle(3);
    heard_->allowTouchThrough = false;
    ASSERT_TRUE(driver.clickLink(size_t{0}));
    ASSERT_TRUE(driver.finishLoad());
    auto browser = KavloBrowser::sharedBrowser();
    EXPECT_FALSE(browser->isVisible());
    heard_->allowTouchThrough = true;
    ASSERT_TRUE(driver.clickLink(size_t{0}));
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_TRUE(browser->isVisible());
    ASSERT_TRUE(ui::testing::WebViewDriver(browser->webView()).finishLoad());
    EXPECT_EQ(browser->webView()->document().title(), "Kavlo landing");
    EXPECT_GT(savePicture(*browser, "kavlo-browser.png"), 2u);
    EXPECT_EQ(browser->toolbar()->items().size(), 9u);
    EXPECT_NE(pageText(*view_).find("play the new game"), std::string::npos);
    browser->close();
    EXPECT_EQ(heard_->events.back(), "through");
}

TEST_F(KavloAdViewTest, RefreshTimerAndSixtySecondRule) {
    banner()->setRefreshTime(30);
    settle(1);
    clock_->advance(30);
    settle(2);
    EXPECT_EQ(adQueries(), 2u);
    view_->removeFromSuperview();
    view_.reset();
    clock_->advance(30);
    fnd::RunLoop::main().runUntilIdle();
    EXPECT_EQ(adQueries(), 2u);

    auto source = KavloAdSource::create(context_);
    int available = 0;
    source->onAdAvailable = [&] { ++available; };
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return source->isAdViewReady(); }));
    EXPECT_EQ(available, 1);
    EXPECT_EQ(source->adSize(), gfx::Size(300, 50));
    clock_->advance(59);
    source->wrapperMovedToSuperview();
    EXPECT_EQ(source->requestCount(), 1);
    clock_->advance(2);
    source->wrapperMovedToSuperview();
    EXPECT_EQ(source->requestCount(), 2);
    EXPECT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return available == 2; }));
}

TEST_F(KavloAdViewTest, BrowserOpenCloseAndAccelerometer) {
    struct Previous : device::AccelerometerDelegate {
        void accelerometerDidAccelerate(device::Accelerometer&, const device::Acceleration&) override {}
    };
    auto previous = std::make_shared<Previous>();
    auto& accelerometer = device::Accelerometer::shared();
    accelerometer.setUpdateInterval(0.5);
    accelerometer.setDelegate(previous);
    ui::Application::shared().setStatusBarHidden(true);
    int opened = 0;
    auto token = fnd::NotificationCenter::defaultCenter().addObserver(kKavloBrowserOpen, fnd::Value(),
                                                                      [&](const fnd::Notification&) { ++opened; });
    ui::installScriptHostFactory([] {
        auto host = std::make_shared<ui::RecordingScriptHost>();
        host->answerMatching("shouldAccelerate\\(\\)", ui::ScriptResult("TRUE"));
        return host;
    });
    ui::AnimationLog::clear();
    auto browser = KavloBrowser::sharedBrowser();
    EXPECT_EQ(browser->frame(), gfx::Rect(0, 0, 320, 480));
    browser->openRequest(fnd::UrlRequest(*fnd::Url::parse(ads_.baseURL() + "/kavlo/landing")));
    browser->openRequest(fnd::UrlRequest(*fnd::Url::parse(ads_.baseURL() + "/kavlo/landing")));
    ui::testing::WebViewDriver driver(browser->webView());
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(browser->superview(), window_);
    EXPECT_DOUBLE_EQ(accelerometer.updateInterval(), KavloBrowserView::kAccelerometerInterval);
    EXPECT_TRUE(browser->shouldAccelerate());
    browser->accelerometerDidAccelerate(accelerometer, device::Acceleration{0.5, -1, 0.25, 0});
    auto scripts = driver.recordingHost()->evaluations();
    EXPECT_EQ(scripts.back(), "didAccelerate(0.500000, -1.000000, 0.250000)");
    // A next page that does not ask stops the calls.
    ui::installScriptHostFactory(nullptr);
    ui::installScriptHostFactory([] { return std::make_shared<ui::RecordingScriptHost>(); });
    browser->openRequest(fnd::UrlRequest(*fnd::Url::parse(ads_.baseURL() + "/kavlo/landing")));
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_FALSE(browser->shouldAccelerate());

    browser->close();
    EXPECT_EQ(browser->superview(), nullptr);
    EXPECT_TRUE(ui::Application::shared().statusBarHidden());
    EXPECT_DOUBLE_EQ(accelerometer.updateInterval(), 0.5);
    EXPECT_EQ(accelerometer.delegate(), previous);
    std::vector<std::string> curls;
    for (const auto& entry : ui::AnimationLog::entries()) {
        if (!entry.transition.empty()) {
            curls.push_back(entry.transition);
        }
    }
    EXPECT_EQ(curls, (std::vector<std::string>{"curlDown", "curlUp"}));

    using Action = KavloBrowserLinkDecision::Action;
    const auto& hosts = context_->browserSystemHosts;
    EXPECT_EQ(kavloBrowserLinkDecision("mailto:a@b.test", hosts).action, Action::OpenInSystem);
    EXPECT_EQ(kavloBrowserLinkDecision("123456789maps.test/x", hosts).action, Action::OpenInSystem);
    EXPECT_EQ(kavloBrowserLinkDecision("1234567890maps.test/x", hosts).action, Action::Load);
    EXPECT_EQ(kavloBrowserLinkDecision("http://a.test/?u=http://video.test", hosts).action, Action::Load);
    EXPECT_EQ(kavloBrowserLinkDecision("http://apps.store.test/app", hosts).action, Action::OpenInSystem);
    auto video = kavloBrowserLinkDecision("VIDEO://h/p", hosts);
    EXPECT_EQ(video.action, Action::LoadInstead);
    EXPECT_EQ(video.url, "http://h/p");
}

} // namespace
} // namespace zelvan::kavlo
