// SVWebViewController: the landing page's layout, request, link policy and load-failure alert.
#include "ads/selvo/view/sv_web_view_controller.h"

#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/sv_misc.h"
#include "ads/selvo/sv_user_info.h"
#include "ads/selvo/view/media_view.h"
#include "ads/selvo/view/sv_image_factory.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url_error.h"
#include "platform/ui/application.h"
#include "platform/ui/screen.h"

namespace zelvan::selvo {

std::shared_ptr<SVWebViewController>
SVWebViewController::initWithURL(std::shared_ptr<SelvoContext> context, fnd::Url url,
                                 std::weak_ptr<SVWebViewControllerDelegate> delegate,
                                 std::weak_ptr<MediaView> mediaView) {
    auto controller = std::make_shared<SVWebViewController>(std::move(context));
    controller->url_ = std::move(url);
    controller->delegate_ = std::move(delegate);
    controller->toolbarStyle_ = 0;
    controller->mediaView_ = std::move(mediaView);
    return controller;
}

SVWebViewController::SVWebViewController(std::shared_ptr<SelvoContext> context) : context_(std::move(context)) {}

SVWebViewController::~SVWebViewController() {
    if (webView_) {
        webView_->setDelegate({});
    }
}

void SVWebViewController::loadView() {
    auto root = ui::View::create(ui::Screen::main().applicationFrame());
    root->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    root->setAutoresizesSubviews(true);
    const gfx::Rect bounds = root->bounds();
    const gfx::Rect webFrame(bounds.minX(), bounds.minY(), bounds.size.width, bounds.size.height - kToolbarHeight);
    const gfx::Rect barFrame(bounds.minX(), bounds.maxY() - kToolbarHeight, bounds.size.width, kToolbarHeight);

    webView_ = ui::View::create<ui::WebView>(webFrame);
    webView_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight |
                                  ui::AutoresizingMask::FlexibleBottomMargin);
    webView_->setDelegate(std::static_pointer_cast<SVWebViewController>(shared_from_this()));
    webView_->setDataDetectorTypes(ui::DataDetectorTypes::PhoneNumber);
    if (auto media = mediaView_.lock(); media && url_) {
        url_ = media->landing(url_->absoluteString());
    }
    if (auto request = urlRequest()) {
        webView_->loadRequest(*request);
    }
    root->addSubview(webView_);

    auto bar = ui::View::create<ui::Toolbar>(barFrame);
    bar->setBarStyle(static_cast<ui::BarStyle>(toolbarStyle_));
    bar->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleTopMargin);
    std::weak_ptr<SVWebViewController> weak = std::static_pointer_cast<SVWebViewController>(shared_from_this());
    auto close = ui::BarButtonItem::initWithTitle("Close", ui::BarButtonItemStyle::Bordered, [weak](auto&) {
        if (auto me = weak.lock()) {
            if (auto delegate = me->delegate()) {
                delegate->dismissWebview(*me);
            }
        }
    });
    // Forward and reload items are made as the page always made them, and left off the bar.
    std::weak_ptr<ui::WebView> web = webView_;
    ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Play, [web](auto&) {
        if (auto view = web.lock()) {
            view->goForward();
        }
    });
    ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::Refresh, [web](auto&) {
        if (auto view = web.lock()) {
            view->reload();
        }
    });
    bar->setItems({close, ui::BarButtonItem::initWithBarButtonSystemItem(ui::BarButtonSystemItem::FlexibleSpace)});
    root->addSubview(bar);
    toolbar_ = bar;
    setView(root);
}

std::optional<fnd::UrlRequest> SVWebViewController::urlRequest() const {
    if (!url_) {
        SVLogError(context_, "Error creating landing page url request");
        return std::nullopt;
    }
    fnd::UrlRequest request(*url_);
    SVMisc(context_.get()).addSVHeaders(request, SVUserInfoWithDeviceInfo(*context_));
    return request;
}

std::shared_ptr<ui::BarButtonItem> SVWebViewController::backButton() {
    std::weak_ptr<ui::WebView> web = webView_;
    return ui::BarButtonItem::initWithImage(SVImageFactory().backArrowImage(), ui::BarButtonItemStyle::Plain,
                                            [web](auto&) {
                                                if (auto view = web.lock()) {
                                                    view->goBack();
                                                }
                                            });
}

bool SVWebViewController::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) {
    if (auto delegate = this->delegate()) {
        return delegate->shouldAutorotateToInterfaceOrientation(orientation);
    }
    return true;
}

bool SVWebViewController::webViewShouldStartLoadWithRequest(ui::WebView& /*webView*/, fnd::UrlRequest& request,
                                                            ui::NavigationType /*type*/) {
    const SVMisc misc(context_.get());
    if (misc.isITunesURL(request.url())) {
        openITunesURL(request.url());
        return false;
    }
    if (misc.isCloseURL(request.url())) {
        auto keep = std::static_pointer_cast<SVWebViewController>(shared_from_this());
        if (auto delegate = this->delegate()) {
            delegate->dismissWebview(*this);
        }
        return false;
    }
    ui::Application::shared().setNetworkActivityIndicatorVisible(true);
    return true;
}

void SVWebViewController::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    ui::Application::shared().setNetworkActivityIndicatorVisible(false);
}

void SVWebViewController::webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) {
    ui::Application::shared().setNetworkActivityIndicatorVisible(false);
    const std::string page = webView.request() ? webView.request()->url().absoluteString() : std::string();
    SVLogError(context_, "Error loading page:%@ with error:%@", fnd::logPreview(page), error.localizedDescription());
    if (isNetworkError(error.code()) || isHTMLError(error.code())) {
        ui::AlertView::initWithTitle("Error Loading Page", error.localizedDescription(), {}, "OK")->show();
    }
}

bool SVWebViewController::isHTMLError(int64_t code) {
    return code >= 400 && code <= 599;
}

bool SVWebViewController::isNetworkError(int64_t code) {
    return code < 0 && code != fnd::UrlError::Cancelled;
}

void SVWebViewController::openITunesURL(const fnd::Url& url) {
    ui::Application::shared().openURL(url.absoluteString());
}

} // namespace zelvan::selvo
