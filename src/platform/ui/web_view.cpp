// The web view's public face: navigation entry points, history, script evaluation with its
// re-entrancy guard, and the script host client (navigation and main-loop timers).
#include "platform/ui/web_view.h"

#include "platform/foundation/clock.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/verify.h"
#include "platform/ui/backends.h"
#include "platform/ui/web_page_renderer.h"
#include "platform/ui/web_page_view.h"

namespace ui {

// The web view as its script hosts see it. The view clears the pointer before it goes.
class WebView::Client : public ScriptHostClient {
public:
    explicit Client(WebView* view) : view_(view) {}
    void detach() { view_ = nullptr; }
    WebView* view() const { return view_; }

    void navigate(const std::string& url, NavigationType type) override {
        if (view_ != nullptr) {
            view_->simulateNavigation(url, type);
        }
    }
    uint64_t scheduleTimer(double delay, fnd::Repeats repeats, std::function<void()> fire) override {
        return view_ != nullptr ? view_->scheduleTimer(delay, repeats, std::move(fire)) : 0;
    }
    void cancelTimer(uint64_t id) override {
        if (view_ != nullptr) {
            view_->cancelTimer(id);
        }
    }
    fnd::Date now() const override { return fnd::Clock::now(); }

private:
    WebView* view_;
};

WebView::WebView() : client_(std::make_shared<Client>(this)) {
    renderer_ = std::make_unique<WebPageRenderer>([client = std::weak_ptr<Client>(client_)] {
        if (auto c = client.lock(); c && c->view() != nullptr) {
            c->view()->scheduleLayout();
        }
    });
}

WebView::~WebView() {
    client_->detach();
    if (pageView_) {
        pageView_->setPage(nullptr, 1);
        pageView_->setTapHandler(nullptr);
    }
    cancelTimers();
    cancelFrames();
    if (load_ && load_->cancel) {
        load_->cancel();
    }
    if (host_) {
        host_->endDocument();
    }
}

void WebView::initWithFrame(gfx::Rect frame) {
    View::initWithFrame(frame);
    setBackgroundColor(gfx::Color::white());
    pageView_ = View::create<WebPageView>(bounds());
    std::weak_ptr<WebView> weak = self<WebView>();
    pageView_->setTapHandler([weak](gfx::Point point) {
        if (auto view = weak.lock()) {
            view->pageTapped(point);
        }
    });
    addSubview(pageView_);
}

void WebView::loadRequest(const fnd::UrlRequest& request) {
    queueNavigation(Navigation{request, NavigationType::Other, std::nullopt});
}

void WebView::loadHTMLString(const std::string& html, const std::optional<fnd::Url>& baseUrl) {
    loadData(fnd::Bytes(html.begin(), html.end()), "text/html", "utf-8", baseUrl);
}

void WebView::loadData(const fnd::Bytes& data, const std::string& mimeType, const std::string& textEncodingName,
                       const std::optional<fnd::Url>& baseUrl) {
    fnd::UrlRequest request(baseUrl ? *baseUrl : *fnd::Url::parse("about:blank"));
    queueNavigation(
        Navigation{std::move(request), NavigationType::Other, InlinePage{data, mimeType, textEncodingName}});
}

bool WebView::simulateNavigation(const std::string& url, NavigationType type) {
    if (url.size() >= 11 && std::equal(url.begin(), url.begin() + 11, "javascript:", [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == b;
        })) {
        runJavaScriptUrl(url);
        return true;
    }
    auto resolved = resolveUrl(url);
    if (!resolved) {
        ZLOG(Warn, "WebView: ignored a navigation to \"%s\": not a URL", fnd::logPreview(url));
        return false;
    }
    queueNavigation(Navigation{fnd::UrlRequest(*resolved), type, std::nullopt});
    return true;
}

std::optional<fnd::Url> WebView::resolveUrl(const std::string& reference) const {
    std::optional<fnd::Url> base = documentUrl_;
    if (base && !document_.baseHref().empty()) {
        if (auto declared = fnd::Url::resolve(*base, document_.baseHref())) {
            base = std::move(declared);
        }
    }
    if (!base) {
        return fnd::Url::parse(reference);
    }
    return fnd::Url::resolve(*base, reference);
}

void WebView::stopLoading() {
    VERIFY(fnd::isMainThread());
    ++navigationGeneration_;
    cancelFrames();
    if (load_) {
        failLoad(fnd::UrlError::make(fnd::UrlError::Cancelled, load_->navigation.request.url().absoluteString()));
    }
}

std::optional<WebView::Navigation> WebView::historyNavigation(int target, NavigationType type) const {
    if (target < 0 || static_cast<size_t>(target) >= history_.size()) {
        return std::nullopt;
    }
    const HistoryEntry& entry = history_[static_cast<size_t>(target)];
    return Navigation{entry.request, type, entry.page, target};
}

void WebView::reload() {
    if (auto navigation = historyNavigation(historyIndex_, NavigationType::Reload)) {
        queueNavigation(std::move(*navigation));
    }
}

void WebView::goBack() {
    if (auto navigation = historyNavigation(historyIndex_ - 1, NavigationType::BackForward)) {
        queueNavigation(std::move(*navigation));
    }
}

void WebView::goForward() {
    if (auto navigation = historyNavigation(historyIndex_ + 1, NavigationType::BackForward)) {
        queueNavigation(std::move(*navigation));
    }
}

std::vector<std::string> WebView::historyUrls() const {
    std::vector<std::string> urls;
    for (const HistoryEntry& entry : history_) {
        urls.push_back(entry.request.url().absoluteString());
    }
    return urls;
}

namespace {

// Marks a script run for its span, restoring the outer mark however the run ends (a host may throw).
class EvaluationScope {
public:
    explicit EvaluationScope(bool& flag) : flag_(flag), outer_(flag) { flag_ = true; }
    ~EvaluationScope() { flag_ = outer_; }
    EvaluationScope(const EvaluationScope&) = delete;
    EvaluationScope& operator=(const EvaluationScope&) = delete;

private:
    bool& flag_;
    const bool outer_;
};

} // namespace

std::string WebView::stringByEvaluatingJavaScriptFromString(const std::string& js) {
    VERIFY(fnd::isMainThread());
    if (evaluating_) {
        ZLOG(Warn, "WebView: refused a script evaluation from inside another: %s", fnd::logPreview(js, 80));
        return "";
    }
    // A native the page calls may release this view; it stays until the evaluation returns.
    auto keep = weak_from_this().lock();
    auto host = scriptHost();
    const EvaluationScope scope(evaluating_);
    const ScriptResult result = host->evaluate(js);
    return result.toString();
}

void WebView::runPageScript(const std::string& source, const std::string& url) {
    auto keep = weak_from_this().lock();
    auto host = scriptHost();
    const EvaluationScope scope(evaluating_);
    host->runScript(source, url);
}

void WebView::bindObject(const std::string& name, std::shared_ptr<ScriptObject> object) {
    bool replaced = false;
    for (auto& [boundName, bound] : bindings_) {
        if (boundName == name) {
            bound = object;
            replaced = true;
        }
    }
    if (!replaced) {
        bindings_.emplace_back(name, object);
    }
    scriptHost()->bindObject(name, std::move(object));
}

std::shared_ptr<ScriptHost> WebView::scriptHost() {
    if (!host_) {
        replaceHost(ScriptDocumentInfo{"about:blank", "", "", userAgent_, document_.tree()});
    }
    return host_;
}

void WebView::replaceHost(const ScriptDocumentInfo& info) {
    endHost();
    host_ = makeScriptHost();
    host_->setClient(client_);
    host_->beginDocument(info);
    for (const auto& [name, object] : bindings_) {
        host_->bindObject(name, object);
    }
}

void WebView::endHost() {
    cancelTimers();
    if (auto old = std::exchange(host_, nullptr)) {
        old->endDocument();
    }
}

uint64_t WebView::scheduleTimer(double delay, fnd::Repeats repeats, std::function<void()> fire) {
    const uint64_t id = nextTimerId_++;
    std::weak_ptr<Client> client = client_;
    timers_[id] = fnd::Timer::scheduled(delay > 0 ? delay : 0, repeats,
                                        [client, id, repeats, fire = std::move(fire)](fnd::Timer&) {
                                            auto c = client.lock();
                                            if (!c || c->view() == nullptr) {
                                                return;
                                            }
                                            if (repeats == fnd::Repeats::No) {
                                                c->view()->timers_.erase(id);
                                            }
                                            fire();
                                        });
    return id;
}

void WebView::cancelTimer(uint64_t id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) {
        auto timer = std::move(it->second);
        timers_.erase(it);
        timer->invalidate();
    }
}

void WebView::cancelTimers() {
    auto timers = std::exchange(timers_, {});
    for (auto& [id, timer] : timers) {
        timer->invalidate();
    }
}

} // namespace ui
