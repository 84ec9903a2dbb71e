// KavloAdView: a banner that is itself a web view. getAd sends one GET to the Kavlo ad server with the
// application, device, location, keyword and demographic values, loads the returned page into itself and
// reports to its delegate. A link touched in the ad opens the in-app browser, or, for "kavlo://" links,
// hands the rest of the link to the delegate as a custom-ad command. MMABannerXLAdView (300 x 50) and
// IABRectangleMAdView (300 x 250) fix the size. Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/observer_token.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/url_request.h"
#include "platform/foundation/url_response.h"
#include "platform/ui/web_view.h"

namespace zelvan::kavlo {

class KavloAdView;
class KavloContext;
class KavloController;

// The ad view's error domain; codes 0 (network, page or non-HTTP reply), -503 (a status other than 200 and
// 251) and, for status 251, the integer value of "X-Kavlo-Suballocation".
inline constexpr const char* kKavloAdViewErrorDomain = "KavloAdViewErrorDomain";

// Every operation optional. `keywords` and `query` answer nullopt when the delegate has no answer.
class KavloAdViewDelegate {
public:
    virtual ~KavloAdViewDelegate() = default;
    virtual void adViewDidFinishLoad(KavloAdView& /*adView*/) {}
    virtual void adViewDidFailLoad(KavloAdView& /*adView*/) {}
    virtual void adViewDidFailLoadWithError(KavloAdView& /*adView*/, const fnd::Error& /*error*/) {}
    virtual bool adViewShouldTouchThrough(KavloAdView& /*adView*/) { return true; }
    virtual void adViewDidFinishTouchThrough(KavloAdView& /*adView*/) {}
    virtual void adViewDidTouchCustomAdWithString(KavloAdView& /*adView*/, const std::string& /*text*/) {}
    virtual std::optional<std::string> keywords() { return std::nullopt; }
    virtual std::optional<std::string> query() { return std::nullopt; }
};

// The values every ad view shares, built by the first view that needs them and dropped with the last.
struct KavloAdShared {
    std::shared_ptr<KavloController> controller;
    std::string deviceId;
    std::string deviceModel;         // URL-encoded
    std::string deviceSystemVersion; // URL-encoded
    std::string locale;              // URL-encoded
    std::map<std::string, std::string> demographicKeys;
};

class KavloAdView : public ui::WebView, public ui::WebViewDelegate {
public:
    static constexpr const char* kSdkVersion = "3.1.0";

    // A view of the client over `context` (its server, its controller, the values its ad views share and
    // its in-app browser; kept weakly). Without one the view asks for no ad and opens no link.
    explicit KavloAdView(std::shared_ptr<KavloContext> context);
    ~KavloAdView() override;
    std::string className() const override { return "KavloAdView"; }

    // The initialisers: `init` is create(Rect()); initWithFrame runs initAdViewWithFrame with the frame.
    void initWithFrame(gfx::Rect frame) override;
    void initAdViewWithFrame(gfx::Rect frame);

    std::shared_ptr<KavloAdViewDelegate> adDelegate() const { return adDelegate_.lock(); }
    void setAdDelegate(std::weak_ptr<KavloAdViewDelegate> delegate) { adDelegate_ = std::move(delegate); }

    const std::string& adSize() const { return adSize_; }
    void setAdSize(std::string size) { adSize_ = std::move(size); }
    const std::string& adCode() const { return adCode_; }
    void setAdCode(std::string code) { adCode_ = std::move(code); }
    // No copy is made: the view itself.
    std::shared_ptr<KavloAdView> copyWithZone() { return self<KavloAdView>(); }
    // The ad view offers no request of its own.
    std::optional<fnd::UrlRequest> adRequest() const { return std::nullopt; }

    double refreshTime() const { return refreshTime_; }
    // Replaces the timer; above 0 asks for an ad at once and then every `seconds`.
    void setRefreshTime(double seconds);

    // The ad query for the current values ("" without an ad server).
    std::string adQueryURL();
    void getAd();
    void cancelAd();

    // Opens `request` in the in-app browser unless the delegate vetoes it.
    void openURLRequest(const fnd::UrlRequest& request);
    void browserViewClosed(const fnd::Notification& notification);

    // The shared values this view holds, and how many views hold them.
    const std::shared_ptr<KavloAdShared>& shared() const { return shared_; }
    static long adViewCount();

    // Web view delegate.
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;

    // The events of the current request's reply (handed on by the request).
    void connectionDidReceiveResponse(const fnd::UrlResponse& response);
    void connectionDidReceiveData(const fnd::Bytes& data);
    void connectionDidFinishLoading();
    void connectionDidFailWithError(const fnd::Error& error);

private:
    class Connection;
    // Tells the delegate, with `underlying` (when given) under the error's underlying-error key.
    void fail(int64_t code, const fnd::Error* underlying = nullptr);
    void dropConnection();

    std::weak_ptr<KavloContext> context_;
    std::weak_ptr<KavloAdViewDelegate> adDelegate_;
    double refreshTime_ = 0;
    std::string adCode_;
    std::string adSize_;
    std::shared_ptr<fnd::Timer> adTimer_;
    std::shared_ptr<Connection> connection_;
    fnd::Bytes data_;
    std::optional<fnd::UrlResponse> response_;
    std::shared_ptr<KavloAdShared> shared_;
    fnd::ObserverToken browserClosed_;
    bool counted_ = false;
};

// 300 x 50, ad size "300x50".
class MMABannerXLAdView : public KavloAdView {
public:
    using KavloAdView::KavloAdView;
    static std::shared_ptr<MMABannerXLAdView> make(std::shared_ptr<KavloContext> context) {
        return create<MMABannerXLAdView>(gfx::Rect(), std::move(context));
    }
    std::string className() const override { return "MMABannerXLAdView"; }
    void initWithFrame(gfx::Rect frame) override;
};

// 300 x 250, ad size "300x250".
class IABRectangleMAdView : public KavloAdView {
public:
    using KavloAdView::KavloAdView;
    static std::shared_ptr<IABRectangleMAdView> make(std::shared_ptr<KavloContext> context) {
        return create<IABRectangleMAdView>(gfx::Rect(), std::move(context));
    }
    std::string className() const override { return "IABRectangleMAdView"; }
    void initWithFrame(gfx::Rect frame) override;
};

// The link a touch in an ad leads to: the text after "kavlo://" (any case) of the decoded URL text, or
// nullopt when the link is not a custom-ad command.
std::optional<std::string> kavloCustomAdCommand(const std::string& urlText);

} // namespace zelvan::kavlo
