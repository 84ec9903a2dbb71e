// The in-app ad browser: opening and closing with the curl transitions, the toolbar, the page's
// accelerometer protocol and the link filter that sends system links away.
#include "analytics/kavlo/kavlo_browser.h"

#include "analytics/kavlo/kavlo_context.h"
#include "analytics/kavlo/kavlo_log.h"
#include "platform/foundation/cookie_storage.h"
#include "platform/foundation/format.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/application.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/window.h"

namespace zelvan::kavlo {

namespace {

constexpr size_t kSystemLinkWindow = 10;

std::string lowercase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// Whether `needle` occurs in `text` starting at one of the first ten positions.
bool startsEarly(const std::string& text, const std::string& needle) {
    const size_t at = text.find(needle);
    return at != std::string::npos && at < kSystemLinkWindow;
}

} // namespace

KavloBrowserLinkDecision kavloBrowserLinkDecision(const std::string& urlText,
                                                  const std::vector<std::string>& systemHosts) {
    const std::string lower = lowercase(urlText);
    if (lower.rfind("video://", 0) == 0) {
        return {KavloBrowserLinkDecision::Action::LoadInstead, "http://" + urlText.substr(8)};
    }
    for (const auto& host : systemHosts) {
        if (startsEarly(urlText, host)) {
            return {KavloBrowserLinkDecision::Action::OpenInSystem, urlText};
        }
    }
    if (startsEarly(urlText, "mailto:")) {
        return {KavloBrowserLinkDecision::Action::OpenInSystem, urlText};
    }
    return {KavloBrowserLinkDecision::Action::Load, urlText};
}

std::shared_ptr<KavloBrowserView> KavloBrowserView::sharedIn(KavloContext& context) {
    std::lock_guard lock(context.classLock());
    if (!context.browserView) {
        context.browserView = create<KavloBrowserView>(gfx::Rect(0, 0, 320, 480), context.browserSystemHosts);
        fnd::CookieStorage::shared().setCookieAcceptPolicy(fnd::CookieAcceptPolicy::Always);
    }
    return context.browserView;
}

void KavloBrowserView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    shouldAccelerate_ = false;
    isVisible_ = false;

    toolbar_ = create<ui::Toolbar>(gfx::Rect());
    toolbar_->setBarStyle(ui::BarStyle::Black);
    toolbar_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleTopMargin);
    toolbar_->sizeToFit();
    const double barHeight = toolbar_->frame().size.height;
    toolbar_->setFrame(gfx::Rect(0, frame.size.height - barHeight, frame.size.width, barHeight));

    webView_ = create<ui::WebView>(gfx::Rect(0, 0, frame.size.width, frame.size.height - barHeight));
    webView_->setBackgroundColor(gfx::Color::white());
    webView_->setScalesPageToFit(true);
    webView_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    webView_->setDelegate(std::static_pointer_cast<ui::WebViewDelegate>(self<KavloBrowserView>()));

    activityIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
    activityIndicator_->setHidesWhenStopped(true);

    auto fixed = [] {
        auto item = ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::FixedSpace);
        item->setWidth(20);
        return item;
    };
    auto flexible = [] {
        return ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::FlexibleSpace);
    };
    std::weak_ptr<ui::WebView> page = webView_;
    std::weak_ptr<KavloBrowserView> weak = self<KavloBrowserView>();
    auto back = ui::BarButtonItem::initWithTitle("\u25C0", ui::BarButtonItemStyle::Plain, [page](ui::BarButtonItem&) {
        if (auto web = page.lock()) {
            web->goBack();
        }
    });
    auto forward =
        ui::BarButtonItem::initWithTitle("\u25B6", ui::BarButtonItemStyle::Plain, [page](ui::BarButtonItem&) {
            if (auto web = page.lock()) {
                web->goForward();
            }
        });
    auto stop =
        ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Stop, [weak](ui::BarButtonItem&) {
            if (auto browser = weak.lock()) {
                browser->close();
            }
        });
    toolbar_->setItems({fixed(), back, flexible(), forward, flexible(),
                        ui::BarButtonItem::initWithCustomView(activityIndicator_), flexible(), stop, fixed()});

    setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    addSubview(webView_);
    addSubview(toolbar_);
}

void KavloBrowserView::openRequest(const fnd::UrlRequest& request) {
    webView_->loadRequest(request);
    shouldAccelerate_ = false;
    if (isVisible_) {
        return;
    }
    auto& app = ui::Application::shared();
    wasStatusBarHidden_ = app.statusBarHidden();
    if (!wasStatusBarHidden_) {
        app.setStatusBarHidden(true, ui::Animated::Yes);
    }
    auto& accelerometer = device::Accelerometer::shared();
    accelerometerUpdateInterval_ = accelerometer.updateInterval();
    accelerometerDelegate_ = accelerometer.delegate();
    accelerometer.setUpdateInterval(kAccelerometerInterval);
    accelerometer.setDelegate(std::static_pointer_cast<device::AccelerometerDelegate>(self<KavloBrowserView>()));

    auto window = app.keyWindow();
    ui::View::beginAnimations("KavloBrowserOpen");
    ui::View::setAnimationDuration(kCurlSeconds);
    if (window) {
        ui::View::setAnimationTransition(ui::ViewAnimationTransition::CurlDown, *window, true);
        window->addSubview(self());
    } else {
        ZLOG_TO(kKavloLog, Info, "kavlo: no key window to show the ad browser in");
    }
    ui::View::commitAnimations();
    fnd::NotificationCenter::defaultCenter().postNotificationName(
        kKavloBrowserOpen, fnd::Value(std::static_pointer_cast<ui::View>(self())));
    isVisible_ = true;
}

void KavloBrowserView::close() {
    auto keep = self<KavloBrowserView>();
    if (auto own = window()) {
        own->makeKeyWindow();
    }
    auto& app = ui::Application::shared();
    auto window = app.keyWindow();
    ui::View::beginAnimations("KavloBrowserClose");
    ui::View::setAnimationDuration(kCurlSeconds);
    if (window) {
        ui::View::setAnimationTransition(ui::ViewAnimationTransition::CurlUp, *window, true);
    }
    if (isVisible_) {
        if (!wasStatusBarHidden_) {
            app.setStatusBarHidden(false, ui::Animated::Yes);
        }
        auto& accelerometer = device::Accelerometer::shared();
        accelerometer.setUpdateInterval(accelerometerUpdateInterval_);
        accelerometer.setDelegate(accelerometerDelegate_);
        accelerometerDelegate_.reset();
    }
    removeFromSuperview();
    ui::View::commitAnimations();
    if (auto blank = fnd::Url::parse("about:blank")) {
        webView_->loadRequest(fnd::UrlRequest(*blank));
    }
    fnd::NotificationCenter::defaultCenter().postNotificationName(kKavloBrowserClose,
                                                                  fnd::Value(std::static_pointer_cast<ui::View>(keep)));
    isVisible_ = false;
}

void KavloBrowserView::webViewDidStartLoad(ui::WebView& /*webView*/) {
    activityIndicator_->startAnimating();
}

void KavloBrowserView::webViewDidFinishLoad(ui::WebView& webView) {
    if (webView.isLoading()) {
        return;
    }
    activityIndicator_->stopAnimating();
    shouldAccelerate_ = lowercase(webView.stringByEvaluatingJavaScriptFromString("shouldAccelerate()")) == "true";
}

void KavloBrowserView::accelerometerDidAccelerate(device::Accelerometer& /*accelerometer*/,
                                                  const device::Acceleration& acceleration) {
    if (shouldAccelerate_) {
        webView_->stringByEvaluatingJavaScriptFromString(
            fnd::format("didAccelerate(%f, %f, %f)", acceleration.x, acceleration.y, acceleration.z));
    }
}

bool KavloBrowserView::webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                                         ui::NavigationType /*type*/) {
    const auto decision = kavloBrowserLinkDecision(request.url().absoluteString(), systemHosts_);
    switch (decision.action) {
    case KavloBrowserLinkDecision::Action::Load:
        return true;
    case KavloBrowserLinkDecision::Action::LoadInstead:
        if (auto url = fnd::Url::parse(decision.url)) {
            webView.loadRequest(fnd::UrlRequest(*url));
        } else {
            ZLOG_TO(kKavloLog, Info, "kavlo: the video link does not parse: %s", decision.url);
        }
        return false;
    case KavloBrowserLinkDecision::Action::OpenInSystem:
        ui::Application::shared().openURL(decision.url);
        return false;
    }
    return true;
}

} // namespace zelvan::kavlo
