// The default page loader: URL connections for http(s) and file, an empty page for about:, and
// the scheme registry for everything else, with every completion delivered on a later main-loop pass.
#include "platform/ui/web_page_loader.h"

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/string_ops.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_error.h"

namespace ui {

namespace {

// Shared between a fetch, its cancel function and the work that completes it.
struct FetchState {
    WebPageCompletion done;
    std::shared_ptr<fnd::UrlConnection> connection;

    void complete(fnd::Result<WebPageContent> result) {
        connection.reset();
        if (WebPageCompletion callback = std::exchange(done, nullptr)) {
            callback(std::move(result));
        }
    }
    void cancel() {
        done = nullptr;
        if (auto c = std::exchange(connection, nullptr)) {
            c->cancel();
        }
    }
};

class ConnectionCollector : public fnd::UrlConnectionDelegate {
public:
    ConnectionCollector(std::weak_ptr<FetchState> state, fnd::Url url)
        : state_(std::move(state)), url_(std::move(url)) {}

    void connectionDidReceiveResponse(const std::shared_ptr<fnd::UrlConnection>&,
                                      const fnd::UrlResponse& response) override {
        url_ = response.url();
        mimeType_ = response.mimeType();
        encoding_ = response.textEncodingName();
        data_.clear();
    }
    void connectionDidReceiveData(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Bytes& data) override {
        data_.insert(data_.end(), data.begin(), data.end());
    }
    void connectionDidFinishLoading(const std::shared_ptr<fnd::UrlConnection>&) override {
        if (auto state = state_.lock()) {
            state->complete(WebPageContent{url_, mimeType_, encoding_, std::move(data_)});
        }
    }
    void connectionDidFailWithError(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Error& error) override {
        if (auto state = state_.lock()) {
            state->complete(error);
        }
    }

private:
    std::weak_ptr<FetchState> state_;
    fnd::Url url_;
    std::string mimeType_ = "application/octet-stream";
    std::string encoding_;
    fnd::Bytes data_;
};

// Completes `state` with `result` on a later main-loop pass, unless cancelled before.
void completeLater(const std::shared_ptr<FetchState>& state, fnd::Result<WebPageContent> result) {
    fnd::RunLoop::main().post([state, result = std::move(result)]() mutable { state->complete(std::move(result)); });
}

} // namespace

WebSchemeRegistry& WebSchemeRegistry::shared() {
    static WebSchemeRegistry registry;
    return registry;
}

void WebSchemeRegistry::registerScheme(const std::string& scheme, Handler handler) {
    std::lock_guard lock(mutex_);
    handlers_[fnd::lowerAscii(scheme)] = std::move(handler);
}

void WebSchemeRegistry::unregisterScheme(const std::string& scheme) {
    std::lock_guard lock(mutex_);
    handlers_.erase(fnd::lowerAscii(scheme));
}

WebSchemeRegistry::Handler WebSchemeRegistry::handlerForScheme(const std::string& scheme) const {
    std::lock_guard lock(mutex_);
    auto it = handlers_.find(fnd::lowerAscii(scheme));
    return it == handlers_.end() ? nullptr : it->second;
}

WebPageCancel DefaultWebPageLoader::fetch(const fnd::UrlRequest& request, WebPageCompletion done) {
    auto state = std::make_shared<FetchState>();
    state->done = std::move(done);
    const fnd::Url& url = request.url();
    if (url.isHttpUrl() || url.isFileUrl()) {
        auto collector = std::make_shared<ConnectionCollector>(state, url);
        auto created = fnd::UrlConnection::create(request, collector, fnd::StartImmediately::No);
        if (!created) {
            completeLater(state, created.error());
        } else {
            state->connection = created.value();
            state->connection->scheduleInRunLoop(fnd::RunLoop::main());
            state->connection->start();
        }
    } else if (url.scheme() == "about") {
        completeLater(state, WebPageContent{url, "text/html", "", {}});
    } else if (auto handler = WebSchemeRegistry::shared().handlerForScheme(url.scheme())) {
        completeLater(state, handler(request));
    } else {
        ZLOG(Warn, "WebView: no loader for the scheme of %s", fnd::logPreview(url.absoluteString()));
        completeLater(state, fnd::UrlError::make(fnd::UrlError::UnsupportedUrl, url.absoluteString()));
    }
    return [state] { state->cancel(); };
}

} // namespace ui
