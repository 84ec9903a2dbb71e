// ZelvanWebView: the web view of the page controllers. It loads pages through the web resource cache
// (from the cache when present, else fetched through the cache's queue) with the page URL as the base
// of its relative resources, binds the pages' "Zelvan" script object into every document, and turns
// zelvan:// navigations into calls on its ZelvanWebViewDelegate instead of loads.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/ui/script_host.h"
#include "platform/ui/web_view.h"

namespace zelvan {

class ZelvanWebCache;
class ZelvanWebView;
class ZelvanURLRequest;

// Hears the web view: the usual load callbacks (ui::WebViewDelegate, with navigations other than
// zelvan:// ones passed on to webViewShouldStartLoadWithRequest) and every zelvan:// navigation.
class ZelvanWebViewDelegate : public ui::WebViewDelegate {
public:
    // A page navigated to `url` (a zelvan:// URL); the navigation itself never loads.
    virtual void webViewZelvanUrl(ZelvanWebView& webView, const std::string& url) = 0;
};

class ZelvanWebView : public ui::WebView {
public:
    // The name pages reach the bridge object by.
    static constexpr const char* kScriptObjectName = "Zelvan";

    static std::shared_ptr<ZelvanWebView> create(gfx::Rect frame);
    ~ZelvanWebView() override;

    std::string className() const override { return "ZelvanWebView"; }
    void initWithFrame(gfx::Rect frame) override;

    // Held weakly. Use this instead of setDelegate, which the view keeps for itself.
    std::shared_ptr<ZelvanWebViewDelegate> zelvanDelegate() const { return zelvanDelegate_.lock(); }
    void setZelvanDelegate(std::weak_ptr<ZelvanWebViewDelegate> delegate) { zelvanDelegate_ = std::move(delegate); }

    // The cache pages load through. Unless set, the application delegate's web cache; with none,
    // pages load directly.
    std::shared_ptr<ZelvanWebCache> webCache() const;
    void setWebCache(std::shared_ptr<ZelvanWebCache> cache) { webCache_ = std::move(cache); }

    // Binds `object` as "Zelvan" into the current document and every later one.
    void setScriptObject(std::shared_ptr<ui::ScriptObject> object);
    const std::shared_ptr<ui::ScriptObject>& scriptObject() const { return scriptObject_; }

    // Loads the page at the absolute `url`: its HTML from the cache, or fetched through the cache's
    // queue (the load starts once the bytes arrive; a failed fetch reports
    // webViewDidFailLoadWithError). A newer loadPage drops a fetch still waiting.
    // False (logged) when `url` does not parse.
    bool loadPage(const std::string& url);
    // The URL of the page shown, or of the page being fetched; empty before the first page.
    std::string pageUrl() const;
    // Whether a page is being fetched or loaded.
    bool isLoadingPage() const { return static_cast<bool>(pendingFetch_) || isLoading(); }

private:
    class Interceptor;
    class PageFetch;

    void fetchEnded(const PageFetch& fetch, std::shared_ptr<const fnd::Bytes> body, int64_t errorCode);
    void dropPendingFetch();

    std::weak_ptr<ZelvanWebViewDelegate> zelvanDelegate_;
    std::shared_ptr<Interceptor> interceptor_;
    std::shared_ptr<ZelvanWebCache> webCache_;
    std::shared_ptr<ui::ScriptObject> scriptObject_;
    std::shared_ptr<PageFetch> pendingFetch_;
    std::shared_ptr<ZelvanURLRequest> pendingRequest_;
    std::weak_ptr<ZelvanWebCache> pendingCache_; // the cache queueing pendingRequest_
    std::string pageUrl_;
};

} // namespace zelvan
