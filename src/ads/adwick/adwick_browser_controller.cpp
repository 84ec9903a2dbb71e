#include "ads/adwick/adwick_browser_controller.h"

#include <algorithm>

#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_delegate.h"
#include "ads/adwick/adwick_image_cache.h"
#include "ads/adwick/adwick_localizer.h"
#include "ads/adwick/adwick_log.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/url_request.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/html_document.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/toolbar.h"

namespace zelvan::adwick {

namespace {

std::string localized(const std::shared_ptr<AdwickContext>& context, std::string_view key) {
    return context ? context->localizer()->localizedStringForKey(key) : std::string(key);
}

gfx::ImagePtr cachedIcon(const std::shared_ptr<AdwickContext>& context, const std::string& name) {
    return context ? context->imageCache()->fetchImageNamed(name) : nullptr;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

} // namespace

const std::vector<std::string>& AdwickBrowserController::browserIcons() {
    static const std::vector<std::string> icons{"back", "back_disable", "forward", "forward_disable"};
    return icons;
}

AdwickBrowserController::LinkDecision
AdwickBrowserController::linkDecision(const fnd::Url& url, const std::vector<std::string>& mapHostPrefixes,
                                      const std::vector<std::string>& videoHosts) {
    const std::string& scheme = url.scheme();
    if (scheme == "file") {
        return LinkDecision::Refuse;
    }
    if (scheme == "about") {
        return LinkDecision::Allow;
    }
    if (scheme != "http" && scheme != "https") {
        return LinkDecision::OpenInSystem;
    }
    const std::string& host = url.host();
    for (const auto& prefix : mapHostPrefixes) {
        if (!prefix.empty() && startsWith(host, prefix)) {
            return LinkDecision::OpenInSystem;
        }
    }
    if (std::find(videoHosts.begin(), videoHosts.end(), host) != videoHosts.end() &&
        (startsWith(url.path(), "/watch") || startsWith(url.path(), "/v/"))) {
        return LinkDecision::OpenInSystem;
    }
    if (AdwickITunesURLCleaner::isITunesURL(url)) {
        return LinkDecision::Clean;
    }
    return LinkDecision::Allow;
}

std::string_view AdwickBrowserController::errorMessageKeyForCode(int64_t code) {
    switch (code) {
    case -1000:
    case -1002:
        return "That page is not supported.";
    case -1001:
    case -1004:
    case -1005:
    case -1008:
    case -1009:
    case -2000:
        return "Couldn't connect to that page.";
    case -1100:
    case -1101:
        return "That file can't be displayed.";
    case -1103:
        return "That page is too large to load.";
    default:
        break;
    }
    if (code <= -3000 && code >= -3005) {
        return "That file can't be displayed.";
    }
    if (code <= -1200 && code >= -1204) {
        return "That page is not secure.";
    }
    return "That page could not be loaded.";
}

std::string AdwickBrowserController::mailURL(std::string_view title, std::string_view url) {
    // Each part is escaped whole, so a title or link holding "&", "=" or "#" cannot split the mail link.
    return "mailto:?subject=" + fnd::escapeLegacyPlus(title, "&=+#?/:;@$,") +
           "&body=" + fnd::escapeLegacyPlus(url, "&=+#?/:;@$,");
}

void AdwickBrowserController::presentBrowserFromView(ui::View& view, const fnd::Url& url) {
    webView_ = ui::View::create<ui::WebView>(gfx::Rect());
    webView_->setDelegate(std::static_pointer_cast<AdwickBrowserController>(shared_from_this()));
    webView_->setScalesPageToFit(true);
    webView_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    webView_->loadRequest(fnd::UrlRequest(url));
    commandeerScreenFromAdView(view, kTransitionBackgroundExpand);
}

void AdwickBrowserController::loadViewWithBounds(gfx::Rect bounds) {
    const double w = bounds.size.width;
    const double h = bounds.size.height;
    topToolbar_ = ui::View::create<ui::NavigationBar>(gfx::Rect(0, 0, w, kBarHeight));
    topToolbar_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth);
    if (!webView_) {
        webView_ = ui::View::create<ui::WebView>(gfx::Rect());
        webView_->setDelegate(std::static_pointer_cast<AdwickBrowserController>(shared_from_this()));
    }
    webView_->setFrame(gfx::Rect(0, kBarHeight, w, std::max(0.0, h - 2 * kBarHeight)));
    bottomToolbar_ = ui::View::create<ui::Toolbar>(gfx::Rect(0, h - kBarHeight, w, kBarHeight));
    bottomToolbar_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleTopMargin |
                                        ui::AutoresizingMask::FlexibleBottomMargin);
    if (auto publisher = adwickDelegate()) {
        auto style = publisher->embeddedWebViewBarStyle();
        auto tint = publisher->embeddedWebViewTintColor();
        if (style && tint) {
            const auto barStyle = static_cast<ui::BarStyle>(std::clamp(*style, 0, 2));
            topToolbar_->setBarStyle(barStyle);
            topToolbar_->setTintColor(*tint);
            bottomToolbar_->setBarStyle(barStyle);
            bottomToolbar_->setTintColor(*tint);
        }
    }
    topNavItem_ = ui::NavigationItem::initWithTitle("");
    topToolbar_->pushNavigationItem(topNavItem_);
    refreshTopToolbar();
    refreshBottomToolbar();
    auto page = view();
    page->addSubview(bottomToolbar_);
    page->addSubview(topToolbar_);
    page->addSubview(webView_);
}

void AdwickBrowserController::refreshTopToolbar() {
    if (!topNavItem_ || !topToolbar_) {
        return;
    }
    std::weak_ptr<AdwickBrowserController> weak = std::static_pointer_cast<AdwickBrowserController>(shared_from_this());
    topNavItem_->setLeftBarButtonItem(
        ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Done, [weak](ui::BarButtonItem&) {
            if (auto self = weak.lock()) {
                self->dismissModal();
            }
        }));
    if (webView_ && webView_->isLoading()) {
        topNavItem_->setTitle("");
        if (!spinner_) {
            spinner_ = ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
            const gfx::Rect bar = topToolbar_->bounds();
            spinner_->setFrame(gfx::Rect((bar.size.width - kSpinnerSide) / 2, (bar.size.height - kSpinnerSide) / 2,
                                         kSpinnerSide, kSpinnerSide));
            spinner_->startAnimating();
            topToolbar_->addSubview(spinner_);
        }
        return;
    }
    topNavItem_->setTitle(webView_ ? webView_->document().title() : std::string());
    if (spinner_) {
        spinner_->removeFromSuperview();
        spinner_.reset();
    }
}

std::shared_ptr<ui::BarButtonItem>
AdwickBrowserController::barButtonItemWithImageName(const std::string& imageName, const std::string& disabledImageName,
                                                    bool enabled, ui::BarButtonItem::Action action) {
    auto item = ui::BarButtonItem::initWithImage(cachedIcon(adwickContext(), enabled ? imageName : disabledImageName),
                                                 ui::BarButtonItemStyle::Plain, std::move(action));
    item->setEnabled(enabled);
    return item;
}

void AdwickBrowserController::refreshBottomToolbar() {
    if (!bottomToolbar_ || !webView_) {
        return;
    }
    std::weak_ptr<ui::WebView> web = webView_;
    auto onWeb = [web](void (ui::WebView::*op)()) {
        return [web, op](ui::BarButtonItem&) {
            if (auto view = web.lock()) {
                ((*view).*op)();
            }
        };
    };
    auto space = [] { return ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::FlexibleSpace); };
    std::weak_ptr<AdwickBrowserController> weak = std::static_pointer_cast<AdwickBrowserController>(shared_from_this());
    const bool loading = webView_->isLoading();
    bottomToolbar_->setItems({
        barButtonItemWithImageName("back", "back_disable", webView_->canGoBack(), onWeb(&ui::WebView::goBack)),
        space(),
        barButtonItemWithImageName("forward", "forward_disable", webView_->canGoForward(),
                                   onWeb(&ui::WebView::goForward)),
        space(),
        loading ? ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Stop,
                                                                 onWeb(&ui::WebView::stopLoading))
                : ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Refresh,
                                                                 onWeb(&ui::WebView::reload)),
        space(),
        ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Action,
                                                       [weak](ui::BarButtonItem&) {
                                                           if (auto self = weak.lock()) {
                                                               self->systemAction();
                                                           }
                                                       }),
    });
}

void AdwickBrowserController::systemAction() {
    sheet_ = ui::ActionSheet::initWithTitle(
        "", std::static_pointer_cast<AdwickBrowserController>(shared_from_this()), localized(adwickContext(), "Cancel"),
        std::nullopt, {localized(adwickContext(), "Launch Safari"), localized(adwickContext(), "Email link")});
    if (bottomToolbar_) {
        sheet_->showFromToolbar(bottomToolbar_);
    }
}

void AdwickBrowserController::actionSheetClickedButtonAtIndex(ui::ActionSheet& /*sheet*/, int buttonIndex) {
    if (buttonIndex == 0) {
        launchSafari();
    } else if (buttonIndex == 1) {
        mail();
    }
}

void AdwickBrowserController::launchSafari() {
    if (webView_ && webView_->request()) {
        ui::Application::shared().openURL(webView_->request()->url().absoluteString());
    }
}

void AdwickBrowserController::mail() {
    if (!webView_) {
        return;
    }
    const std::string title = webView_->document().title();
    const std::string url = webView_->request() ? webView_->request()->url().absoluteString() : std::string();
    ui::Application::shared().openURL(mailURL(title, url));
}

void AdwickBrowserController::dismissModal() {
    // The web view may still be calling back into its page; it lives on a little after the screen closes.
    if (webView_) {
        std::shared_ptr<ui::WebView> held = webView_;
        fnd::RunLoop::main().performAfter(kWebViewHoldSeconds, [held]() mutable { held.reset(); });
    }
    relinquishScreen();
}

void AdwickBrowserController::webViewDidStartLoad(ui::WebView& /*webView*/) {
    refreshTopToolbar();
    refreshBottomToolbar();
}

void AdwickBrowserController::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    refreshTopToolbar();
    refreshBottomToolbar();
}

void AdwickBrowserController::webViewDidFailLoadWithError(ui::WebView& /*webView*/, const fnd::Error& error) {
    refreshTopToolbar();
    refreshBottomToolbar();
    if (error.code() == fnd::UrlError::Cancelled) {
        return;
    }
    ZLOG_TO(kAdwickLog, Info, "adwick: the embedded browser could not load a page (%lld)",
            static_cast<long long>(error.code()));
    const auto& shared = adwickContext();
    auto alert = ui::AlertView::initWithTitle(localized(shared, "Whoops"),
                                              localized(shared, errorMessageKeyForCode(error.code())),
                                              std::weak_ptr<ui::AlertViewDelegate>(), localized(shared, "Ok"));
    alert->show();
}

bool AdwickBrowserController::webViewShouldStartLoadWithRequest(ui::WebView& /*webView*/, fnd::UrlRequest& request,
                                                                ui::NavigationType /*type*/) {
    const fnd::Url& url = request.url();
    const auto& shared = adwickContext();
    static const std::vector<std::string> none;
    const auto decision =
        linkDecision(url, shared ? shared->mapHostPrefixes() : none, shared ? shared->videoHosts() : none);
    switch (decision) {
    case LinkDecision::Refuse:
        ZLOG_TO(kAdwickLog, Info, "adwick: the embedded browser refuses %@", fnd::logPreview(url.absoluteString()));
        return false;
    case LinkDecision::Allow:
        return true;
    case LinkDecision::OpenInSystem:
        // Handed over whole: the web view does not try to load it as well.
        ZLOG_TO(kAdwickLog, Info, "adwick: the embedded browser hands %@ to the system",
                fnd::logPreview(url.absoluteString()));
        ui::Application::shared().openURL(url.absoluteString());
        return false;
    case LinkDecision::Clean:
        ZLOG_TO(kAdwickLog, Info, "adwick: the embedded browser resolves the store link %@",
                fnd::logPreview(url.absoluteString()));
        if (cleaner_) {
            cleaner_->cancel();
        }
        cleaner_ = AdwickITunesURLCleaner::initWithURL(
            url, std::static_pointer_cast<AdwickBrowserController>(shared_from_this()));
        return false;
    }
    return false;
}

void AdwickBrowserController::cleanerDidGenerateURL(AdwickITunesURLCleaner& cleaner, const fnd::Url& url) {
    auto held = cleaner.shared_from_this();
    ui::Application::shared().openURL(url.absoluteString());
    if (cleaner_ == held) {
        cleaner_.reset();
    }
}

} // namespace zelvan::adwick
