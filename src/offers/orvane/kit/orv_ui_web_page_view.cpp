// ORVUIWebPageView: loading, the completion check, the failure alert and its answers.
#include "offers/orvane/kit/orv_ui_web_page_view.h"

#include "offers/orvane/client/orv_log.h"
#include "platform/foundation/url_error.h"

namespace zelvan::orvane {

std::shared_ptr<ORVUIWebPageView> ORVUIWebPageView::init() {
    auto view = std::make_shared<ORVUIWebPageView>();
    view->ui::View::initWithFrame(gfx::Rect());
    return view;
}

std::shared_ptr<ORVUIWebPageView> ORVUIWebPageView::initWithFrame(gfx::Rect frame, const fnd::UrlRequest& request) {
    auto view = ui::View::create<ORVUIWebPageView>(frame);
    view->cWebView_->loadRequest(request);
    view->lastClickedURL_ = request;
    return view;
}

void ORVUIWebPageView::initWithFrame(gfx::Rect frame) {
    ui::View::initWithFrame(frame);
    const double width = frame.size.width;
    const double height = frame.size.height;
    cWebView_ = ui::View::create<ui::WebView>(gfx::Rect(0, 0, width, height));
    cWebView_->setDelegate(std::static_pointer_cast<ui::WebViewDelegate>(self<ORVUIWebPageView>()));

    // The timer holds the view weakly: a view its owner dropped stops ticking.
    std::weak_ptr<ORVUIWebPageView> weak = self<ORVUIWebPageView>();
    {
        std::lock_guard lock(timerLock_);
        checkPageLoadCompletionTimer_ =
            fnd::Timer::scheduled(kCheckInterval, fnd::Repeats::Yes, [weak](fnd::Timer& timer) {
                if (auto view = weak.lock()) {
                    view->checkActivityIndicator();
                } else {
                    timer.invalidate();
                }
            });
    }

    activityIndicator_ =
        ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::Gray);
    activityIndicator_->setFrame(gfx::Rect(width / 2 - 10, height / 2 - 10, 20, 20));
    addSubview(cWebView_);
    addSubview(activityIndicator_);
    activityIndicator_->startAnimating();
    alertErrorMessage_.reset();
}

ORVUIWebPageView::~ORVUIWebPageView() {
    ORVLog::logWithLevel(4, "ORVUIWebPageView Dealloc");
    delegate_.reset();
    if (cWebView_) {
        cWebView_->setDelegate({});
    }
    stopTimer();
}

bool ORVUIWebPageView::isCheckingCompletion() const {
    std::lock_guard lock(timerLock_);
    return checkPageLoadCompletionTimer_ != nullptr;
}

void ORVUIWebPageView::stopTimer() {
    std::lock_guard lock(timerLock_);
    if (checkPageLoadCompletionTimer_) {
        checkPageLoadCompletionTimer_->invalidate();
        checkPageLoadCompletionTimer_.reset();
    }
}

void ORVUIWebPageView::webViewDidStartLoad(ui::WebView& /*webView*/) {
    if (activityIndicator_) {
        activityIndicator_->startAnimating();
    }
}

void ORVUIWebPageView::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    if (activityIndicator_) {
        activityIndicator_->stopAnimating();
    }
}

void ORVUIWebPageView::checkActivityIndicator() {
    if (activityIndicator_ && activityIndicator_->isAnimating()) {
        return;
    }
    stopTimer();
    ORVLog::logWithLevel(4, "Page Load Completed");
    auto delegate = delegate_.lock();
    if (delegate && delegate->respondsToWebRequestCompleted()) {
        ORVLog::logWithLevel(4, "ORV: Custom Web Request Completed over ridden");
        delegate->orvUIWebPageViewwebRequestCompleted();
    }
}

void ORVUIWebPageView::webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) {
    if (error.domain() == fnd::kUrlErrorDomain && error.code() == fnd::UrlError::Cancelled) {
        // A newer load (or a stop) replaced this one; the page goes on with that load.
        ORVLog::logWithLevel(4, "ORV CUSTOM WEB Page View: load cancelled, no alert");
        return;
    }
    if (webView.request()) {
        lastClickedURL_ = *webView.request();
    }
    auto alert = ui::AlertView::initWithTitle("", alertErrorMessage_.value_or(kDefaultAlertMessage),
                                              std::static_pointer_cast<ui::AlertViewDelegate>(self<ORVUIWebPageView>()),
                                              std::string("Cancel"), {"Retry"});
    alert->show();
}

void ORVUIWebPageView::alertViewClickedButtonAtIndex(ui::AlertView& /*alert*/, int buttonIndex) {
    auto keep = self<ORVUIWebPageView>(); // the delegate may drop this view while it is told
    ORVLog::logWithLevel(4, "ORV CUSTOM WEB Page View Alert Click Called (Net Error Case)");
    if (buttonIndex == 1) {
        if (lastClickedURL_ && cWebView_) {
            cWebView_->loadRequest(*lastClickedURL_);
        }
        return;
    }
    if (buttonIndex != 0) {
        return;
    }
    auto delegate = delegate_.lock();
    if (!delegate) {
        return;
    }
    if (delegate->respondsToWebRequestCanceled()) {
        ORVLog::logWithLevel(4, "ORV: Custom Web Request Completed over ridden");
        delegate->orvUIWebPageViewwebRequestCanceled();
    }
    stopTimer();
}

} // namespace zelvan::orvane
