// AdwickCanvasWebView: the web view of a full-screen canvas ad. It loads the client's canvas page, hands
// it the ad's URL and title through the page's `cb` once `adwick` is defined there (else closes), and
// serves the page's "adwick:" requests: "launch" opens a URL outside, "closecanvas" closes.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/url.h"
#include "platform/foundation/value.h"
#include "platform/ui/web_view.h"

namespace zelvan::adwick {

class AdwickCanvasWebView : public ui::WebView, public ui::WebViewDelegate {
public:
    static constexpr double kCanvasTimeoutSeconds = 600;
    static constexpr int kIndicatorTag = 1;

    std::string className() const override { return "AdwickCanvasWebView"; }
    void initWithFrame(gfx::Rect frame) override;

    // The media server the canvas page is loaded from ("": none, the canvas closes).
    void setMediaBase(std::string mediaBase) { mediaBase_ = std::move(mediaBase); }
    // Kept with "#sdk" appended.
    void setCanvasUrl(const fnd::Url& url);
    const std::optional<fnd::Url>& canvasUrl() const { return canvasUrl_; }
    const std::string& canvasTitle() const { return canvasTitle_; }
    void setCanvasTitle(std::string title) { canvasTitle_ = std::move(title); }
    // The canvas closes by calling `dismiss` while `controller` lives.
    void setController(std::weak_ptr<void> controller) { controller_ = std::move(controller); }
    void setDismissSelector(std::function<void()> dismiss) { dismissSelector_ = std::move(dismiss); }
    bool initialLoad() const { return initialLoad_; }

    void startLoadingCanvas();
    static bool webviewIsFromAdwick() { return true; }
    // "a=1&b=2" as a table; parts without "=" or starting with it are skipped, bad escapes stay literal.
    static std::shared_ptr<fnd::Dictionary> dictionaryWithQueryString(std::string_view query);

    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;

private:
    void closeCanvas();
    void removeIndicator();

    std::string mediaBase_;
    std::weak_ptr<void> controller_;
    std::function<void()> dismissSelector_;
    std::optional<fnd::Url> canvasUrl_;
    std::string canvasTitle_;
    bool initialLoad_ = true;
};

} // namespace zelvan::adwick
