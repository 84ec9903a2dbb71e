// The canvas web view on the ad host's canvas page with a real script engine: the callback with the
// escaped URL and title, the "adwick:" hosts, a page without `adwick`, and the query table.
#include <gtest/gtest.h>

#include "ads/adwick/adwick_canvas_web_view.h"
#include "ads/adwick/adwick_context.h"
#include "core/app_registry.h"
#include "platform/ui/application.h"
#include "platform/ui/backends.h"
#include "platform/ui/duktape_script_host.h"
#include "platform/ui/testing/web_view_driver.h"
#include "tests/ads/adwick/adwick_fixture.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::adwick {
namespace {

struct Canvas {
    std::shared_ptr<AdwickCanvasWebView> view = ui::View::create<AdwickCanvasWebView>(gfx::Rect(0, 0, 320, 460));
    std::shared_ptr<int> controller = std::make_shared<int>(0);
    int dismissed = 0;
    Canvas() {
        view->setMediaBase(context()->mediaBase());
        view->setController(controller);
        view->setDismissSelector([this] { ++dismissed; });
    }
    void load() {
        view->startLoadingCanvas();
        ui::testing::WebViewDriver(view).finishLoad();
    }
};

TEST(AdwickCanvasTest, CallbackWithEscapedValuesAndTheAdwickScheme) {
    fnd::testing::ScopedAppRoot root;
    testing::AdHost host;
    AppRegistry registry;
    const std::string base = host.url("");
    registry.adwick.factory = [base](zelvanAppDelegate&) {
        return std::make_shared<AdwickContext>(NetworkEndpoint(base, "/adwick"), nullptr);
    };
    ScopedAppDelegate delegate(std::move(registry));
    ui::installScriptHostFactory(ui::DuktapeScriptHost::factory());
    ui::Application::shared().clearOpenedUrls();

    Canvas canvas;
    canvas.view->setCanvasUrl(*fnd::Url::parse("http://ads.test/c?x=1"));
    canvas.view->setCanvasTitle("Zelvan's \"Chess\"</script>");
    canvas.load();
    ASSERT_TRUE(canvas.view->request());
    EXPECT_EQ(canvas.view->request()->url().absoluteString(), host.url("/adwick/static/iphone/canvas.html"));
    EXPECT_EQ(canvas.view->request()->cachePolicy(), fnd::UrlRequestCachePolicy::ReturnCacheDataElseLoad);
    EXPECT_DOUBLE_EQ(canvas.view->request()->timeoutInterval(), 600);
    EXPECT_EQ(canvas.dismissed, 0);
    EXPECT_FALSE(canvas.view->initialLoad());
    EXPECT_FALSE(canvas.view->viewWithTag(AdwickCanvasWebView::kIndicatorTag));
    EXPECT_EQ(canvas.view->stringByEvaluatingJavaScriptFromString("document.getElementById('title').textContent"),
              "Zelvan's \"Chess\"</script>");
    EXPECT_EQ(canvas.view->stringByEvaluatingJavaScriptFromString(
                  "document.getElementById('frame').getAttribute('data-url')"),
              "http://ads.test/c?x=1#sdk");

    // "launch" opens outside and the canvas stays; "closecanvas" closes it.
    ui::testing::WebViewDriver driver(canvas.view);
    driver.clickLink("adwick://launch?url=http%3A%2F%2Fx.test%2Fp%3Fq%3D1");
    driver.finishLoad();
    EXPECT_EQ(ui::Application::shared().openedUrls(), std::vector<std::string>{"http://x.test/p?q=1"});
    EXPECT_EQ(canvas.view->documentUrl()->absoluteString(), host.url("/adwick/static/iphone/canvas.html"));
    driver.clickLink("adwick://closecanvas");
    driver.finishLoad();
    EXPECT_EQ(canvas.dismissed, 1);
    ui::installScriptHostFactory(nullptr);
}

TEST(AdwickCanvasTest, PageWithoutAdwickOrWithoutAnEngineCloses) {
    fnd::testing::ScopedAppRoot root;
    testing::AdHost host;
    host.server().addNetwork("/plain", [](const devserver::DevAdsRequest&, devserver::DevAdsResponse& r) {
        r.status = 200;
        r.contentType = "text/html";
        r.body = "<html><body>no script object</body></html>";
        return true;
    });
    for (const std::string& path : {std::string("/plain"), std::string("")}) {
        AppRegistry registry;
        const std::string base = host.url(path);
        registry.adwick.factory = [base](zelvanAppDelegate&) {
            return std::make_shared<AdwickContext>(NetworkEndpoint(base, "/adwick"), nullptr);
        };
        ScopedAppDelegate delegate(std::move(registry));
        // The plain page runs in a real engine; the canvas page in the default host, which runs nothing.
        ui::installScriptHostFactory(path.empty() ? nullptr : ui::DuktapeScriptHost::factory());
        Canvas canvas;
        canvas.view->setCanvasUrl(*fnd::Url::parse("http://ads.test/c"));
        canvas.load();
        EXPECT_EQ(canvas.dismissed, 1) << path;
        EXPECT_TRUE(canvas.view->initialLoad()) << path;
    }
    ui::installScriptHostFactory(nullptr);
}

TEST(AdwickCanvasTest, QueryTable) {
    auto table = AdwickCanvasWebView::dictionaryWithQueryString("a=1&=2&b&c=&a=3&d=%zz%41&e=x=y");
    ASSERT_EQ(table->count(), 4U);
    EXPECT_EQ(table->objectForKey("a").stringValue(), "3");
    EXPECT_EQ(table->objectForKey("c").stringValue(), "");
    EXPECT_EQ(table->objectForKey("d").stringValue(), "%zzA"); // a bad escape stays literal
    EXPECT_EQ(table->objectForKey("e").stringValue(), "x=y");
}

} // namespace
} // namespace zelvan::adwick
