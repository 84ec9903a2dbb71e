// AdFrameView: a 300 x 50 Reelbox banner. It loads an ad page (the ad tag, the sample page, a given URL
// or a bundled page) into a web view, checks through the page's own functions that it is a working ad and
// posts the outcome ("VELoadSuccessful" / "VELoadFailure", with the view as object). A touch takes the
// window over with the ad's full-screen page under a toolbar ("Return"), curled up; links inside it open
// in a landing web view. Main thread.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/run_loop.h"
#include "platform/foundation/url_request.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/view.h"
#include "platform/ui/web_view.h"

namespace zelvan::mediation {

class AdFrameView : public ui::View, public ui::WebViewDelegate {
public:
    static constexpr const char* kVELoadSuccess = "VELoadSuccessful";
    static constexpr const char* kVELoadFailure = "VELoadFailure";
    static constexpr const char* kVELaunchedAd = "VELaunchedAd";
    static constexpr const char* kVEClosedAd = "VEClosedAd";
    static constexpr const char* kNoAdError = "No ad returned";
    static constexpr const char* kSamplePath = "/ads/iphone/sample/invite.html";
    static constexpr const char* kAdVersion = "1.0.4";
    static constexpr double kTakeoverSeconds = 1.5;
    // Style rules copied into a takeover page at most (the page gives the count).
    static constexpr int kMaxStyleRules = 10000;

    // A view of `frame` with its banner web view, takeover page and toolbar made.
    static std::shared_ptr<AdFrameView> create(gfx::Rect frame);
    ~AdFrameView() override;
    std::string className() const override { return "AdFrameView"; }

    // The Reelbox servers' base (ad tag and content: the ad host + "/reelbox").
    void setServerBase(std::string base) { serverBase_ = std::move(base); }
    const std::string& serverBase() const { return serverBase_; }

    // Loads a banner: "adURL", "localAd" (a bundled .html), "publisher" / "area", "_" keys as extra path
    // parameters. Ignored while the takeover shows.
    void requestAd(const std::map<std::string, std::string>& parameters);
    const std::string& lastError() const { return lastError_; }

    // The banner's check, run when its page has loaded.
    void verifyAdLoad(ui::WebView& webView);
    // The file request of a bundled page for a link, or the link itself; nullopt when neither exists.
    std::optional<fnd::UrlRequest> generateRequest(const std::string& url) const;
    // "Return": closes the takeover.
    void onCloseEvent();
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;

    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;

    const std::shared_ptr<ui::WebView>& bannerView() const { return bannerView_; }
    const std::shared_ptr<ui::WebView>& takeoverView() const { return takeoverView_; }
    const std::shared_ptr<ui::WebView>& landingView() const { return landingView_; }
    const std::shared_ptr<ui::View>& takeoverContainer() const { return takeoverContainer_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& activityIndicator() const { return activityIndicator_; }
    bool takeoverVisible() const { return takeoverVisible_; }
    bool localAd() const { return localAd_; }

private:
    void localInit();
    void createCloseButton();
    std::string eval(ui::WebView& webView, const std::string& js);
    void processOneFileInlineStyle(ui::WebView& webView);
    void processOneFileExternalStyle(ui::WebView& webView);
    void processTwoFileExternalStyle(ui::WebView& webView);
    void processAdTag(ui::WebView& webView);
    bool processAction(const fnd::UrlRequest& request, ui::NavigationType type);
    void onAdLoadFailed();
    void setLastError(std::string text) { lastError_ = std::move(text); }
    void animationWillStart(const std::string& name);
    void animationDidStop(const std::string& name);
    void toggleStatusBar(bool hide);
    void post(const char* name);
    std::weak_ptr<ui::WebViewDelegate> asDelegate();
    std::string adTagURL(const std::map<std::string, std::string>& parameters, const std::string& rid) const;

    std::shared_ptr<ui::WebView> bannerView_, takeoverView_, landingView_;
    std::shared_ptr<ui::View> takeoverContainer_;
    std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;
    gfx::Rect savedWindowBounds_;
    bool statusBarWasHidden_ = false;
    bool localAd_ = false;
    bool takeoverVisible_ = false;
    std::string lastError_;
    std::string serverBase_;
    fnd::PerformHandle statusBarTimer_;
};

} // namespace zelvan::mediation
