// The page controllers' web view: page loads through the web cache, the bridge binding and the
// interception of zelvan:// navigations.
#include "web/zelvan_web_view.h"

#include "core/main_thread.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_error.h"
#include "protocol/tracer.h"
#include "web/web_context.h"
#include "web/zelvan_action.h"
#include "web/zelvan_url_connection.h"
#include "web/zelvan_web_cache.h"

namespace zelvan {

// The view's own ui::WebViewDelegate: takes zelvan:// navigations out of the load path and passes
// everything else on to the ZelvanWebViewDelegate.
class ZelvanWebView::Interceptor : public ui::WebViewDelegate {
public:
    explicit Interceptor(ZelvanWebView* owner) : owner_(owner) {}

    bool webViewShouldStartLoadWithRequest(ui::WebView& webView, fnd::UrlRequest& request,
                                           ui::NavigationType type) override {
        const std::string& url = request.url().absoluteString();
        auto delegate = owner_->zelvanDelegate();
        if (isZelvanUrl(url)) {
            if (delegate) {
                delegate->webViewZelvanUrl(*owner_, url);
            } else {
                ZTRACE_WARN("ZelvanWebView: no delegate for %@", fnd::logPreview(url));
            }
            return false;
        }
        const bool allowed = delegate ? delegate->webViewShouldStartLoadWithRequest(webView, request, type) : true;
        // The page's style sheets and images go to the web host with the page request's fields.
        if (allowed && request.url().isHttpUrl()) {
            if (auto cache = owner_->webCache()) {
                if (auto key = cache->sessionKeyFor(url)) {
                    request.setValue(*key, ZelvanWebCache::kSessionHeader);
                }
            }
        }
        return allowed;
    }
    void webViewDidStartLoad(ui::WebView& webView) override {
        if (auto delegate = owner_->zelvanDelegate()) {
            delegate->webViewDidStartLoad(webView);
        }
    }
    void webViewDidFinishLoad(ui::WebView& webView) override {
        if (auto delegate = owner_->zelvanDelegate()) {
            delegate->webViewDidFinishLoad(webView);
        }
    }
    void webViewDidFailLoadWithError(ui::WebView& webView, const fnd::Error& error) override {
        if (auto delegate = owner_->zelvanDelegate()) {
            delegate->webViewDidFailLoadWithError(webView, error);
        }
    }

private:
    ZelvanWebView* owner_; // the view owns the interceptor
};

// Hears the outcome of one page fetch on the network thread and carries it to the main thread.
class ZelvanWebView::PageFetch : public ZelvanURLConnectionDelegate,
                                 public std::enable_shared_from_this<ZelvanWebView::PageFetch> {
public:
    PageFetch(std::weak_ptr<ZelvanWebView> view, std::string url) : view_(std::move(view)), url_(std::move(url)) {}

    const std::string& url() const { return url_; }

    void connectionDidFinish(const std::shared_ptr<ZelvanURLConnection>& connection) override {
        auto request = connection->zelvanRequest();
        auto body = request ? request->data() : nullptr;
        deliver(body, body ? 0 : fnd::UrlError::Unknown);
    }
    void connectionDidFail(const std::shared_ptr<ZelvanURLConnection>& connection) override {
        auto request = connection->zelvanRequest();
        deliver(nullptr, request ? request->errorCode() : fnd::UrlError::Unknown);
    }

private:
    void deliver(std::shared_ptr<const fnd::Bytes> body, int64_t errorCode) {
        onMain([self = shared_from_this(), body = std::move(body), errorCode] {
            if (auto view = self->view_.lock()) {
                view->fetchEnded(*self, body, errorCode);
            }
        });
    }

    const std::weak_ptr<ZelvanWebView> view_;
    const std::string url_;
};

std::shared_ptr<ZelvanWebView> ZelvanWebView::create(gfx::Rect frame) {
    return View::create<ZelvanWebView>(frame);
}

ZelvanWebView::~ZelvanWebView() {
    dropPendingFetch();
}

void ZelvanWebView::initWithFrame(gfx::Rect frame) {
    WebView::initWithFrame(frame);
    interceptor_ = std::make_shared<Interceptor>(this);
    setDelegate(interceptor_);
}

std::shared_ptr<ZelvanWebCache> ZelvanWebView::webCache() const {
    if (webCache_) {
        return webCache_;
    }
    const auto app = web::context();
    return app ? std::dynamic_pointer_cast<ZelvanWebCache>(app->zelvanWebCache()) : nullptr;
}

void ZelvanWebView::setScriptObject(std::shared_ptr<ui::ScriptObject> object) {
    scriptObject_ = object;
    bindObject(kScriptObjectName, std::move(object));
}

std::string ZelvanWebView::pageUrl() const {
    if (pendingFetch_) {
        return pendingFetch_->url();
    }
    if (request()) {
        return request()->url().absoluteString();
    }
    return pageUrl_;
}

bool ZelvanWebView::loadPage(const std::string& url) {
    auto parsed = fnd::Url::parse(url);
    if (!parsed || parsed->scheme().empty()) {
        ZTRACE_WARN("ZelvanWebView: cannot load \"%@\"", fnd::logPreview(url));
        return false;
    }
    dropPendingFetch();
    pageUrl_ = url;
    auto cache = webCache();
    if (!cache || (!parsed->isHttpUrl() && parsed->scheme() != "zelvan-game")) {
        loadRequest(fnd::UrlRequest(*parsed));
        return true;
    }
    auto fetch = std::make_shared<PageFetch>(self<ZelvanWebView>(), url);
    std::shared_ptr<ZelvanURLRequest> request;
    if (auto bytes = cache->newDataFromURLString(url, "", fetch, &request)) {
        loadData(*bytes, "text/html", "", *parsed);
        return true;
    }
    if (!request) {
        ZTRACE_WARN("ZelvanWebView: the cache cannot fetch \"%@\"", fnd::logPreview(url));
        return false;
    }
    pendingFetch_ = fetch;
    pendingRequest_ = request;
    pendingCache_ = cache;
    cache->appendURLRequest(request);
    return true;
}

void ZelvanWebView::dropPendingFetch() {
    if (auto cache = pendingCache_.lock(); cache && pendingRequest_) {
        cache->removeURLRequest(pendingRequest_);
    }
    pendingCache_.reset();
    pendingFetch_.reset();
    pendingRequest_.reset();
}

void ZelvanWebView::fetchEnded(const PageFetch& fetch, std::shared_ptr<const fnd::Bytes> body, int64_t errorCode) {
    if (pendingFetch_.get() != &fetch) {
        return; // a newer page replaced it
    }
    const std::string url = fetch.url();
    pendingFetch_.reset();
    pendingRequest_.reset();
    pendingCache_.reset();
    if (body) {
        loadData(*body, "text/html", "", fnd::Url::parse(url));
        return;
    }
    ZTRACE_WARN("ZelvanWebView: page %@ failed (%lld)", fnd::logPreview(url), static_cast<long long>(errorCode));
    if (auto delegate = zelvanDelegate()) {
        delegate->webViewDidFailLoadWithError(*this, fnd::UrlError::make(errorCode, url));
    }
}

} // namespace zelvan
