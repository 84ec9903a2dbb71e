// The connection's life (start, one completion, cancel) and its HTTP(S) fetch through
// fnd::UrlConnection: a body counts only when the status is 2xx and every announced byte arrived.
#include "web/zelvan_url_connection.h"

#include "core/main_thread.h"
#include "platform/foundation/http_headers.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_error.h"
#include "protocol/tracer.h"
#include "web/web_urls.h"

namespace zelvan {

// Collects the HTTP answer and hands the connection its result. It holds the connection weakly, so
// dropping the connection cancels the load instead of keeping it alive.
class ZelvanURLConnection::HttpBridge : public fnd::UrlConnectionDelegate {
public:
    HttpBridge(std::weak_ptr<ZelvanURLConnection> owner, fnd::Url origin, std::vector<std::string> ownFields)
        : owner_(std::move(owner)), origin_(std::move(origin)), ownFields_(std::move(ownFields)) {}

    // A redirect to another scheme, host or port leaves out the fields the connection added (the
    // session key): they are meant for the fetched URL's own server only.
    std::optional<fnd::UrlRequest> connectionWillSendRequest(const std::shared_ptr<fnd::UrlConnection>&,
                                                             const fnd::UrlRequest& request,
                                                             const std::optional<fnd::UrlResponse>&) override {
        if (ownFields_.empty() || sameOrigin(request.url(), origin_)) {
            return request;
        }
        fnd::UrlRequest next = request;
        fnd::HttpHeaders fields = next.allHTTPHeaderFields();
        for (const auto& name : ownFields_) {
            fields.remove(name);
        }
        next.setAllHTTPHeaderFields(std::move(fields));
        return next;
    }

    void connectionDidReceiveResponse(const std::shared_ptr<fnd::UrlConnection>&,
                                      const fnd::UrlResponse& response) override {
        status_ = response.statusCode();
        expected_ = response.expectedContentLength();
        body_.clear();
    }
    void connectionDidReceiveData(const std::shared_ptr<fnd::UrlConnection>&, const fnd::Bytes& data) override {
        fnd::append(body_, data);
    }
    void connectionDidFinishLoading(const std::shared_ptr<fnd::UrlConnection>& connection) override {
        auto owner = owner_.lock();
        if (!owner) {
            return;
        }
        std::string url = connection->originalRequest().url().absoluteString();
        ZelvanFetchResult result;
        if (status_ < 200 || status_ > 299) {
            ZTRACE_WARN("web fetch of %s answered HTTP %lld", fnd::logPreview(url), static_cast<long long>(status_));
            result.errorCode = status_;
        } else if (expected_ >= 0 && static_cast<int64_t>(body_.size()) != expected_) {
            // A body cut short (or overlong) is not the resource.
            ZTRACE_WARN("web fetch of %s ended after %lld of %lld bytes", fnd::logPreview(url),
                        static_cast<long long>(body_.size()), static_cast<long long>(expected_));
            result.errorCode = fnd::UrlError::NetworkConnectionLost;
        } else {
            result.ok = true;
            result.body = std::move(body_);
        }
        owner->complete(std::move(result));
    }
    void connectionDidFailWithError(const std::shared_ptr<fnd::UrlConnection>& connection,
                                    const fnd::Error& error) override {
        auto owner = owner_.lock();
        if (!owner) {
            return;
        }
        ZTRACE_WARN("web fetch of %s failed: %@", fnd::logPreview(connection->originalRequest().url().absoluteString()),
                    fnd::logPreview(error.description()));
        ZelvanFetchResult result;
        result.errorCode = error.code() != 0 ? error.code() : fnd::UrlError::Unknown;
        owner->complete(std::move(result));
    }

private:
    static bool sameOrigin(const fnd::Url& a, const fnd::Url& b) {
        return a.scheme() == b.scheme() && a.port() == b.port() && fnd::equalsIgnoringAsciiCase(a.host(), b.host());
    }

    std::weak_ptr<ZelvanURLConnection> owner_;
    const fnd::Url origin_;
    const std::vector<std::string> ownFields_;
    int64_t status_ = 0;
    int64_t expected_ = -1;
    fnd::Bytes body_;
};

ZelvanURLConnection::ZelvanURLConnection(std::shared_ptr<ZelvanURLRequest> request) : request_(std::move(request)) {}

std::shared_ptr<ZelvanURLConnection> ZelvanURLConnection::init(std::shared_ptr<ZelvanURLRequest> request) {
    return std::make_shared<ZelvanURLConnection>(std::move(request));
}

ZelvanURLConnection::~ZelvanURLConnection() {
    if (http_) {
        http_->cancel();
    }
}

std::string ZelvanURLConnection::absoluteUrl() const {
    if (!absoluteUrl_.empty() || !request_) {
        return absoluteUrl_;
    }
    return resolveWebUrl(request_->url(), request_->baseURL()).value_or(std::string());
}

void ZelvanURLConnection::setHeaderValue(std::string field, std::string value) {
    headers_.emplace_back(std::move(field), std::move(value));
}

void ZelvanURLConnection::start(Completion completion) {
    {
        std::lock_guard lock(mutex_);
        if (started_) {
            return;
        }
        started_ = true;
        completion_ = std::move(completion);
    }
    if (request_) {
        request_->setState(ZelvanURLRequest::State::Loading);
    }
    begin();
}

void ZelvanURLConnection::cancel() {
    {
        std::lock_guard lock(mutex_);
        if (done_) {
            return;
        }
        done_ = true;
        completion_ = nullptr;
    }
    end();
}

bool ZelvanURLConnection::isRunning() const {
    std::lock_guard lock(mutex_);
    return started_ && !done_;
}

void ZelvanURLConnection::complete(ZelvanFetchResult result) {
    Completion completion;
    {
        std::lock_guard lock(mutex_);
        if (done_) {
            return;
        }
        done_ = true;
        completion = std::move(completion_);
    }
    http_.reset();
    auto self = std::static_pointer_cast<ZelvanURLConnection>(shared_from_this());
    if (completion) {
        completion(self, std::move(result));
    } else {
        deliver(result);
    }
}

void ZelvanURLConnection::deliver(const ZelvanFetchResult& result) {
    auto self = std::static_pointer_cast<ZelvanURLConnection>(shared_from_this());
    std::shared_ptr<ZelvanURLConnectionDelegate> delegate;
    if (request_) {
        if (result.ok) {
            request_->finish(result.body);
        } else {
            request_->fail(result.errorCode);
        }
        delegate = request_->delegate();
    }
    if (!delegate) {
        return;
    }
    if (result.ok) {
        delegate->connectionDidFinish(self);
    } else {
        delegate->connectionDidFail(self);
    }
}

void ZelvanURLConnection::begin() {
    std::string text = absoluteUrl();
    auto url = fnd::Url::parse(text);
    if (!url || !url->isHttpUrl()) {
        ZTRACE_WARN("web fetch refused for a URL that is not http(s): %s", fnd::logPreview(text));
        // Reported on the next pass, as every other outcome is, so the caller's start() returns first.
        laterOnThisLoop(std::static_pointer_cast<ZelvanURLConnection>(shared_from_this()),
                        [](ZelvanURLConnection& self) {
                            self.complete(ZelvanFetchResult{false, {}, fnd::UrlError::UnsupportedUrl});
                        });
        return;
    }
    fnd::UrlRequest request(*url);
    if (request_) {
        request.setHttpMethod(request_->httpMethod());
        request.setHttpBody(request_->httpBody());
        for (const auto& [field, value] : request_->headerFields()) {
            request.setValue(value, field);
        }
    }
    std::vector<std::string> ownFields;
    for (const auto& [field, value] : headers_) {
        request.setValue(value, field);
        ownFields.push_back(field);
    }
    auto bridge = std::make_shared<HttpBridge>(
        std::weak_ptr<ZelvanURLConnection>(std::static_pointer_cast<ZelvanURLConnection>(shared_from_this())), *url,
        std::move(ownFields));
    auto created = fnd::UrlConnection::create(std::move(request), bridge, fnd::StartImmediately::No);
    if (!created) {
        ZTRACE_WARN("web fetch of %s could not start: %@", fnd::logPreview(text),
                    fnd::logPreview(created.error().description()));
        int64_t code = created.error().code();
        laterOnThisLoop(std::static_pointer_cast<ZelvanURLConnection>(shared_from_this()),
                        [code](ZelvanURLConnection& self) {
                            self.complete(ZelvanFetchResult{false, {}, code});
                        });
        return;
    }
    http_ = created.value();
    http_->start();
}

void ZelvanURLConnection::end() {
    if (http_) {
        http_->cancel();
        http_.reset();
    }
}

} // namespace zelvan
