// The offer kit's HTML banner (what leaves the application and what stays in it) and web page view
// (completion at the timer's tick, the failure alert, Retry and Cancel, a dropped view) under the
// manual clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "offers/orvane/kit/orv_ui_html_ad_banner.h"
#include "offers/orvane/kit/orv_ui_web_page_view.h"
#include "platform/foundation/url_error.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/web_view_driver.h"
#include "tests/offers/orvane/kit_widget_support.h"

namespace zelvan::orvane {
namespace {

using ui::testing::AlertDriver;
using ui::testing::WebViewDriver;
using widget_test::KitWidgetTest;

struct PageListener : ORVUIWebPageViewDelegate {
    int completed = 0;
    int canceled = 0;
    bool respondsToWebRequestCompleted() const override { return true; }
    bool respondsToWebRequestCanceled() const override { return true; }
    void orvUIWebPageViewwebRequestCompleted() override { ++completed; }
    void orvUIWebPageViewwebRequestCanceled() override { ++canceled; }
};

class WebWidgetsTest : public KitWidgetTest {
protected:
    void SetUp() override {
        KitWidgetTest::SetUp();
        ui::Application::shared().clearOpenedUrls();
        page_ = std::filesystem::path(::testing::TempDir()) / "orv_page_view.html";
        std::ofstream(page_) << "<html><body><p>Offer</p></body></html>";
    }
    void TearDown() override {
        while (AlertDriver::visible()) {
            AlertDriver::tap(0);
        }
        ui::Application::shared().clearOpenedUrls();
        KitWidgetTest::TearDown();
    }
    fnd::Url pageUrl() const { return *fnd::Url::parse("file://" + page_.string()); }
    fnd::UrlRequest pageRequest() const { return fnd::UrlRequest(pageUrl()); }
    // A page view of the test page in the window, loaded to its end (the clock stands still meanwhile).
    std::shared_ptr<ORVUIWebPageView> loadedPage(const std::shared_ptr<PageListener>& listener, bool failFirst) {
        auto view = ORVUIWebPageView::initWithFrame(gfx::Rect(0, 0, 320, 400), pageRequest());
        view->setDelegate(listener);
        window_->addSubview(view);
        WebViewDriver driver(view->cWebView());
        if (failFirst) {
            driver.failNextLoad(fnd::UrlError::CannotConnectToHost);
        }
        EXPECT_TRUE(driver.finishLoad());
        return view;
    }

    std::filesystem::path page_;
};

TEST_F(WebWidgetsTest, BannerOpensOnlyTheUsersLinksOutside) {
    auto empty = ORVUIHtmlAdBanner::initWithFrame(gfx::Rect(0, 0, 320, 50), "");
    WebViewDriver emptyDriver(empty->htmlAdView());
    ASSERT_TRUE(emptyDriver.finishLoad());
    EXPECT_EQ(empty->htmlAdView()->backgroundColor(), gfx::Color::black());
    EXPECT_EQ(empty->htmlAdView()->frame(), gfx::Rect(0, 0, 320, 50));
    EXPECT_EQ(empty->htmlAdView()->historyUrls().size(), 1u);
    EXPECT_EQ(empty->htmlAdView()->document().source(), ORVUIHtmlAdBanner::kEmptyPage);
    EXPECT_FALSE(ORVUIHtmlAdBanner::init()->htmlAdView());

    const std::string landing = "http://127.0.0.1:9/landing";
    auto banner = ORVUIHtmlAdBanner::initWithFrame(
        gfx::Rect(0, 0, 320, 50), "<html><body><a href=\"" + landing + "\">Play now</a><iframe src=\"" +
                                      pageUrl().absoluteString() + "\"></iframe></body></html>");
    window_->addSubview(banner);
    WebViewDriver driver(banner->htmlAdView());
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(banner->htmlAdView()->document().frames().size(), 1u);
    EXPECT_TRUE(ui::Application::shared().openedUrls().empty()); // its page and frame stay inside
    ASSERT_TRUE(driver.clickLink(0));
    ASSERT_TRUE(driver.finishLoad());
    EXPECT_EQ(ui::Application::shared().openedUrls(), std::vector<std::string>{landing});
    EXPECT_EQ(banner->htmlAdView()->historyUrls().size(), 1u); // refused in the banner
}

TEST_F(WebWidgetsTest, PageViewReportsCompletionAtTheFirstTickAfterTheLoad) {
    auto listener = std::make_shared<PageListener>();
    auto view = loadedPage(listener, false);
    EXPECT_FALSE(view->activityIndicator()->isAnimating());
    EXPECT_EQ(view->activityIndicator()->frame(), gfx::Rect(150, 190, 20, 20));
    EXPECT_EQ(listener->completed, 0);
    advance(1.9);
    EXPECT_EQ(listener->completed, 0);
    advance(0.1); // 2 s after creation
    EXPECT_EQ(listener->completed, 1);
    EXPECT_FALSE(view->isCheckingCompletion());
    advance(10);
    EXPECT_EQ(listener->completed, 1);
}

TEST_F(WebWidgetsTest, FailureAlertRetryAndCancel) {
    // Retry loads the kept request again; the timer reports once that load has finished.
    auto listener = std::make_shared<PageListener>();
    auto view = loadedPage(listener, true);
    auto alert = AlertDriver::visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "");
    EXPECT_EQ(alert->message(), "Service is unreachable.\nDo you want to try again?");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Cancel");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Retry");
    advance(4);
    EXPECT_EQ(listener->completed, 0); // still turning
    ASSERT_TRUE(AlertDriver::tap("Retry"));
    ASSERT_TRUE(WebViewDriver(view->cWebView()).finishLoad());
    EXPECT_EQ(view->cWebView()->request()->url(), pageRequest().url());
    advance(2);
    EXPECT_EQ(listener->completed, 1);

    // Cancel with a delegate tells it and stops the timer; with the message set it is shown.
    auto second = std::make_shared<PageListener>();
    auto cancelled = ORVUIWebPageView::initWithFrame(gfx::Rect(0, 0, 320, 400), pageRequest());
    cancelled->setDelegate(second);
    cancelled->setAlertErrorMessage(std::string("No offers now."));
    WebViewDriver(cancelled->cWebView()).failNextLoad(fnd::UrlError::TimedOut);
    ASSERT_TRUE(WebViewDriver(cancelled->cWebView()).finishLoad());
    ASSERT_TRUE(AlertDriver::visibleAlert());
    EXPECT_EQ(AlertDriver::visibleAlert()->message(), "No offers now.");
    ASSERT_TRUE(AlertDriver::tap("Cancel"));
    EXPECT_EQ(second->canceled, 1);
    EXPECT_FALSE(cancelled->isCheckingCompletion());

    // Without a delegate Cancel leaves the timer running; once the view is dropped nothing holds it.
    auto orphan = ORVUIWebPageView::initWithFrame(gfx::Rect(0, 0, 320, 400), pageRequest());
    WebViewDriver(orphan->cWebView()).failNextLoad(fnd::UrlError::TimedOut);
    ASSERT_TRUE(WebViewDriver(orphan->cWebView()).finishLoad());
    ASSERT_TRUE(AlertDriver::tap("Cancel"));
    advance(4);
    EXPECT_TRUE(orphan->isCheckingCompletion());
    std::weak_ptr<ORVUIWebPageView> weak = orphan;
    orphan.reset();
    EXPECT_TRUE(weak.expired());
    advance(4);

    // A load cancelled because a newer one replaced it is no failure: no alert.
    auto replaced = ORVUIWebPageView::initWithFrame(gfx::Rect(0, 0, 320, 400), pageRequest());
    replaced->webViewDidFailLoadWithError(*replaced->cWebView(),
                                          fnd::Error(std::string(fnd::kUrlErrorDomain), fnd::UrlError::Cancelled));
    EXPECT_FALSE(AlertDriver::visible());
}

} // namespace
} // namespace zelvan::orvane
