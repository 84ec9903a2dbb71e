// ui::WebView: a page in a view. It runs navigations through its delegate, fetches pages through
// the installed page loader, reads them with HtmlDocument, hands their scripts to a script host
// (one per document), keeps a back/forward list, and shows the page rendered by WebPageRenderer in
// a scrolling WebPageView whose taps follow links and submit forms.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/timer.h"
#include "platform/foundation/url_request.h"
#include "platform/ui/html_document.h"
#include "platform/ui/script_host.h"
#include "platform/ui/view.h"
#include "platform/ui/web_page_loader.h"

namespace ui {

class ScrollView;
class WebPageRenderer;
class WebPageView;
class WebView;
namespace testing {
class WebViewDriver;
}

// Kinds of text the page turns into links; flags with the original values.
enum class DataDetectorTypes : uint64_t {
    None = 0,
    PhoneNumber = 1,
    Link = 2,
    Address = 4,
    CalendarEvent = 8,
    All = ~uint64_t{0},
};
constexpr DataDetectorTypes operator|(DataDetectorTypes a, DataDetectorTypes b) {
    return static_cast<DataDetectorTypes>(static_cast<uint64_t>(a) | static_cast<uint64_t>(b));
}

// Every method is optional. Callbacks come on the main thread; the delegate may release the web
// view inside any of them.
class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;
    // Asked before every navigation (sub-frames too, with type Other). The request carries the
    // view's User-Agent; the delegate may change it in place (add header fields) and the load uses
    // the changed request. Answering false refuses the navigation: this is where custom schemes
    // (zelvan://...) reach native code.
    virtual bool webViewShouldStartLoadWithRequest(WebView& /*webView*/, fnd::UrlRequest& /*request*/,
                                                   NavigationType /*type*/) {
        return true;
    }
    virtual void webViewDidStartLoad(WebView& /*webView*/) {}
    virtual void webViewDidFinishLoad(WebView& /*webView*/) {}
    // Cancelled loads (a newer load, stopLoading) fail with fnd.url -999.
    virtual void webViewDidFailLoadWithError(WebView& /*webView*/, const fnd::Error& /*error*/) {}
};

class WebView : public View {
public:
    static constexpr const char* kDefaultUserAgent = "ZelvanWebView/1.0 (Linux)";

    WebView();
    ~WebView() override;

    std::string className() const override { return "WebView"; }
    void initWithFrame(gfx::Rect frame) override;

    std::shared_ptr<WebViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<WebViewDelegate> delegate) { delegate_ = std::move(delegate); }

    // --- Loading ---
    // Each queues a navigation (type Other) for the next main-loop pass.
    void loadRequest(const fnd::UrlRequest& request);
    // The page is `html`; its URL (for the request, relative links and scripts) is `baseUrl`, or
    // about:blank.
    void loadHTMLString(const std::string& html, const std::optional<fnd::Url>& baseUrl = std::nullopt);
    // The page is `data` of `mimeType` in `textEncodingName` ("" lets the page say).
    void loadData(const fnd::Bytes& data, const std::string& mimeType, const std::string& textEncodingName,
                  const std::optional<fnd::Url>& baseUrl = std::nullopt);
    // What a link tap or `document.location = url` in the page does: a navigation of `type` to
    // `url` resolved against the page's base, queued for the next pass; it asks the delegate and
    // loads unless refused. False (logged) when the URL does not parse or resolve.
    bool simulateNavigation(const std::string& url, NavigationType type = NavigationType::LinkClicked);

    // The current main-frame request (of the running load, else of the page shown); none before
    // the first load starts.
    const std::optional<fnd::UrlRequest>& request() const { return request_; }
    // From didStartLoad until didFinishLoad or didFailLoadWithError.
    bool isLoading() const { return load_ != nullptr; }
    // Fails the running load with -999 and drops navigations queued before the call.
    void stopLoading();
    // Loads the current history entry again (type Reload); nothing before the first page.
    void reload();

    // --- History (main-frame pages that loaded) ---
    bool canGoBack() const { return historyIndex_ > 0; }
    bool canGoForward() const { return historyIndex_ >= 0 && static_cast<size_t>(historyIndex_) + 1 < history_.size(); }
    // Type BackForward navigations to the neighbouring entry; nothing at either end.
    void goBack();
    void goForward();
    // URLs of the entries, oldest first, and the index of the one shown (-1 before any page).
    std::vector<std::string> historyUrls() const;
    int historyIndex() const { return historyIndex_; }

    // --- Appearance (recorded) ---
    // A page wider than the view is scaled down to the view's width.
    bool scalesPageToFit() const { return scalesPageToFit_; }
    void setScalesPageToFit(bool scales);
    DataDetectorTypes dataDetectorTypes() const { return dataDetectorTypes_; }
    void setDataDetectorTypes(DataDetectorTypes types) { dataDetectorTypes_ = types; }

    // --- Scripts and identity ---
    // Evaluates `js` in the current document (an empty one before any load) and converts the
    // result to text. Synchronous, main thread. Not re-entrant: called from inside a script host
    // callback it returns "" and logs.
    std::string stringByEvaluatingJavaScriptFromString(const std::string& js);
    // Binds `object` as `name` into the current document and every later one.
    void bindObject(const std::string& name, std::shared_ptr<ScriptObject> object);
    // The current document's host.
    std::shared_ptr<ScriptHost> scriptHost();
    const std::string& userAgent() const { return userAgent_; }

    // The document shown (empty before the first page).
    const HtmlDocument& document() const { return document_; }
    // The URL of the document shown (after redirects), against which its links resolve.
    const std::optional<fnd::Url>& documentUrl() const { return documentUrl_; }
    // `reference` resolved against the document's <base href> or URL; nullopt when it does not.
    std::optional<fnd::Url> resolveUrl(const std::string& reference) const;

    // --- The rendered page ---
    // The scroll view that shows the page; its content size is the page's (scaled) size.
    std::shared_ptr<ScrollView> scrollView() const;
    // Where the page drew the element `node` of document().tree(), in this view's coordinates
    // (after scaling and scrolling); nullopt when it has no box.
    std::optional<gfx::Rect> frameOfElement(HtmlNodeId node) const;
    // How many times the page has been laid out.
    uint64_t pageLayoutCount() const;

    void layoutSubviews() override;

private:
    friend class testing::WebViewDriver;
    class Client;

    // A document handed over directly (loadHTMLString, loadData) instead of fetched.
    struct InlinePage {
        fnd::Bytes data;
        std::string mimeType;
        std::string textEncodingName;
    };
    struct HistoryEntry {
        fnd::UrlRequest request;
        std::optional<InlinePage> page;
    };
    struct Navigation {
        fnd::UrlRequest request;
        NavigationType type;
        std::optional<InlinePage> page;
        int historyTarget = -1; // the entry a reload or history move shows; -1 adds an entry
    };
    struct Load {
        uint64_t id = 0;
        Navigation navigation;
        WebPageCancel cancel; // the fetch in flight (document or script)
        size_t nextScript = 0;
    };

    void queueNavigation(Navigation navigation);
    void startNavigation(Navigation navigation);
    void queueFrame(uint64_t loadId, const std::string& src);
    void startFrame(const fnd::Url& url);
    void documentArrived(uint64_t loadId, fnd::Result<WebPageContent> result);
    void commitDocument(const Load& load, HtmlDocument document, const fnd::Url& url);
    void runScriptsFrom(uint64_t loadId);
    void scriptArrived(uint64_t loadId, const std::string& url, fnd::Result<WebPageContent> result);
    void finishLoad(uint64_t loadId);
    void failLoad(const fnd::Error& error);
    void runPageScript(const std::string& source, const std::string& url);
    void replaceHost(const ScriptDocumentInfo& info);
    void endHost();
    void cancelFrames();
    bool isCurrentLoad(uint64_t loadId) const { return load_ && load_->id == loadId; }
    std::optional<Navigation> historyNavigation(int target, NavigationType type) const;

    // Script host client side: main-loop timers of the current document.
    uint64_t scheduleTimer(double delay, fnd::Repeats repeats, std::function<void()> fire);
    void cancelTimer(uint64_t id);
    void cancelTimers();

    // Page rendering: at most one layout per main-loop pass, and taps on the page.
    void scheduleLayout();
    void layoutPage();
    void pageTapped(gfx::Point pagePoint);
    void submitForm(HtmlNodeId form, HtmlNodeId submitter);
    void runJavaScriptUrl(const std::string& url);

    std::weak_ptr<WebViewDelegate> delegate_;
    std::string userAgent_ = kDefaultUserAgent;
    bool scalesPageToFit_ = false;
    DataDetectorTypes dataDetectorTypes_ = DataDetectorTypes::PhoneNumber;

    std::optional<fnd::UrlRequest> request_;
    std::unique_ptr<Load> load_;
    uint64_t nextLoadId_ = 1;
    uint64_t navigationGeneration_ = 0; // stopLoading drops navigations queued before it
    int queuedNavigations_ = 0;         // posted and not yet run or dropped
    uint64_t documentLoadId_ = 0;       // the load that brought the document shown
    std::vector<WebPageCancel> frameFetches_;
    std::optional<int64_t> injectedFailure_; // the driver's failNextLoad

    std::vector<HistoryEntry> history_;
    int historyIndex_ = -1;

    HtmlDocument document_;
    std::optional<fnd::Url> documentUrl_;

    std::shared_ptr<Client> client_;
    std::shared_ptr<ScriptHost> host_;
    std::vector<std::pair<std::string, std::shared_ptr<ScriptObject>>> bindings_;
    bool evaluating_ = false;
    std::map<uint64_t, std::shared_ptr<fnd::Timer>> timers_;
    uint64_t nextTimerId_ = 1;

    std::unique_ptr<WebPageRenderer> renderer_;
    std::shared_ptr<WebPageView> pageView_;
    bool layoutQueued_ = false;
    bool layoutPending_ = false;
};

} // namespace ui
