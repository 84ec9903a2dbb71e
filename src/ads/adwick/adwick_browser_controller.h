// AdwickBrowserController: the landing screen of a web click, a full-screen embedded browser with a
// navigation bar (Done, page title, a spinner while loading) and a toolbar (back, forward, stop or
// reload, and an action sheet to open the page outside or mail its link). Links the browser cannot
// or should not show itself (other schemes, map and video links, store links) go to the system.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ads/adwick/adwick_itunes_url_cleaner.h"
#include "ads/adwick/adwick_modal_view_controller.h"
#include "platform/foundation/url.h"
#include "platform/ui/action_sheet.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/web_view.h"

namespace ui {
class ActivityIndicatorView;
class NavigationBar;
class NavigationItem;
class Toolbar;
} // namespace ui

namespace zelvan::adwick {

class AdwickDelegate;

class AdwickBrowserController : public AdwickModalViewController,
                                public ui::WebViewDelegate,
                                public ui::ActionSheetDelegate,
                                public AdwickITunesURLCleanerDelegate {
public:
    static constexpr double kBarHeight = 44;
    static constexpr double kSpinnerSide = 20;
    // How long Done keeps the web view alive after closing.
    static constexpr double kWebViewHoldSeconds = 10;

    // What the link policy does with a request.
    enum class LinkDecision {
        Refuse,       // "file:" and the like: never loaded
        Allow,        // the web view loads it
        OpenInSystem, // handed to the system, not loaded here
        Clean,        // a store link: resolved by a cleaner, then handed to the system
    };

    // `context` gives the texts, the button pictures and the hosts handed to the system.
    explicit AdwickBrowserController(std::shared_ptr<AdwickContext> context)
        : AdwickModalViewController(std::move(context)) {}

    std::string className() const override { return "AdwickBrowserController"; }

    virtual void presentBrowserFromView(ui::View& view, const fnd::Url& url);

    // The browser icons the ad record fetches into the image cache.
    static const std::vector<std::string>& browserIcons();
    // The decision for `url`, first match wins (the hosts as the context configures them).
    static LinkDecision linkDecision(const fnd::Url& url, const std::vector<std::string>& mapHostPrefixes,
                                     const std::vector<std::string>& videoHosts);
    // The localizer key of the message shown for a load error of `code`.
    static std::string_view errorMessageKeyForCode(int64_t code);
    // "mailto:?subject=<title>&body=<url>", both escaped.
    static std::string mailURL(std::string_view title, std::string_view url);

    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }
    const std::shared_ptr<ui::Toolbar>& bottomToolbar() const { return bottomToolbar_; }
    const std::shared_ptr<ui::NavigationBar>& topToolbar() const { return topToolbar_; }
    const std::shared_ptr<ui::NavigationItem>& topNavItem() const { return topNavItem_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& spinner() const { return spinner_; }
    std::shared_ptr<AdwickDelegate> adwickDelegate() const { return adwickDelegate_.lock(); }
    void setAdwickDelegate(std::weak_ptr<AdwickDelegate> delegate) { adwickDelegate_ = std::move(delegate); }

    void dismissModal();
    void systemAction();
    void launchSafari();
    void mail();
    void refreshTopToolbar();
    void refreshBottomToolbar();
    std::shared_ptr<ui::BarButtonItem> barButtonItemWithImageName(const std::string& imageName,
                                                                  const std::string& disabledImageName, bool enabled,
                                                                  ui::BarButtonItem::Action action);

    void loadViewWithBounds(gfx::Rect bounds) override;

    void webViewDidStartLoad(ui::WebView& webView) override;
    void webViewDidFinishLoad(ui::WebView& webView) override;
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override;
    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override;
    void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) override;
    void cleanerDidGenerateURL(AdwickITunesURLCleaner& cleaner, const fnd::Url& url) override;

private:
    std::shared_ptr<ui::WebView> webView_;
    std::shared_ptr<ui::Toolbar> bottomToolbar_;
    std::shared_ptr<ui::NavigationBar> topToolbar_;
    std::shared_ptr<ui::NavigationItem> topNavItem_;
    std::shared_ptr<ui::ActivityIndicatorView> spinner_;
    std::shared_ptr<AdwickITunesURLCleaner> cleaner_;
    std::weak_ptr<AdwickDelegate> adwickDelegate_;
    std::shared_ptr<ui::ActionSheet> sheet_;
};

} // namespace zelvan::adwick
