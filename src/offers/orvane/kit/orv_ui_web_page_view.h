// ORVUIWebPageView: one web page with a centred activity indicator. A repeating two-second timer watches
// for the end of loading and then tells the delegate; a failed load offers Retry (the same request again)
// and Cancel. The timer holds the view weakly and stops when the view goes.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/timer.h"
#include "platform/foundation/url_request.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/web_view.h"

namespace zelvan::orvane {

// What the page view tells its delegate; both notices are optional (answer the matching respondsTo).
class ORVUIWebPageViewDelegate {
public:
    virtual ~ORVUIWebPageViewDelegate() = default;
    virtual bool respondsToWebRequestCompleted() const { return false; }
    virtual bool respondsToWebRequestCanceled() const { return false; }
    virtual void orvUIWebPageViewwebRequestCompleted() {}
    virtual void orvUIWebPageViewwebRequestCanceled() {}
};

class ORVUIWebPageView : public ui::View, public ui::WebViewDelegate, public ui::AlertViewDelegate {
public:
    static constexpr double kCheckInterval = 2.0;
    static constexpr const char* kDefaultAlertMessage = "Service is unreachable.\nDo you want to try again?";

    // A bare view: no web view and no timer.
    static std::shared_ptr<ORVUIWebPageView> init();
    // The view of `frame` loading `request` (kept for Retry).
    static std::shared_ptr<ORVUIWebPageView> initWithFrame(gfx::Rect frame, const fnd::UrlRequest& request);

    // The web view, the completion timer and the turning indicator.
    void initWithFrame(gfx::Rect frame) override;
    ~ORVUIWebPageView() override;
    std::string className() const override { return "ORVUIWebPageView"; }

    // Not retained.
    void setDelegate(std::weak_ptr<ORVUIWebPageViewDelegate> delegate) { delegate_ = std::move(delegate); }

    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    // Shows the Retry / Cancel alert (a load merely superseded by a newer one is no failure).
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;
    // 1 (Retry) loads the kept request again; 0 (Cancel) with a delegate tells it and stops the timer.
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
    // The timer's tick: once the indicator has stopped, stops the timer and tells the delegate.
    void checkActivityIndicator();

    const std::optional<std::string>& alertErrorMessage() const { return alertErrorMessage_; }
    void setAlertErrorMessage(std::optional<std::string> message) { alertErrorMessage_ = std::move(message); }
    const std::shared_ptr<ui::ActivityIndicatorView>& activityIndicator() const { return activityIndicator_; }
    void setActivityIndicator(std::shared_ptr<ui::ActivityIndicatorView> indicator) {
        activityIndicator_ = std::move(indicator);
    }
    const std::shared_ptr<ui::WebView>& cWebView() const { return cWebView_; }
    // Whether the completion timer still runs.
    bool isCheckingCompletion() const;
    const std::optional<fnd::UrlRequest>& lastClickedURL() const { return lastClickedURL_; }

private:
    // Invalidates the timer and clears it, under the timer's lock (once, whoever stops it).
    void stopTimer();

    std::shared_ptr<ui::WebView> cWebView_;
    mutable std::recursive_mutex timerLock_;
    std::shared_ptr<fnd::Timer> checkPageLoadCompletionTimer_;
    std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;
    std::optional<std::string> alertErrorMessage_;
    std::optional<fnd::UrlRequest> lastClickedURL_;
    std::weak_ptr<ORVUIWebPageViewDelegate> delegate_;
};

} // namespace zelvan::orvane
