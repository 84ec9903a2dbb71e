// MediaView: the web view inside a Selvo ad view that shows an image ad with its caption, loads an
// expandable ad's home page through the site proxy, and builds the proxy's landing address. Its own
// delegate refuses the close pseudo-URL.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/ui/web_view.h"

namespace zelvan::selvo {

class SelvoContext;
class SVAdView;
class MediaView;

class MediaViewDelegate : public ui::WebViewDelegate {
public:
    MediaViewDelegate(std::shared_ptr<SelvoContext> context, std::weak_ptr<MediaView> webView)
        : context_(std::move(context)), webView_(std::move(webView)) {}
    // Refuses exactly the close pseudo-URL.
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;

private:
    std::shared_ptr<SelvoContext> context_;
    std::weak_ptr<MediaView> webView_;
};

class MediaView : public ui::WebView {
public:
    explicit MediaView(std::shared_ptr<SelvoContext> context) : context_(std::move(context)) {}
    std::string className() const override { return "MediaView"; }

    // Makes its delegate; clear, not opaque, not interactive.
    void setup();
    // Loads the picture at `imageURL` (width x height) with `text` under it, centred, and shows itself.
    void renderAnimated(const std::string& imageURL, const std::string& text, int width, int height);
    // Loads the site proxy's page for `url`.
    void home(const std::string& url);
    // The site proxy's landing address for `url`; none without a proxy.
    std::optional<fnd::Url> landing(const std::string& url) const;
    // A request for `url` with the client's headers; none (logged) when it cannot be made.
    std::optional<fnd::UrlRequest> urlRequest(const std::optional<fnd::Url>& url) const;
    // Hides itself and loads an empty page.
    void empty();
    // Forgets the ad view and its delegate.
    void cleanup();

    // The ad view this one shows inside (its text colour picks the caption's), held weakly.
    std::shared_ptr<SVAdView> adView() const { return adView_.lock(); }
    void setAdView(std::weak_ptr<SVAdView> adView) { adView_ = std::move(adView); }
    const std::shared_ptr<MediaViewDelegate>& mediaDelegate() const { return delegate_; }

    // The proxy's query value for a URL: "&", "=", "+", "#" and "?" are escaped too, so the URL's own
    // query stays inside the value and the proxy gets the URL whole.
    static std::string escapedTarget(const std::string& url);

private:
    std::shared_ptr<SelvoContext> context_;
    std::weak_ptr<SVAdView> adView_;
    std::shared_ptr<MediaViewDelegate> delegate_;
};

} // namespace zelvan::selvo
