// SVWebViewController: the in-app browser a tapped Selvo ad opens - a web view above a 45-point toolbar
// with a "Close" item, store links handed to the system, the close pseudo-URL closing the page, and an
// "Error Loading Page" alert for network and HTTP failures.
#pragma once

#include <memory>
#include <optional>

#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/web_view.h"

namespace zelvan::selvo {

class MediaView;
class SelvoContext;
class SVWebViewController;

// What the controller asks of the ad view that opened it.
class SVWebViewControllerDelegate {
public:
    virtual ~SVWebViewControllerDelegate() = default;
    virtual void dismissWebview(SVWebViewController& controller) = 0;
    virtual bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) = 0;
};

class SVWebViewController : public ui::ViewController, public ui::WebViewDelegate {
public:
    static constexpr double kToolbarHeight = 45;

    // `mediaView` (not retained) turns the URL into its site-proxy landing address first.
    static std::shared_ptr<SVWebViewController> initWithURL(std::shared_ptr<SelvoContext> context, fnd::Url url,
                                                            std::weak_ptr<SVWebViewControllerDelegate> delegate,
                                                            std::weak_ptr<MediaView> mediaView);
    explicit SVWebViewController(std::shared_ptr<SelvoContext> context);
    ~SVWebViewController() override;

    std::string className() const override { return "SVWebViewController"; }
    void loadView() override;
    // The URL's request with the client's headers; none (logged) when none can be made.
    std::optional<fnd::UrlRequest> urlRequest() const;
    // A plain item with the back arrow that sends the web view back (built, not placed).
    std::shared_ptr<ui::BarButtonItem> backButton();
    std::shared_ptr<ui::View> rotatingFooterView() const override { return toolbar_.lock(); }
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

    // --- ui::WebViewDelegate ---
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;

    // 400 to 599.
    static bool isHTMLError(int64_t code);
    // Negative codes, except a cancelled load (-999), which shows nothing.
    static bool isNetworkError(int64_t code);
    void openITunesURL(const fnd::Url& url);

    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }
    const std::optional<fnd::Url>& url() const { return url_; }
    std::shared_ptr<MediaView> mediaView() const { return mediaView_.lock(); }
    std::shared_ptr<SVWebViewControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<SVWebViewControllerDelegate> delegate) { delegate_ = std::move(delegate); }
    int toolbarStyle() const { return toolbarStyle_; }
    void setToolbarStyle(int style) { toolbarStyle_ = style; }
    std::shared_ptr<ui::Toolbar> toolbar() const { return toolbar_.lock(); }

private:
    std::shared_ptr<SelvoContext> context_;
    std::shared_ptr<ui::WebView> webView_;
    std::optional<fnd::Url> url_;
    std::weak_ptr<MediaView> mediaView_;
    std::weak_ptr<SVWebViewControllerDelegate> delegate_;
    int toolbarStyle_ = 0;
    std::weak_ptr<ui::Toolbar> toolbar_;
};

} // namespace zelvan::selvo
