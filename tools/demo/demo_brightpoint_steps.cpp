// The demo's Brightpoint offer wall step, reached the way a person reaches it: from the More page.
#include "tools/demo/demo_brightpoint_steps.h"

#include <memory>
#include <mutex>
#include <string_view>

#include "app/demo/brightpoint_demo.h"
#include "platform/foundation/log.h"
#include "platform/ui/testing/navigation_driver.h"
#include "platform/ui/testing/view_search.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/web_view.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

namespace {

constexpr std::string_view kGetLine = "Brightpoint: GET request: ";

// The requests the wall's client logs while the step runs (its requests come from several threads).
struct RequestLog {
    std::mutex mutex;
    std::vector<std::string> urls;
};

// The web view on screen when it has finished loading the More page, else null.
std::shared_ptr<ui::WebView> morePage(const std::shared_ptr<ui::Window>& window) {
    auto webView = ui::testing::findView<ui::WebView>(window);
    if (!webView || webView->isLoading() || !webView->request()) {
        return nullptr;
    }
    return webView->request()->url().path().find("more.html") != std::string::npos ? webView : nullptr;
}

} // namespace

bool runBrightpointSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto window = delegate->window();
    auto log = std::make_shared<RequestLog>();
    const fnd::LogSinkToken sink = fnd::addLogSink([log](const std::string& line) {
        const size_t at = line.find(kGetLine);
        if (at != std::string::npos) {
            std::lock_guard lock(log->mutex);
            log->urls.push_back(line.substr(at + kGetLine.size()));
        }
    });
    std::shared_ptr<ui::WebView> more;
    bool ok =
        steps.act("tap the More tab", ui::testing::tapTab(delegate->tabBarController(), zelvanAppDelegate::TabMore)) &&
        steps.waitFor("the More page", [&] { return (more = morePage(window)) != nullptr; }) &&
        (steps.pause(0.5), true) && // the page's style sheet and loading overlay settle after the page
        steps.act("tap the More page's offer link", ui::testing::WebViewDriver(more).tapLinkNamed("offers")) &&
        steps.waitFor("the offer wall and its Offers tab", [] { return app::brightpointOffersTab().has_value(); }) &&
        steps.act("tap the wall's Offers tab",
                  ui::testing::tapTab(app::brightpointWall(), *app::brightpointOffersTab())) &&
        steps.waitFor("the first page of offers and its icons", [] { return app::brightpointOffersShown(); });
    std::string shown;
    if (ok) {
        steps.pause(0.3);
        session.screens.save(*window, "15-brightpoint-offers.png");
        shown = app::brightpointOffersReport();
    }
    fnd::removeLogSink(sink);
    {
        std::lock_guard lock(log->mutex);
        for (const std::string& url : log->urls) {
            const bool config = url.find("/iphone/config?") != std::string::npos;
            session.brightpointRequests.push_back((config ? "configuration " : "page ") + url);
        }
    }
    if (!shown.empty()) {
        session.brightpointRequests.push_back(shown);
    }
    app::closeBrightpointWall();
    steps.pause(0.6); // the wall's closing transition
    return ok;
}

} // namespace zelvan::demo
