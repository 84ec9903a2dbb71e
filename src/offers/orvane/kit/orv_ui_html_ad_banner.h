// ORVUIHtmlAdBanner: a banner whose content is a string of HTML, shown in a web view on black. Link taps
// and form submissions in it leave the application (through ui::Application::openURL) instead of
// loading in the banner; its own page, frames and script-driven loads stay inside it.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/web_view.h"

namespace zelvan::orvane {

class ORVUIHtmlAdBanner : public ui::View, public ui::WebViewDelegate {
public:
    // What the banner shows for a missing or empty HTML string.
    static constexpr const char* kEmptyPage = "<html><body></body></html>";

    // A banner without a web view, clear.
    static std::shared_ptr<ORVUIHtmlAdBanner> init();
    // A banner of `frame` showing `html` (kEmptyPage when empty) with no base URL, on black.
    static std::shared_ptr<ORVUIHtmlAdBanner> initWithFrame(gfx::Rect frame, const std::string& html);

    // The base view, then a web view filling it with the banner as its delegate; clear.
    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "ORVUIHtmlAdBanner"; }

    // A user's link tap or form submission is opened outside and refused here; every other load goes on.
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;

    const std::shared_ptr<ui::WebView>& htmlAdView() const { return htmlAdView_; }

private:
    std::shared_ptr<ui::WebView> htmlAdView_;
};

} // namespace zelvan::orvane
