// The page controller: its view, page opening, scripts in the page, the loading overlay and the
// registration as the web dialogs' controller. The zelvan:// dispatcher is in
// z_advanced_web_view_actions.cpp.
#include "web/z_advanced_web_view_controller.h"

#include "core/main_thread.h"
#include "core/zelvan_app_delegate.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_error.h"
#include "platform/ui/screen.h"
#include "protocol/tracer.h"
#include "toolkit/z_simple_loading_view.h"
#include "web/web_context.h"
#include "web/web_page_host.h"
#include "web/web_urls.h"
#include "web/zelvan_action.h"
#include "web/zelvan_web_script.h"
#include "web/zlv_web_dialog.h"

namespace zelvan {

// What the pages' bridge object sees of the controller that shows them.
class ZAdvancedWebViewController::PageHost final : public WebPageHost {
public:
    explicit PageHost(std::weak_ptr<ZAdvancedWebViewController> controller) : controller_(std::move(controller)) {}
    std::shared_ptr<ui::ViewController> parentController() override {
        auto controller = controller_.lock();
        return controller ? controller->parentController() : nullptr;
    }
    // Pages carry their parameters in their URL: the context is its query, name to value (the first
    // of a repeated name wins).
    fnd::Value pageContext() override {
        fnd::Value context = fnd::Value::dictionary();
        if (auto url = fnd::Url::parse(pageUrl())) {
            for (const auto& item : url->queryItems()) {
                if (!context.asDictionary()->containsKey(item.name)) {
                    context.asDictionary()->setObject(fnd::Value(item.value), item.name);
                }
            }
        }
        return context;
    }
    std::string pageUrl() override {
        auto controller = controller_.lock();
        return controller && controller->webView() ? controller->webView()->pageUrl() : std::string();
    }
    void callJS(const std::string& script) override {
        if (auto controller = controller_.lock()) {
            controller->callJS(script);
        }
    }
    std::shared_ptr<ui::View> webView() override {
        auto controller = controller_.lock();
        return controller ? controller->webView() : nullptr;
    }

private:
    std::weak_ptr<ZAdvancedWebViewController> controller_;
};

std::shared_ptr<ZAdvancedWebViewController> ZAdvancedWebViewController::create() {
    return std::make_shared<ZAdvancedWebViewController>();
}

std::shared_ptr<ZAdvancedWebViewController> ZAdvancedWebViewController::initWithUrl(const std::string& url) {
    auto controller = create();
    controller->setInitUrl(url);
    return controller;
}

ZAdvancedWebViewController::ZAdvancedWebViewController() = default;

ZAdvancedWebViewController::~ZAdvancedWebViewController() {
    if (webView_) {
        webView_->setZelvanDelegate({});
    }
}

std::shared_ptr<ZAdvancedWebViewController> ZAdvancedWebViewController::sharedSelf() {
    return selfAs<ZAdvancedWebViewController>();
}

std::shared_ptr<ui::ViewController> ZAdvancedWebViewController::parentController() const {
    if (auto parent = parent_.lock()) {
        return parent;
    }
    return parentViewController();
}

std::optional<std::string> ZAdvancedWebViewController::pageUrlFor(const std::string& url) {
    if (url.empty()) {
        return std::nullopt;
    }
    if (hasUrlScheme(url)) {
        return url;
    }
    const size_t mark = url.find('?');
    const std::string key = url.substr(0, mark);
    if (key.empty()) {
        return std::nullopt;
    }
    // Without a delegate (a screen built alone) the page key resolves against the default web host.
    const auto app = web::context();
    std::string page = pageUrlForKey(key, app ? app->zelvanWebHost() : AppConfig{}.webHost);
    if (mark != std::string::npos) {
        page += url.substr(mark);
    }
    return page;
}

void ZAdvancedWebViewController::openUrl(const std::string& url) {
    if (isZelvanUrl(url)) {
        fnd::Result<ZelvanAction> parsed = parseZelvanUrl(url);
        if (!parsed) {
            ZTRACE_WARN("zelvan action refused: %@ in %@", parsed.error().localizedDescription(), fnd::logPreview(url));
            return;
        }
        handleZelvanUrl(url, parsed->action, parsed->jsonVar, parsed->relativeUrl,
                        webView_ ? webView_->pageUrl() : std::string());
        return;
    }
    auto page = pageUrlFor(url);
    if (!page) {
        ZTRACE_WARN("ZAdvancedWebViewController: cannot open \"%@\"", fnd::logPreview(url));
        return;
    }
    if (!webView_) {
        initUrl_ = url; // opened when the view loads
        return;
    }
    lastPage_ = *page;
    lastPageFailed_ = false;
    if (webView_->loadPage(*page)) {
        showLoading();
    }
}

void ZAdvancedWebViewController::loadView() {
    auto root = ui::View::create(ui::Screen::main().applicationFrame());
    root->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    webView_ = ZelvanWebView::create(root->bounds());
    webView_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth | ui::AutoresizingMask::FlexibleHeight);
    webView_->setZelvanDelegate(sharedSelf());
    if (webCache_) {
        webView_->setWebCache(webCache_);
    }
    if (!scriptObject_) {
        // Every page of this controller gets the bridge object unless one was given.
        pageHost_ = std::make_shared<PageHost>(sharedSelf());
        scriptObject_ = ZelvanWebScript::create(pageHost_);
    }
    webView_->setScriptObject(scriptObject_);
    root->addSubview(webView_);
    loadingView_ = ZSimpleLoadingView::create();
    setView(root);
}

void ZAdvancedWebViewController::viewDidLoad() {
    if (!initUrl_.empty()) {
        openUrl(initUrl_);
    }
}

void ZAdvancedWebViewController::viewWillAppear(ui::Animated /*animated*/) {
    if (!lastPageFailed_ || !webView_ || webView_->isLoadingPage()) {
        return;
    }
    ZLOG(Info, "ZAdvancedWebViewController: loading %@ again", fnd::logPreview(lastPage_));
    lastPageFailed_ = false;
    if (webView_->loadPage(lastPage_)) {
        showLoading();
    }
}

void ZAdvancedWebViewController::resizeWithFrame(gfx::Rect frame, bool bounces) {
    auto root = view();
    root->setFrame(frame);
    webView_->setFrame(root->bounds());
    bounces_ = bounces;
}

void ZAdvancedWebViewController::setWebCache(std::shared_ptr<ZelvanWebCache> cache) {
    webCache_ = std::move(cache);
    if (webView_) {
        webView_->setWebCache(webCache_);
    }
}

void ZAdvancedWebViewController::setScriptObject(std::shared_ptr<ui::ScriptObject> object) {
    scriptObject_ = std::move(object);
    if (webView_) {
        webView_->setScriptObject(scriptObject_);
    }
}

void ZAdvancedWebViewController::callJS(const std::string& script) {
    if (!fnd::isMainThread()) {
        onMain(sharedSelf(), [script](ZAdvancedWebViewController& self) { self.callJS(script); });
        return;
    }
    if (!webView_) {
        ZTRACE_WARN("ZAdvancedWebViewController: no page to run a script in");
        return;
    }
    webView_->stringByEvaluatingJavaScriptFromString(script);
}

void ZAdvancedWebViewController::showLoading() {
    if (!loadingView_ || !isViewLoaded()) {
        return;
    }
    if (loadingView_->superview() != viewIfLoaded()) {
        loadingView_->showInView(viewIfLoaded());
    }
}

void ZAdvancedWebViewController::hideLoading() {
    if (isShowingLoading()) {
        loadingView_->hide();
    }
}

bool ZAdvancedWebViewController::isShowingLoading() const {
    return loadingView_ && loadingView_->superview() != nullptr;
}

void ZAdvancedWebViewController::webViewZelvanUrl(ZelvanWebView& /*webView*/, const std::string& url) {
    openUrl(url);
}

void ZAdvancedWebViewController::webViewDidStartLoad(ui::WebView& /*webView*/) {
    showLoading();
}

void ZAdvancedWebViewController::webViewDidFinishLoad(ui::WebView& /*webView*/) {
    hideLoading();
    lastPageFailed_ = false;
}

void ZAdvancedWebViewController::webViewDidFailLoadWithError(ui::WebView& /*webView*/, const fnd::Error& error) {
    hideLoading();
    if (error.code() != fnd::UrlError::Cancelled) {
        lastPageFailed_ = true;
        ZTRACE_WARN("ZAdvancedWebViewController: page failed: %@", fnd::logPreview(error.description()));
    }
}

std::shared_ptr<ZAdvancedWebViewController> ZAdvancedWebViewController::newPageController() {
    return create();
}

} // namespace zelvan
