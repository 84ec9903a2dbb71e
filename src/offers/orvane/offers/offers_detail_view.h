// OffersDetailView: the page the offer wall opens for one tapped offer - name, description, reward,
// instructions and what the user earns, with "Complete Offer" (the offer's page inside the SDK; once it
// has loaded the click is reported to the offer service), "Open in Safari" and "Email Link", and a header
// whose " Back " closes the page. Main thread.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "offers/orvane/client/orv_records.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/url.h"
#include "platform/graphics/font.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/web_view.h"

namespace zelvan::orvane {

class ORVUINavigationBarView;
class ORVGenericButtons;
class PanelLabel;

inline constexpr const char* kORVRemoveOffersView = "ORV_REMOVE_OFFERS_VIEW";
inline constexpr const char* kORVRemoveVirtualGoodsView = "ORV_REMOVE_VIRTUAL_GOODS_VIEW";
inline constexpr const char* kORVThumbImageReceived = "ORV Thumb Image Recieved";
inline constexpr const char* kORVShowOffersDetailBeacon = "ORV Show Offers Detail";
inline constexpr const char* kORVShowOffersTabBeacon = "ORV Show Offers Tab";

class OffersDetailView : public ui::View, public ui::WebViewDelegate, public ui::AlertViewDelegate {
public:
    static constexpr double kLoadWatchInterval = 2.0;
    static constexpr double kSlideInSeconds = 0.8;
    static constexpr double kCloseSeconds = 0.5;
    static constexpr double kStoreReturnDelay = 1.0;
    static constexpr int kWebPageTag = 22;
    static constexpr const char* kFailureMessage = "Service is unreachable.\nDo you want to try again?";

    // ui::View::create<OffersDetailView>(frame): white, opaque black detail texts, no remembered request.
    void initWithFrame(gfx::Rect frame) override;
    ~OffersDetailView() override;
    std::string className() const override { return "OffersDetailView"; }

    // 0: the ordinary offer wall; 1: the wall the store opened for one item. Sent before fillView.
    void setOffersViewMode(int mode) { offersViewMode_ = mode; }
    int offersViewMode() const { return offersViewMode_; }
    // Keeps the offer (the page's own reference) and builds the page.
    void fillView(std::shared_ptr<const ORVOfferReturnClass> offer);

    void forCompleteButtonAction();
    void forSafariButtonAction();
    void forEmailButtonAction();
    void backtoGameAction();
    void removeView();
    void backAction();
    void animateMidToLeft();
    void removeProgressView() { animateMidToLeft(); }
    void removeOffersView();
    void addingMyWebView();
    void animateRightToMid();
    void addingProgressIndicator();
    // The load watch: once the spinner has stopped, stops itself and reports the click.
    void checkActivityIndicator();
    void removingSubviews();

    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    // Offline, time-out, unknown or unreachable host and a lost connection offer Retry; other errors
    // (a cancelled load among them) are ignored.
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;
    // 1 (Retry) closes the web page and opens it again on the action URL; 0 (Cancel) closes it.
    void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

    // The earn line: "Earn your <amount> <currency> <time>" (no amount in mode 1), or
    // "Earn your <item> <time>" while the wall was opened for an item.
    std::string earnLine() const;
    // The "mailto:" URL of "Email Link".
    std::string mailURL() const;

    const std::shared_ptr<const ORVOfferReturnClass>& offersData() const { return offersData_; }
    const std::shared_ptr<ORVUINavigationBarView>& headerView() const { return headerView_; }
    const std::shared_ptr<ORVUINavigationBarView>& URLheaderView() const { return URLheaderView_; }
    const std::shared_ptr<ui::WebView>& myWebView() const { return myWebView_; }
    const std::shared_ptr<ui::View>& webPageView() const { return webPageView_; }
    const std::shared_ptr<ui::View>& blackBackGroundView() const { return blackBackGroundView_; }
    const std::shared_ptr<ui::View>& transparentView() const { return transparentView_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& progressIndicatorForWeb() const {
        return progressIndicatorForWeb_;
    }
    const std::shared_ptr<ui::ScrollView>& contentScrollView() const { return contentScrollView_; }
    const std::optional<fnd::Url>& lastRequest() const { return lastRequest_; }
    uint32_t detailTextColor() const { return detailTextColor_; }
    bool isWatchingLoad() const;
    // The page's rows, for those who look at it.
    struct Rows {
        std::shared_ptr<PanelLabel> title, description, amount, currency, instructions, earn;
        std::shared_ptr<ORVGenericButtons> complete, safari, email;
    };
    const Rows& rows() const { return rows_; }

private:
    void stopLoadWatch();
    void closeWebPage();
    void endBeacon(const char* name);
    std::shared_ptr<PanelLabel> addTextRow(const std::string& text, const std::shared_ptr<gfx::Font>& font,
                                           const gfx::Color& color, int& n, bool title);
    gfx::Color detailColor() const;
    std::shared_ptr<ORVGenericButtons> addButton(const std::string& title, gfx::Rect frame, double fontSize,
                                                 void (OffersDetailView::*action)());

    std::shared_ptr<const ORVOfferReturnClass> offersData_;
    std::shared_ptr<ORVUINavigationBarView> headerView_;
    std::shared_ptr<ui::WebView> myWebView_;
    std::shared_ptr<ORVUINavigationBarView> URLheaderView_;
    std::shared_ptr<ui::View> webPageView_;
    mutable std::recursive_mutex timerLock_;
    std::shared_ptr<fnd::Timer> checkWebViewProgress_;
    std::shared_ptr<ui::View> blackBackGroundView_;
    std::shared_ptr<ui::View> transparentView_;
    std::string urlName_;
    std::shared_ptr<ui::ActivityIndicatorView> progressIndicatorForWeb_;
    uint32_t detailTextColor_ = 255;
    int offersViewMode_ = 0;
    std::shared_ptr<ui::ScrollView> contentScrollView_;
    std::shared_ptr<ui::View> content_;
    std::optional<fnd::Url> lastRequest_;
    Rows rows_;
};

} // namespace zelvan::orvane
