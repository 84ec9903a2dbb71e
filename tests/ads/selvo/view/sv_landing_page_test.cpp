// The landing page a tapped Selvo ad opens, loaded from the ad host (store links, the close link, load
// failures and their alert), and the media view's site-proxy requests and page.
#include <gtest/gtest.h>

#include "ads/selvo/view/media_view.h"
#include "ads/selvo/view/sv_web_view_controller.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/url_error.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/window.h"
#include "tests/ads/selvo/view/selvo_view_fixture.h"

namespace zelvan::selvo {
namespace {

class SVLandingPageTest : public testing::SelvoViewFixture {};

TEST_F(SVLandingPageTest, LandingPageFollowsItsLinkRules) {
    auto window = ui::View::create<ui::Window>(gfx::Rect(0, 0, 320, 480));
    window->makeKeyAndVisible();
    auto banner = view(1, "pub");
    banner->displayNewAd();
    ASSERT_TRUE(pump([&] { return delegate_->didDisplay == 1; }));
    banner->touchesEnded({}, nullptr);
    auto landing = delegate_->landing;
    ASSERT_TRUE(landing);
    window->addSubview(landing->view());
    ui::testing::WebViewDriver driver(landing->webView());
    ASSERT_TRUE(driver.finishLoad(30));
    ASSERT_TRUE(pump([&] { return requestsTo("/selvo/landing.html") == 1; })); // recorded once answered
    const auto page = landing->webView()->documentUrl();
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->absoluteString().find("/selvo/landing.html?ad=s") != std::string::npos);
    EXPECT_TRUE(page->absoluteString().ends_with("&quid=dev-1"));
    const auto asked = lastRequestTo("/selvo/landing.html");
    EXPECT_EQ(asked.header("x-udid"), "dev-1");
    EXPECT_EQ(landing->toolbar()->frame(), gfx::Rect(0, 480 - 20 - 45, 320, 45));
    ASSERT_EQ(landing->toolbar()->items().size(), 2U);
    EXPECT_EQ(landing->toolbar()->items()[0]->title(), "Close");
    EXPECT_EQ(landing->rotatingFooterView(), landing->toolbar());

    // A store link goes to the system and the page stays.
    ui::Application::shared().clearOpenedUrls();
    ASSERT_TRUE(driver.clickLink("http://store.test/app/42"));
    ASSERT_TRUE(driver.finishLoad(30));
    EXPECT_EQ(ui::Application::shared().openedUrls(), std::vector<std::string>{"http://store.test/app/42"});
    EXPECT_EQ(landing->webView()->documentUrl(), page);

    // Failures: HTTP and network codes alert, a cancelled load and other codes only log.
    fnd::testing::LogCapture log;
    for (const auto& [code, alerts] : {std::pair{int64_t{404}, true}, std::pair{int64_t{302}, false},
                                       std::pair{fnd::UrlError::Cancelled, false}, std::pair{int64_t{-1004}, true}}) {
        driver.failNextLoad(code);
        ASSERT_TRUE(driver.clickLink("/selvo/missing.html"));
        ASSERT_TRUE(driver.finishLoad(30));
        auto alert = ui::testing::AlertDriver::visibleAlert();
        EXPECT_EQ(alert != nullptr, alerts) << code;
        if (alert) {
            EXPECT_EQ(alert->title(), "Error Loading Page");
            EXPECT_TRUE(ui::testing::AlertDriver::tap("OK"));
        }
    }
    EXPECT_EQ(log.count("Error loading page:"), 4U);

    // The close link closes the page.
    ASSERT_TRUE(driver.clickLink("http://close.selvo.test/"));
    ASSERT_TRUE(driver.finishLoad(30));
    EXPECT_EQ(delegate_->dismissed, 1);
    EXPECT_FALSE(banner->openWebview());
}

TEST_F(SVLandingPageTest, MediaViewSendsTheWholeAdURLToTheProxy) {
    auto media = ui::View::create<MediaView>(gfx::Rect(0, 0, 320, 50), context_);
    media->setup();
    const std::string target = "http://ads.test/x?a=1&b=2+3#top";
    media->home(target);
    ui::testing::WebViewDriver driver(media);
    ASSERT_TRUE(driver.finishLoad(30));
    ASSERT_TRUE(pump([&] { return requestsTo("/selvo/siteserver/") == 1; })); // recorded once answered
    const auto asked = lastRequestTo("/selvo/siteserver/sdkproxy.jsp");
    EXPECT_EQ(asked.param("u"), target);
    EXPECT_EQ(asked.query.count("a"), 0U);
    EXPECT_EQ(asked.header("x-udid"), "dev-1");

    const auto landing = media->landing(target);
    ASSERT_TRUE(landing);
    EXPECT_EQ(landing->absoluteString(), server_.baseURL() +
                                             "/selvo/siteserver/sdkproxy.jsp?t=landing&u=http://ads.test/"
                                             "x%3Fa%3D1%26b%3D2%2B3%23top");

    // The close pseudo-URL never loads; other pages do.
    fnd::UrlRequest close(*fnd::Url::parse("http://close.selvo.test/"));
    fnd::UrlRequest other(*fnd::Url::parse("http://ads.test/"));
    EXPECT_FALSE(media->mediaDelegate()->webViewShouldStartLoadWithRequest(*media, close, ui::NavigationType::Other));
    EXPECT_TRUE(media->mediaDelegate()->webViewShouldStartLoadWithRequest(*media, other, ui::NavigationType::Other));

    // The caption and picture address are markup-escaped into the page.
    media->renderAnimated("http://img.test/a.png?x=1&y='2'", "<b>Win</b> & more", 300, 40);
    ASSERT_TRUE(driver.finishLoad(30));
    EXPECT_FALSE(media->isHidden());
    const std::string& source = media->document().source();
    EXPECT_NE(source.find("<p>&lt;b&gt;Win&lt;/b&gt; &amp; more</p>"), std::string::npos) << source;
    EXPECT_NE(source.find("src='http://img.test/a.png?x=1&amp;y=&#39;2&#39;'/>"), std::string::npos) << source;
    EXPECT_NE(source.find("width='300' height='40'"), std::string::npos);
    EXPECT_NE(source.find("color:black;"), std::string::npos);
    media->empty();
    EXPECT_TRUE(media->isHidden());
    media->cleanup();
    EXPECT_EQ(media->mediaDelegate(), nullptr);
}

} // namespace
} // namespace zelvan::selvo
