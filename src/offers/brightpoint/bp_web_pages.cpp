// The offer wall's web pages and their shared request policy.
#include "offers/brightpoint/bp_web_pages.h"

#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/brightpoint.h"
#include "offers/brightpoint/brightpoint_context.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/ui/application.h"
#include "platform/ui/navigation_item.h"

namespace zelvan::brightpoint {

namespace {

void loadPage(ui::WebView& webView, const std::string& url) {
    auto parsed = fnd::Url::parse(url);
    if (!parsed) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: the page address is not a URL: %s", url);
        return;
    }
    webView.loadRequest(fnd::UrlRequest(*parsed));
}

std::string currentURL(const ui::WebView& webView) {
    return webView.request() ? webView.request()->url().absoluteString() : std::string();
}

} // namespace

bool BPShouldStartLoad(const BPPageServices& services, const ui::WebView* own, ui::WebView& webView,
                       fnd::UrlRequest& request) {
    auto client = services.client.lock();
    request.setValue(client ? client->configuration().userAgent.value_or("") : "", "User_Agent");
    if (&webView != own) {
        return true;
    }
    const std::string& url = request.url().absoluteString();
    auto ctx = services.context.lock();
    const std::string prefix = ctx ? ctx->storeLinkPrefix() : std::string();
    if (url.starts_with("itms://") || (!prefix.empty() && url.starts_with(prefix))) {
        ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Opening URL: %s", url);
        ui::Application::shared().openURL(url);
        return false;
    }
    return true;
}

BPTabWebViewController::BPTabWebViewController(BPPageServices services) : services_(std::move(services)) {}

void BPTabWebViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    gfx::Rect frame = view()->bounds();
    frame.size.height -= 93;
    webView_ = ui::View::create<ui::WebView>(frame);
    webView_->setDelegate(std::static_pointer_cast<BPTabWebViewController>(shared_from_this()));
    webView_->setScalesPageToFit(true);
    webView_->setBackgroundColor(gfx::Color(0, 0, 0, 1));
    setView(webView_);
    loadingView_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::WhiteLarge);
    loadingView_->setHidesWhenStopped(true);
    loadingView_->setCenter(gfx::Point(frame.width() / 2, frame.height() / 2));
    webView_->addSubview(loadingView_);
    if (auto url = pageURL()) {
        loadPage(*webView_, *url);
    } else {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: the configuration names no page for the %s tab", title());
    }
}

void BPTabWebViewController::reload() {
    if (webView_) {
        webView_->reload();
    }
}

bool BPTabWebViewController::webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                                               ui::NavigationType) {
    return BPShouldStartLoad(services_, webView_.get(), webView, request);
}

void BPTabWebViewController::webViewDidStartLoad(ui::WebView&) {
    loadingView_->startAnimating();
}

void BPTabWebViewController::webViewDidFinishLoad(ui::WebView& webView) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Loaded %s", currentURL(webView));
    loadingView_->stopAnimating();
}

std::optional<std::string> BPDirectViewController::pageURL() const {
    auto client = services_.client.lock();
    return client ? client->configuration().directURL : std::nullopt;
}

std::optional<std::string> BPStatusViewController::pageURL() const {
    auto client = services_.client.lock();
    return client ? client->configuration().statusURL : std::nullopt;
}

std::shared_ptr<BPWebViewController> BPWebViewController::initWithURL(std::string urlString, bool zoomEnabled,
                                                                      BPPageServices services) {
    auto vc = std::make_shared<BPWebViewController>();
    vc->services_ = std::move(services);
    vc->urlString_ = std::move(urlString);
    vc->zoomEnabled_ = zoomEnabled;
    return vc;
}

void BPWebViewController::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    std::weak_ptr<BPWebViewController> weak = std::static_pointer_cast<BPWebViewController>(shared_from_this());
    auto act = [weak](void (BPWebViewController::*fn)()) {
        return [weak, fn](ui::BarButtonItem&) {
            if (auto self = weak.lock()) {
                ((*self).*fn)();
            }
        };
    };
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::initWithTitle("Close", ui::BarButtonItemStyle::Plain,
                                                                            act(&BPWebViewController::dismissSelf)));
    setTitle("Complete Offer");

    const gfx::Rect bounds = view()->bounds();
    toolbar_ = ui::View::create<ui::Toolbar>(gfx::Rect(0, bounds.height() - 44 - 45, bounds.width(), 45));
    toolbar_->setBarStyle(ui::BarStyle::Black);
    view()->addSubview(toolbar_);

    flexButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::FlexibleSpace);
    backButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Rewind,
                                                                 act(&BPWebViewController::actionBack));
    forwardButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::FastForward,
                                                                    act(&BPWebViewController::actionForward));
    stopButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Stop,
                                                                 act(&BPWebViewController::actionStop));
    refreshButton_ = ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Refresh,
                                                                    act(&BPWebViewController::actionRefresh));
    for (const auto& item : {backButton_, forwardButton_, stopButton_, refreshButton_}) {
        item->setStyle(ui::BarButtonItemStyle::Plain);
    }
    auto spinner = ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
    spinner->setFrame(gfx::Rect(0, 0, 19, 19));
    spinner->startAnimating();
    activityButton_ = ui::BarButtonItem::initWithCustomView(spinner);
    setToolbarItems(refreshButton_);

    webView_ = ui::View::create<ui::WebView>(gfx::Rect(0, 0, bounds.width(), bounds.height() - 44 - 45));
    webView_->setDelegate(std::static_pointer_cast<BPWebViewController>(shared_from_this()));
    webView_->setScalesPageToFit(!zoomEnabled_);
    view()->addSubview(webView_);
    loadPage(*webView_, urlString_);
}

void BPWebViewController::setToolbarItems(const std::shared_ptr<ui::BarButtonItem>& last) {
    toolbar_->setItems({backButton_, flexButton_, forwardButton_, flexButton_, stopButton_, flexButton_, last});
}

bool BPWebViewController::webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                                            ui::NavigationType) {
    return BPShouldStartLoad(services_, webView_.get(), webView, request);
}

void BPWebViewController::webViewDidStartLoad(ui::WebView& webView) {
    setToolbarItems(activityButton_);
    stopButton_->setEnabled(true);
    refreshButton_->setEnabled(false);
    backButton_->setEnabled(webView.canGoBack());
    forwardButton_->setEnabled(webView.canGoForward());
}

void BPWebViewController::webViewDidFinishLoad(ui::WebView& webView) {
    ZLOG_TO(kBrightpointLog, Info, "Brightpoint: Loaded %s", currentURL(webView));
    setToolbarItems(refreshButton_);
    stopButton_->setEnabled(false);
    refreshButton_->setEnabled(true);
    backButton_->setEnabled(webView.canGoBack());
    forwardButton_->setEnabled(webView.canGoForward());
}

void BPWebViewController::webViewDidFailLoadWithError(ui::WebView&, const fnd::Error&) {
    setToolbarItems(refreshButton_);
    stopButton_->setEnabled(false);
    refreshButton_->setEnabled(true);
}

void BPWebViewController::actionBack() {
    webView_->goBack();
}
void BPWebViewController::actionForward() {
    webView_->goForward();
}
void BPWebViewController::actionStop() {
    webView_->stopLoading();
}
void BPWebViewController::actionRefresh() {
    webView_->reload();
}
void BPWebViewController::dismissSelf() {
    dismissModalViewControllerAnimated(ui::Animated::Yes);
}

} // namespace zelvan::brightpoint
