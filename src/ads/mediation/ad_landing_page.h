// AdLandingPage: the full-screen page a banner opens for its click URL - a header bar with " Back " over a
// web view on grey - curled up onto the application's super view 0.2 s after it is asked for and curled
// down on Back, with a "Loading..." label and a spinner while the page loads, and a retry alert when it
// fails. One page at a time per owner; Back closes it once. The banners that open one pass their title and
// how the page behaves.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ads/mediation/itd_advertisement.h"
#include "platform/foundation/run_loop.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/label.h"
#include "platform/ui/web_view.h"

namespace zelvan::mediation {

struct LandingOptions {
    std::string title;
    // The "Loading..." label is removed when the page has loaded (false: hidden).
    bool removeLabelWhenLoaded = true;
    // The spinner starts when the page is built (and rebuilt on Retry); false: when its load starts.
    bool spinnerAtOpen = false;
    // A link holding "itunes" is also handed to the system with every "itunes" made "phobos".
    bool storeLinksToSystem = false;
};

class AdLandingPage : public ui::WebViewDelegate,
                      public ui::AlertViewDelegate,
                      public std::enable_shared_from_this<AdLandingPage> {
public:
    static constexpr int kRetryAlertTag = 100;
    static constexpr const char* kRetryMessage = "Service is unreachable.\nDo you want to try again?";

    AdLandingPage(AdChrome chrome, LandingOptions options) : chrome_(std::move(chrome)), options_(std::move(options)) {}

    // Opens the page for `url`, keeping `owner` alive until it is closed; nothing while one is open.
    void show(const std::string& url, std::shared_ptr<void> owner);
    // Closes the page (once).
    void backtoGameAction();
    // Lays the page out for the screen's orientation and the status bar.
    void objectsFramePerOrientation();

    bool webViewLoading() const { return webViewLoading_; }
    const std::shared_ptr<ui::View>& OrvaneView() const { return OrvaneView_; }
    const std::shared_ptr<ui::WebView>& OrvaneWebView() const { return OrvaneWebView_; }
    const std::shared_ptr<ui::View>& headerView() const { return headerView_; }
    const std::shared_ptr<ui::Label>& lblTitle() const { return lblTitle_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& activityIndicator() const { return activityIndicator_; }
    const std::string& savedURL() const { return savedURL_; }

    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

private:
    void animateView();
    void animateRemoveView();
    void makeWebView();
    void addLoadingLabel();
    void startSpinner();
    void endLoadingLabel();
    std::shared_ptr<ui::View> superView() const;

    AdChrome chrome_;
    LandingOptions options_;
    bool webViewLoading_ = false;
    bool goodByeOnlyOnce_ = false;
    bool pageLoaded_ = false; // the current web view finished its page
    std::string savedURL_;
    std::shared_ptr<ui::View> OrvaneView_;
    std::shared_ptr<ui::WebView> OrvaneWebView_;
    std::shared_ptr<ui::View> headerView_;
    std::shared_ptr<ui::Label> lblTitle_;
    std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;
    std::shared_ptr<void> owner_;
    std::shared_ptr<AdLandingPage> selfWhileOpen_;
    fnd::PerformHandle pending_;
};

} // namespace zelvan::mediation
