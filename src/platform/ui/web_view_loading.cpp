// The web view's load pipeline: queued navigations asking the delegate, cancelling the running
// load, fetching through the page loader, reading the document, committing it to history and a new
// script host, running its scripts (fetching src ones in order) and onload, asking about frames,
// and finishing or failing on a later pass.

#include "platform/foundation/encodings.h"
#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/thread.h"
#include "platform/foundation/url_error.h"
#include "platform/foundation/verify.h"
#include "platform/ui/backends.h"
#include "platform/ui/web_page_renderer.h"
#include "platform/ui/web_page_view.h"
#include "platform/ui/web_view.h"

namespace ui {

namespace {

// Pages read as HTML: HTML types, and bodies whose type nobody named.
bool readsAsHtml(const std::string& mimeType) {
    return mimeType.empty() || mimeType == "text/html" || mimeType == "application/xhtml+xml" ||
           mimeType == "application/octet-stream";
}

std::string asText(const fnd::Bytes& data) {
    return std::string(data.begin(), data.end());
}

} // namespace

void WebView::queueNavigation(Navigation navigation) {
    VERIFY(fnd::isMainThread());
    std::weak_ptr<WebView> weak = self<WebView>();
    ++queuedNavigations_;
    fnd::RunLoop::main().post([weak, generation = navigationGeneration_, navigation = std::move(navigation)]() mutable {
        auto view = weak.lock();
        if (!view) {
            return;
        }
        --view->queuedNavigations_;
        if (view->navigationGeneration_ == generation) {
            view->startNavigation(std::move(navigation));
        }
    });
}

void WebView::startNavigation(Navigation navigation) {
    auto keep = self<WebView>();
    fnd::UrlRequest& request = navigation.request;
    if (!request.valueForHTTPHeaderField("User-Agent")) {
        request.setValue(userAgent_, "User-Agent");
    }
    request.setMainDocumentUrl(request.url());
    if (auto d = delegate()) {
        if (!d->webViewShouldStartLoadWithRequest(*this, request, navigation.type)) {
            return;
        }
    }
    request.setMainDocumentUrl(request.url());
    if (load_) {
        failLoad(fnd::UrlError::make(fnd::UrlError::Cancelled, load_->navigation.request.url().absoluteString()));
    }
    cancelFrames();

    const uint64_t id = nextLoadId_++;
    load_.reset(new Load{id, std::move(navigation), nullptr, 0});
    request_ = load_->navigation.request;
    if (auto d = delegate()) {
        d->webViewDidStartLoad(*this);
    }
    if (!isCurrentLoad(id)) {
        return; // the delegate stopped it
    }

    std::weak_ptr<WebView> weak = keep;
    const fnd::UrlRequest& loading = load_->navigation.request;
    if (auto code = std::exchange(injectedFailure_, std::nullopt)) {
        fnd::RunLoop::main().post([weak, id, error = fnd::UrlError::make(*code, loading.url().absoluteString())] {
            if (auto view = weak.lock(); view && view->isCurrentLoad(id)) {
                view->failLoad(error);
            }
        });
    } else if (const auto& page = load_->navigation.page) {
        fnd::RunLoop::main().post(
            [weak, id, content = WebPageContent{loading.url(), page->mimeType, page->textEncodingName, page->data}] {
                if (auto view = weak.lock()) {
                    view->documentArrived(id, content);
                }
            });
    } else {
        load_->cancel = webPageLoader()->fetch(loading, [weak, id](fnd::Result<WebPageContent> result) {
            if (auto view = weak.lock()) {
                view->documentArrived(id, std::move(result));
            }
        });
    }
}

void WebView::documentArrived(uint64_t loadId, fnd::Result<WebPageContent> result) {
    if (!isCurrentLoad(loadId)) {
        return;
    }
    load_->cancel = nullptr;
    if (!result) {
        failLoad(result.error());
        return;
    }
    const WebPageContent& content = result.value();
    std::optional<HtmlDocument> document = HtmlDocument();
    if (readsAsHtml(content.mimeType)) {
        document = HtmlDocument::parse(asText(content.data), content.textEncodingName);
    }
    if (!document) {
        failLoad(fnd::UrlError::make(fnd::UrlError::DataLengthExceedsMaximum, content.url.absoluteString(),
                                     "the page is too large to read"));
        return;
    }
    commitDocument(*load_, std::move(*document), content.url);
    for (const std::string& src : document_.frames()) {
        queueFrame(loadId, src);
    }
    runScriptsFrom(loadId);
}

void WebView::commitDocument(const Load& load, HtmlDocument document, const fnd::Url& url) {
    const Navigation& navigation = load.navigation;
    if (navigation.historyTarget >= 0 && static_cast<size_t>(navigation.historyTarget) < history_.size()) {
        historyIndex_ = navigation.historyTarget;
    } else {
        history_.resize(static_cast<size_t>(historyIndex_ + 1), HistoryEntry{navigation.request, std::nullopt});
        history_.push_back(HistoryEntry{navigation.request, navigation.page});
        historyIndex_ = static_cast<int>(history_.size()) - 1;
    }
    document_ = std::move(document);
    documentUrl_ = url;
    documentLoadId_ = load.id;
    replaceHost(
        ScriptDocumentInfo{url.absoluteString(), document_.title(), document_.source(), userAgent_, document_.tree()});
    std::weak_ptr<WebView> weak = self<WebView>();
    document_.tree()->setChangeHandler([weak] {
        if (auto view = weak.lock()) {
            view->scheduleLayout();
        }
    });
    renderer_->setPage(document_.tree(), url, navigation.request.allHTTPHeaderFields());
    pageView_->setContentOffset(gfx::Point(0, 0), Animated::No);
    scheduleLayout();
}

void WebView::runScriptsFrom(uint64_t loadId) {
    // A page script may release this view; it stays until the scripts of this pass have run.
    auto keep = weak_from_this().lock();
    while (isCurrentLoad(loadId) && load_->nextScript < document_.scripts().size()) {
        const HtmlScript script = document_.scripts()[load_->nextScript++];
        if (script.src.empty()) {
            runPageScript(script.text, documentUrl_ ? documentUrl_->absoluteString() : "about:blank");
            continue;
        }
        auto url = resolveUrl(script.src);
        if (!url) {
            ZLOG(Warn, "WebView: skipped the script \"%s\": not a URL", fnd::logPreview(script.src));
            continue;
        }
        fnd::UrlRequest request(*url);
        request.setValue(userAgent_, "User-Agent");
        request.setMainDocumentUrl(documentUrl_);
        std::weak_ptr<WebView> weak = self<WebView>();
        load_->cancel = webPageLoader()->fetch(
            request, [weak, loadId, src = url->absoluteString()](fnd::Result<WebPageContent> result) {
                if (auto view = weak.lock()) {
                    view->scriptArrived(loadId, src, std::move(result));
                }
            });
        return; // continues when the script arrives
    }
    if (!isCurrentLoad(loadId)) {
        return;
    }
    if (!document_.bodyOnload().empty()) {
        runPageScript(document_.bodyOnload(), documentUrl_ ? documentUrl_->absoluteString() : "about:blank");
    }
    std::weak_ptr<WebView> weak = self<WebView>();
    fnd::RunLoop::main().post([weak, loadId] {
        if (auto view = weak.lock()) {
            view->finishLoad(loadId);
        }
    });
}

void WebView::scriptArrived(uint64_t loadId, const std::string& url, fnd::Result<WebPageContent> result) {
    if (!isCurrentLoad(loadId)) {
        return;
    }
    load_->cancel = nullptr;
    if (result) {
        runPageScript(fnd::decodeUtf8Lossy(result.value().data), url);
    } else {
        // A page goes on without a script that failed to load.
        ZLOG(Warn, "WebView: the script %s did not load: %@", fnd::logPreview(url),
             fnd::logPreview(result.error().localizedDescription()));
    }
    runScriptsFrom(loadId);
}

void WebView::finishLoad(uint64_t loadId) {
    if (!isCurrentLoad(loadId)) {
        return;
    }
    auto keep = self<WebView>();
    load_.reset();
    setNeedsDisplay();
    if (auto d = delegate()) {
        d->webViewDidFinishLoad(*this);
    }
}

void WebView::failLoad(const fnd::Error& error) {
    if (!load_) {
        return;
    }
    auto keep = self<WebView>();
    auto load = std::move(load_);
    if (load->cancel) {
        load->cancel();
    }
    if (auto d = delegate()) {
        d->webViewDidFailLoadWithError(*this, error);
    }
}

void WebView::queueFrame(uint64_t loadId, const std::string& src) {
    auto url = resolveUrl(src);
    if (!url) {
        ZLOG(Warn, "WebView: skipped the frame \"%s\": not a URL", fnd::logPreview(src));
        return;
    }
    std::weak_ptr<WebView> weak = self<WebView>();
    ++queuedNavigations_;
    fnd::RunLoop::main().post([weak, loadId, url = *url] {
        auto view = weak.lock();
        if (!view) {
            return;
        }
        --view->queuedNavigations_;
        if (view->documentLoadId_ == loadId) {
            view->startFrame(url);
        }
    });
}

void WebView::startFrame(const fnd::Url& url) {
    auto keep = self<WebView>();
    fnd::UrlRequest request(url);
    request.setValue(userAgent_, "User-Agent");
    request.setMainDocumentUrl(documentUrl_);
    if (auto d = delegate()) {
        if (!d->webViewShouldStartLoadWithRequest(*this, request, NavigationType::Other)) {
            return;
        }
    }
    // The stand-in shows no frames; fetching keeps the page's traffic (and cookies) real.
    frameFetches_.push_back(
        webPageLoader()->fetch(request, [src = url.absoluteString()](fnd::Result<WebPageContent> r) {
            if (!r) {
                ZLOG(Warn, "WebView: the frame %s did not load: %@", fnd::logPreview(src),
                     fnd::logPreview(r.error().localizedDescription()));
            }
        }));
}

void WebView::cancelFrames() {
    for (auto& cancel : std::exchange(frameFetches_, {})) {
        if (cancel) {
            cancel();
        }
    }
}

} // namespace ui
