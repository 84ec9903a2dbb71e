// The demo's Apps tab and currency store steps, reached as a person reaches them: from the More page.
#include "tools/demo/demo_brightpoint_store_steps.h"

#include <memory>

#include "app/demo/brightpoint_demo.h"
#include "app/demo/brightpoint_store_demo.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/navigation_driver.h"
#include "platform/ui/testing/view_search.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/web_view.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

namespace {

// The web view on screen when it has finished loading the More page, else null.
std::shared_ptr<ui::WebView> morePage(const std::shared_ptr<ui::Window>& window) {
    auto webView = ui::testing::findView<ui::WebView>(window);
    if (!webView || webView->isLoading() || !webView->request()) {
        return nullptr;
    }
    return webView->request()->url().path().find("more.html") != std::string::npos ? webView : nullptr;
}

std::string alertTitle() {
    auto alert = ui::testing::AlertDriver::visibleAlert();
    return alert ? alert->title() : "";
}

} // namespace

bool runBrightpointStoreSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto window = delegate->window();
    std::shared_ptr<ui::WebView> more;
    bool ok =
        steps.waitFor("the More page again", [&] { return (more = morePage(window)) != nullptr; }) &&
        (steps.pause(0.5), true) && // the page settles before its link is tapped
        steps.act("tap the More page's offer link again", ui::testing::WebViewDriver(more).tapLinkNamed("offers")) &&
        steps.waitFor("the offer wall and its Apps tab", [] { return app::brightpointAppsTab().has_value(); }) &&
        steps.act("tap the wall's Apps tab", ui::testing::tapTab(app::brightpointWall(), *app::brightpointAppsTab())) &&
        steps.waitFor("the first page of apps and their icons", [] { return app::brightpointAppsShown(); });
    if (ok) {
        steps.pause(0.3);
        session.screens.save(*window, "16-brightpoint-apps.png");
        session.brightpointRequests.push_back(app::brightpointAppsReport());
        ok = steps.act("tap the wall's currency store tab",
                       ui::testing::tapTab(app::brightpointWall(), *app::brightpointStoreTab())) &&
             steps.waitFor("the store's packs", [] { return app::brightpointStoreShown(); });
    }
    if (ok) {
        steps.pause(0.3);
        session.screens.save(*window, "17-brightpoint-store.png");
        session.brightpointRequests.push_back(app::brightpointStoreReport());
        ok = steps.act("tap the first pack", app::brightpointBuyFirstPack()) &&
             steps.waitFor("the purchase checked by the server", [] { return alertTitle() == "Payment Successful"; });
    }
    if (ok) {
        steps.pause(0.3);
        session.screens.save(*window, "18-brightpoint-bought.png");
        session.brightpointRequests.push_back("bought: " + ui::testing::AlertDriver::visibleAlert()->message());
        ui::testing::AlertDriver::tap("OK");
    }
    app::closeBrightpointWall();
    steps.pause(0.6); // the wall's closing transition
    return ok;
}

} // namespace zelvan::demo
