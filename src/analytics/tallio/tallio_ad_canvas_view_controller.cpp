// The canvas screen: its views, the page load, the panel of further hook ads and the store link, resolved
// with fnd::fetch, keeping the address that answered with the last redirect.
#include "analytics/tallio/tallio_ad_canvas_view_controller.h"

#include <algorithm>
#include <cstdio>

#include "analytics/tallio/tallio_ad_impression.h"
#include "analytics/tallio/tallio_ad_parser.h"
#include "analytics/tallio/tallio_context.h"
#include "analytics/tallio/tallio_log.h"
#include "platform/foundation/fetch.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/application.h"
#include "platform/ui/bar_button_item.h"
#include "platform/ui/image_view.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/navigation_item.h"
#include "platform/ui/screen.h"
#include "platform/ui/touch.h"

namespace zelvan::tallio {

namespace {

const gfx::Color kCanvasBackground(200 / 255.0, 202 / 255.0, 204 / 255.0, 1);

} // namespace

// --- The panel ---

std::optional<gfx::Point> TallioAdListView::location(const ui::TouchSet& touches) const {
    if (touches.empty() || !touches.front()) {
        return std::nullopt;
    }
    return touches.front()->locationInView(superview().get());
}

void TallioAdListView::touchesBegan(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    if (auto at = location(touches)) {
        lastLocation_ = *at;
    }
}

void TallioAdListView::touchesMoved(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    if (auto at = location(touches)) {
        dragByYDisplacement(at->y - lastLocation_.y);
        lastLocation_ = *at;
        dragInProgress_ = true;
    }
}

void TallioAdListView::touchesEnded(const ui::TouchSet& touches, const ui::Event* /*event*/) {
    if (dragInProgress_) {
        if (auto at = location(touches)) {
            dragByYDisplacement(at->y - lastLocation_.y);
        }
        dragInProgress_ = false;
    } else if (center().y == upperLocationLimit) {
        dragByYDisplacement(lowerLocationLimit - center().y);
    } else {
        dragByYDisplacement(upperLocationLimit - center().y);
    }
    setNeedsDisplay();
}

void TallioAdListView::touchesCancelled(const ui::TouchSet& /*touches*/, const ui::Event* /*event*/) {
    dragInProgress_ = false;
}

void TallioAdListView::dragByYDisplacement(double dy) {
    const gfx::Point old = center();
    double y = old.y + dy;
    if (y > lowerLocationLimit) {
        y = lowerLocationLimit;
    }
    if (y < upperLocationLimit) {
        y = upperLocationLimit;
    }
    setCenter({old.x, y});
    if (webView) {
        updateWebViewFrame(y - old.y);
    }
    setNeedsDisplay();
}

void TallioAdListView::updateWebViewFrame(double dy) {
    auto frame = webView->frame();
    frame.size.height += dy;
    webView->setFrame(frame);
}

// --- The screen ---

std::shared_ptr<TallioAdCanvasViewController> TallioAdCanvasViewController::create(TallioBannerParts parts) {
    auto vc = std::make_shared<TallioAdCanvasViewController>();
    vc->parts_ = std::move(parts);
    vc->init();
    return vc;
}

std::shared_ptr<ui::NavigationController> TallioAdCanvasViewController::openFromBanner(TallioAdView& banner) {
    auto host = banner.viewController();
    if (!host) {
        return nullptr;
    }
    auto canvas = create(banner.parts());
    canvas->setWebUrl(banner.canvasAddress());
    canvas->setAdImpression(banner.adImpression());
    canvas->setAd(banner.ad());
    auto nav = std::dynamic_pointer_cast<ui::NavigationController>(host);
    auto screen = banner.currentViewController();
    if (auto outer = std::dynamic_pointer_cast<TallioAdCanvasViewController>(screen)) {
        // A canvas opened from a canvas returns to the same host screen.
        canvas->setAppViewController(outer->appViewController());
        canvas->setIsModal(outer->isModal());
    } else {
        canvas->setAppViewController(screen);
        canvas->setIsModal(!nav);
    }
    if (nav) {
        nav->pushViewController(canvas, ui::Animated::Yes);
        return nullptr;
    }
    auto modal = ui::NavigationController::initWithRootViewController(canvas);
    host->presentModalViewController(modal, ui::Animated::Yes);
    return modal;
}

void TallioAdCanvasViewController::init() {
    name_ = description();
    setTitle("Info");
    const gfx::Rect app = ui::Screen::main().applicationFrame();
    auto root = ui::View::create(app);
    root->setBackgroundColor(kCanvasBackground);
    setView(root);

    loadingView_ = ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::Gray);
    loadingView_->setFrame({app.size.width / 2 - 15, app.size.height / 2 - 15, 30, 30});
    adjustForStatusBar(*loadingView_);
    loadingView_->setBackgroundColor(kCanvasBackground);
    loadingView_->setHidesWhenStopped(true);
    loadingView_->setAutoresizingMask(
        ui::AutoresizingMask::FlexibleLeftMargin | ui::AutoresizingMask::FlexibleRightMargin |
        ui::AutoresizingMask::FlexibleTopMargin | ui::AutoresizingMask::FlexibleBottomMargin);

    webView_ = ui::View::create<ui::WebView>(
        gfx::Rect{app.origin.x, app.origin.y - 20, app.size.width, app.size.height + 20 - 145});
    adjustForStatusBar(*webView_);
    webView_->setBackgroundColor(kCanvasBackground);
    webView_->setScalesPageToFit(false);
    webView_->setAlpha(0);
    webView_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    webView_->setDelegate(std::weak_ptr<ui::WebViewDelegate>(selfAs<TallioAdCanvasViewController>()));
    root->addSubview(webView_);
    root->addSubview(loadingView_);

    std::weak_ptr<TallioAdCanvasViewController> weak = selfAs<TallioAdCanvasViewController>();
    navigationItem()->setRightBarButtonItem(
        ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Cancel, [weak](ui::BarButtonItem&) {
            if (auto self = weak.lock()) {
                self->cancel();
            }
        }));
    navigationItem()->setBackBarButtonItem(ui::BarButtonItem::initWithTitle("Back", ui::BarButtonItemStyle::Bordered));
}

TallioAdCanvasViewController::~TallioAdCanvasViewController() {
    if (webView_) {
        webView_->setDelegate({});
        webView_->stopLoading();
    }
    if (parts_.parser) {
        parts_.parser->removeAdsOnViewControllerName(name_);
    }
}

void TallioAdCanvasViewController::adjustForStatusBar(ui::View& view) {
    if (ui::Application::shared().statusBarHidden()) {
        auto frame = view.frame();
        frame.origin.y += 20;
        view.setFrame(frame);
    }
}

void TallioAdCanvasViewController::viewWillAppear(ui::Animated /*animated*/) {
    if (webViewLoaded_) {
        return;
    }
    webViewLoaded_ = true;
    if (adImpression_) {
        adImpression_->updateWithResult(TallioAdImpression::kCanvasOpened);
    }
    auto url = fnd::Url::parse(webUrl_);
    if (!url) {
        ZLOG_TO(kTallioLog, Warn, "tallio: the canvas address is not a URL: %s", webUrl_.c_str());
        return;
    }
    webView_->loadRequest(fnd::UrlRequest(*url));
}

bool TallioAdCanvasViewController::webViewShouldStartLoadWithRequest(ui::WebView& /*webView*/, fnd::UrlRequest& request,
                                                                     ui::NavigationType /*type*/) {
    auto context = parts_.context.lock();
    const std::string store = context ? context->appStoreURL() : std::string();
    const std::string& address = request.url().absoluteString();
    if (store.empty() || address.rfind(store, 0) != 0) {
        return true;
    }
    if (adImpression_) {
        adImpression_->updateWithResult(TallioAdImpression::kAppStoreLinkFollowed);
    }
    openReferralURL(request.url());
    return false;
}

void TallioAdCanvasViewController::webViewDidStartLoad(ui::WebView& /*webView*/) {
    loadingView_->setHidden(false);
    loadingView_->startAnimating();
    ui::Application::shared().setNetworkActivityIndicatorVisible(true);
}

void TallioAdCanvasViewController::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    webView_->setAlpha(1);
    loadingView_->setHidden(true);
    loadingView_->stopAnimating();
    ui::Application::shared().setNetworkActivityIndicatorVisible(false);
    // Redirects and later loads of the page finish too; the panel and its ads are laid once.
    if (!listView_) {
        addPanel();
    }
}

void TallioAdCanvasViewController::addPanel() {
    auto panel = ui::View::create<TallioAdListView>(gfx::Rect{0, 270, 320, 269});
    panel->upperLocationLimit = ui::Application::shared().statusBarHidden() ? 302 : 282;
    panel->lowerLocationLimit = panel->upperLocationLimit + 240;
    panel->setBackgroundColor(gfx::Color::clear());
    panel->webView = webView_;
    adjustForStatusBar(*panel);

    const auto& parser = parts_.parser;
    if (parser && ad_) {
        parser->assignAd(ad_, name_);
    }
    auto header = ui::ImageView::initWithImage(parser ? parser->getImageWithCode(1) : nullptr);
    header->setHidden(false);
    header->setFrame({0, 0, 320, 29});
    panel->addSubview(header);
    auto nav = navigationController();
    for (int i = 1; i <= kPanelRows; ++i) {
        char hook[40];
        std::snprintf(hook, sizeof hook, "Tallio_Canvas_Hook_%d", i);
        auto row = TallioAdView::initWithAd<TallioAdCanvasView>(parts_, nullptr, hook, 0, 29 + 48 * (i - 1), nav, false,
                                                                std::string("portrait"));
        // The row's ad is assigned to this screen; freed with it.
        row->setViewControllerName(name_);
        if (parser) {
            row->updateWithAd(parser->adWithHook(hook, name_));
        }
        panel->addSubview(row);
        rows_.push_back(row);
    }
    listView_ = panel;
    view()->addSubview(panel);
}

void TallioAdCanvasViewController::webViewDidFailLoadWithError(ui::WebView& /*webView*/, const fnd::Error& error) {
    ZLOG_TO(kTallioLog, Info, "tallio: the canvas page did not load: %s", error.localizedDescription().c_str());
}

void TallioAdCanvasViewController::cancel() {
    if (!appViewController_) {
        return;
    }
    if (isModal_) {
        appViewController_->dismissModalViewControllerAnimated(ui::Animated::Yes);
    } else if (auto nav = navigationController()) {
        nav->popToViewController(appViewController_, ui::Animated::Yes);
    }
}

void TallioAdCanvasViewController::openReferralURL(const fnd::Url& url) {
    // Each hop keeps the address that answered with the redirect; the last one is the store's page.
    iTunesURL_.reset();
    fnd::FetchOptions options;
    options.redirects = fnd::RedirectPolicy::ask(
        [weak = weak_from_this()](const fnd::UrlRequest& next, const fnd::UrlResponse& redirect) {
            if (auto self = std::static_pointer_cast<TallioAdCanvasViewController>(weak.lock())) {
                self->iTunesURL_ = redirect.url();
            }
            return std::optional<fnd::UrlRequest>(next);
        });
    fnd::fetch(fnd::UrlRequest(url), std::move(options), weak_from_this(), [this](fnd::Result<fnd::FetchReply> reply) {
        if (!reply) {
            ZLOG_TO(kTallioLog, Info, "tallio: the store link failed: %s",
                    reply.error().localizedDescription().c_str());
            return;
        }
        if (iTunesURL_) {
            ui::Application::shared().openURL(iTunesURL_->absoluteString());
        }
    });
}

} // namespace zelvan::tallio
