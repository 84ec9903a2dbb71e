// ORVUIHtmlAdBanner: the HTML banner and where its navigations go.
#include "offers/orvane/kit/orv_ui_html_ad_banner.h"

#include "offers/orvane/client/orv_log.h"
#include "platform/ui/application.h"

namespace zelvan::orvane {

std::shared_ptr<ORVUIHtmlAdBanner> ORVUIHtmlAdBanner::init() {
    auto banner = std::make_shared<ORVUIHtmlAdBanner>();
    banner->ui::View::initWithFrame(gfx::Rect());
    banner->setBackgroundColor(gfx::Color::clear());
    return banner;
}

void ORVUIHtmlAdBanner::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    htmlAdView_ = ui::View::create<ui::WebView>(gfx::Rect(0, 0, frame.size.width, frame.size.height));
    htmlAdView_->setDelegate(std::static_pointer_cast<ui::WebViewDelegate>(self<ORVUIHtmlAdBanner>()));
    addSubview(htmlAdView_);
    setBackgroundColor(gfx::Color::clear());
}

std::shared_ptr<ORVUIHtmlAdBanner> ORVUIHtmlAdBanner::initWithFrame(gfx::Rect frame, const std::string& html) {
    auto banner = ui::View::create<ORVUIHtmlAdBanner>(frame);
    banner->htmlAdView_->loadHTMLString(html.empty() ? std::string(kEmptyPage) : html);
    banner->htmlAdView_->setBackgroundColor(gfx::Color::black());
    return banner;
}

bool ORVUIHtmlAdBanner::webViewShouldStartLoadWithRequest(ui::WebView& /*webView*/, fnd::UrlRequest& request,
                                                          ui::NavigationType type) {
    ORVLog::logWithLevel(4, "Webview load Request reeived response");
    // Only what the user chose leaves the application: the banner's own page, its frames and its
    // scripts' loads stay inside, so a house ad never opens a page unasked.
    if (type != ui::NavigationType::LinkClicked && type != ui::NavigationType::FormSubmitted) {
        return true;
    }
    const std::string& url = request.url().absoluteString();
    if (!url.empty()) {
        ui::Application::shared().openURL(url);
    }
    return false;
}

} // namespace zelvan::orvane
