// The offer wall's web pages: the direct "Pay" tab (BPDirectViewController), the "Status" tab
// (BPStatusViewController) and the page that completes an offer (BPWebViewController, with its own
// toolbar). All three send the configuration's user agent in a "User_Agent" header and hand store links
// to the system instead of loading them.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "offers/brightpoint/bp_page_services.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/web_view.h"

namespace zelvan::brightpoint {

// The shared request policy for `own`, the page's web view: adds "User_Agent" (the configuration's of
// the services' client); a request of another web view is allowed as it is; an "itms://" URL or one
// under the store's link prefix (the services' context's setting) opens in the system and is refused here.
bool BPShouldStartLoad(const BPPageServices& services, const ui::WebView* own, ui::WebView& webView,
                       fnd::UrlRequest& request);

// A tab page showing one configured web page, with a spinner while it loads.
class BPTabWebViewController : public ui::ViewController, public ui::WebViewDelegate {
public:
    // `services`: the client's configuration (the page's address, the user agent) and the link policy.
    explicit BPTabWebViewController(BPPageServices services);

    void viewDidLoad() override;
    void reload();

    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;

    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& loadingView() const { return loadingView_; }

protected:
    // The configured address of the page; nullopt when the configuration gave none.
    virtual std::optional<std::string> pageURL() const = 0;

    const BPPageServices services_;

private:
    std::shared_ptr<ui::WebView> webView_;
    std::shared_ptr<ui::ActivityIndicatorView> loadingView_;
};

// The direct "Pay" tab: the configuration's direct_url.
class BPDirectViewController : public BPTabWebViewController {
public:
    using BPTabWebViewController::BPTabWebViewController;

    std::string className() const override { return "BPDirectViewController"; }

protected:
    std::optional<std::string> pageURL() const override;
};

// The "Status" tab: the configuration's status_url.
class BPStatusViewController : public BPTabWebViewController {
public:
    using BPTabWebViewController::BPTabWebViewController;

    std::string className() const override { return "BPStatusViewController"; }

protected:
    std::optional<std::string> pageURL() const override;
};

// The page that completes an offer, titled "Complete Offer", with a back / forward / stop / refresh
// toolbar whose refresh button gives way to a spinner while a page loads.
class BPWebViewController : public ui::ViewController, public ui::WebViewDelegate {
public:
    // `services`: the user agent and the link policy of the wall.
    static std::shared_ptr<BPWebViewController> initWithURL(std::string urlString, bool zoomEnabled,
                                                            BPPageServices services);

    std::string className() const override { return "BPWebViewController"; }
    void viewDidLoad() override;

    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;

    void actionBack();
    void actionForward();
    void actionStop();
    void actionRefresh();
    void dismissSelf();

    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }
    const std::shared_ptr<ui::Toolbar>& toolbar() const { return toolbar_; }
    const std::shared_ptr<ui::BarButtonItem>& backButton() const { return backButton_; }
    const std::shared_ptr<ui::BarButtonItem>& forwardButton() const { return forwardButton_; }
    const std::shared_ptr<ui::BarButtonItem>& stopButton() const { return stopButton_; }
    const std::shared_ptr<ui::BarButtonItem>& refreshButton() const { return refreshButton_; }
    const std::shared_ptr<ui::BarButtonItem>& activityButton() const { return activityButton_; }

private:
    // back, flex, forward, flex, stop, flex, then `last`.
    void setToolbarItems(const std::shared_ptr<ui::BarButtonItem>& last);

    BPPageServices services_;
    std::string urlString_;
    bool zoomEnabled_ = false;
    std::shared_ptr<ui::WebView> webView_;
    std::shared_ptr<ui::Toolbar> toolbar_;
    std::shared_ptr<ui::BarButtonItem> flexButton_;
    std::shared_ptr<ui::BarButtonItem> backButton_;
    std::shared_ptr<ui::BarButtonItem> forwardButton_;
    std::shared_ptr<ui::BarButtonItem> stopButton_;
    std::shared_ptr<ui::BarButtonItem> refreshButton_;
    std::shared_ptr<ui::BarButtonItem> activityButton_;
};

} // namespace zelvan::brightpoint
